#pragma once

// The catalogue's items as the site's pages show them.

#include <QList>
#include <QString>

#include <optional>

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

// The item with this identifier, when there is one. Throws DatabaseError.
std::optional<Item> findItem(store::DataSet &set, qint64 id);

// A line of an item list: its name linked to its playing page, its column
// and day.
QString itemLine(const Item &item);

// Where the site serves an item's Flash file.
QString filePath(const Item &item);

// The page that plays an item.
QString playingPath(int id);

} // namespace site
