#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class TDM_CDS;

namespace search {

// One class of the search window's tree and its columns.
struct ClassNode
{
    QString name;
    QStringList columns; // shortest name first
};
using ClassTree = QList<ClassNode>;

// The classes in the order the catalogue gives them, each with its columns
// ordered by the length of their names. Throws DatabaseError.
ClassTree LoadClassTree(TDM_CDS &dm);

// The entries of the column box for a class name: "所有", then the children
// of the first node of the tree (classes and columns alike, in tree order)
// whose text is the name.
QStringList FillColumnCombo(const ClassTree &tree, const QString &className);

} // namespace search
