#pragma once

// The catalogue's items as the site's pages show them.

#include <QList>
#include <QString>

namespace store {
class DataSet;
}

namespace site {

// One item of the catalogue.
struct Item
{
    int id = 0;
    QString name;
    QString file;
    QString column;
    QString className;
    QString description;
    QString owner;
    QString uploaded;
};

// Runs one statement on a data set of the catalogue and reads the items of
// its rows (the fields of the stored query qry_files). Throws DatabaseError.
QList<Item> readItems(store::DataSet &set, const QString &sql);

// Where the site serves an item's Flash file.
QString filePath(const Item &item);

// The page that plays an item.
QString playingPath(int id);

} // namespace site
