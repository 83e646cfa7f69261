#pragma once

#include <QString>

namespace store {

// A text value as an SQL literal: between single quotes, quotes doubled.
// Every text value that goes into a statement goes through here.
QString quoted(const QString &value);

enum class Purpose {
    Rows,     // the statement's rows, in its stored query's order
    Counting, // only the number of rows is wanted
};

// Turns a statement written in the Jet dialect into SQLite's: "top N",
// "delete * from", len(), the literals true and false. Groups come out in
// pinyin order. Grouping, counting an ordered stored query and listing the
// unordered one by subscription read the stored query's unordered twin,
// which reads column by column. The newest N of qry_FilesLast are found
// among each column's newest N.
QString translateJet(const QString &jetSql, Purpose purpose = Purpose::Rows);

// The table or view that a statement reads ("select ... from X ..."), empty
// when there is none.
QString sourceOf(const QString &sql);

} // namespace store
