#pragma once

#include "browse/ItemRow.h"
#include "browse/Paging.h"

#include <QList>
#include <QString>
#include <QStringList>

class TDM_CDS;

namespace store {
class DataSet;
}

namespace browse {

// What the item list was asked for last; kept from one request to the next.
struct ListState
{
    QString CurrentTitle;
    int CurrentClass = 0;
    int CurrentView = 0;
    QString ColumnFilter;
    int CurrentPage = 1;
};

inline const QString kAllColumns = QStringLiteral("所有栏目");

// What one request shows.
struct ListPage
{
    QString caption;        // the caption label
    QStringList columnMenu; // the "栏目" entries in menu order, "所有栏目" first
    bool columnMenuEnabled = false;
    Paging paging;
    QList<ItemRow> rows;
    bool classChanged = false; // the request switched to another class
};

// Loads one page of the list of a class (or special list) into `state` and
// the returned page. Throws DatabaseError.
ListPage ListItems(TDM_CDS &dm, ListState &state, const QString &programDir, const QString &title, int classNumber,
                   int pageCommand);

// Turns rows of an open result into list rows from its current position: at
// most `limit` when it is above 0, else all. A row whose local copy exists is
// marked downloaded through the result; an item whose column or file name
// is not one plain name has no local copy. The result stays open, on the first
// row not taken.
QList<ItemRow> FillItemList(store::DataSet &records, const QString &programDir, int limit);

// An item's date and time as the lists show it ("2003-1-5 10:20:30"; the
// time is left out at midnight).
QString dateText(const QDateTime &when);

} // namespace browse
