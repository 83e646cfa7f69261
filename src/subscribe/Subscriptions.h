#pragma once

#include <QList>
#include <QString>

class TDM_CDS;

namespace subscribe {

// A row of the subscription panel's class list: its caption and the class
// number that the columns of the class carry in ColumeParent.
struct SubscribeClass
{
    QString caption;
    int classId;
};

// The nine classes in the order the panel lists them.
const QList<SubscribeClass> &subscribeClasses();

// One column of a class as the panel lists it. `subscribed` is the check
// box: the working copy of the stored flag.
struct ColumnRow
{
    QString name;
    bool subscribed = false;
    QString columnId; // ColumeID as text
    QString description;
};

// The columns of a class in the table's order, read through cds_ColumeInfo
// with the class filter, which stays set on the component. Throws DatabaseError.
QList<ColumnRow> LoadSubscribeColumns(TDM_CDS &dm, int classId);

// Writes each row's check state into its column's Subscribed flag, one write
// per column; a column no longer in the table is skipped. A failure part-way
// keeps what was written before it. Throws DatabaseError.
void saveSubscriptions(TDM_CDS &dm, const QList<ColumnRow> &rows);

// Sets each row's check state back to its column's stored flag; a column no
// longer in the table keeps its check state. Throws DatabaseError.
void restoreSubscriptions(TDM_CDS &dm, QList<ColumnRow> &rows);

} // namespace subscribe
