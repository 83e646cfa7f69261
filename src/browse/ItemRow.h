#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

namespace browse {

// One row of an item list: the caption and the ten sub-items that every list
// command reads by position.
struct ItemRow
{
    QString caption;       // display name
    QString columnName;    // sub-item 0
    QString fileId;        // sub-item 1
    QString url;           // sub-item 2, the download address
    QString description;   // sub-item 3
    QString owner;         // sub-item 4
    QString uploadDate;    // sub-item 5, as text
    QString localLocation; // sub-item 6, "/local/<column>/<file>" relative to the program's home
    QString viewed;        // sub-item 7, "true" or "false"
    QString localCopy;     // sub-item 8, "true" or "false"
    QString fileName;      // sub-item 9
    int imageIndex = 0;    // 0 nothing recorded, 1 downloaded, 2 local copy present

    // Sub-item by position 0..9; empty for any other position.
    QString subItem(int position) const;
    bool isViewed() const { return viewed == QLatin1String("true"); }
    bool hasLocalCopy() const { return localCopy == QLatin1String("true"); }
};

// The multi-line tip of an item row.
QString itemTip(const ItemRow &row);

} // namespace browse

Q_DECLARE_METATYPE(browse::ItemRow)
