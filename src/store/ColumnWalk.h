#pragma once

#include <QString>

#include <optional>
#include <vector>

class QSqlDatabase;

namespace store {

// The rows of "select * from qry_files_set where <conditions>" whose
// conditions are on the columns, with at most one more on the items' viewed
// or downloaded mark: the items of the matching columns, column after column
// by column number, each column's newest first. Their number comes from the
// counts kept for each column, and a place among them from its column's
// index, so that reaching any page walks through part of one column at most
// however large the class.
//
// The counts are those at planning. A walk goes on from the last row it read
// in a column, so that the program's own writes to rows already read move
// nothing; rows that another process adds or removes meanwhile may shift
// the places after them, as in a list on screen.
class ColumnWalk
{
public:
    // The walk of a translated statement; nothing when the statement is not
    // of that shape. Throws DatabaseError.
    static std::optional<ColumnWalk> plan(QSqlDatabase &db, const QString &translatedSql);

    qsizetype size() const { return m_size; }

    struct Batch
    {
        std::vector<qint64> keys;
        qsizetype places = 0; // the places the batch covers
    };
    // The item numbers from place `from` on: at most `n`, and not past the
    // end of that place's column. Fewer keys than places come back where
    // rows have gone since planning. Throws DatabaseError.
    Batch read(QSqlDatabase &db, qsizetype from, qsizetype n);

private:
    struct Column
    {
        qint64 id = 0;
        qsizetype start = 0; // its first place in the walk
        qsizetype count = 0;
        // Where the last read in this column ended, and its last row, from
        // which a read that starts there goes on.
        qsizetype readTo = -1;
        QString lastDate;
        qint64 lastId = 0;
    };

    QString m_markCondition; // " AND HasViewed = 1" and the like, or empty
    std::vector<Column> m_columns;
    qsizetype m_size = 0;
};

} // namespace store
