#pragma once

#include "import/TableSource.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

namespace import {

// libmdb hands every value over as text: UTF-8 converted from the file's
// Unicode (Jet 4) or code page (Jet 3), numbers and dates written in the
// formats the reader sets. These turn that text into the copy's values.

// The date format the reader asks libmdb for, and the one the copy writes.
inline constexpr const char *kMdbDateFormat = "%Y-%m-%d %H:%M:%S";

// The iconv name of the charset of Jet 3 texts in Windows code page
// `codePage`: the Windows ANSI code pages as they are, anything else (none
// stated, a DOS or Unicode page) the Chinese one, GBK (936).
QByteArray jet3Charset(int codePage);

// The type of a libmdb column type code (MDB_BOOL, MDB_TEXT...).
ColumnType columnTypeOf(int mdbType);

// Text as libmdb wrote it: UTF-8 when it is valid, else read as GBK (a
// Jet 3 text that libmdb could not convert). NUL characters are dropped.
QString textFromMdb(const QByteArray &bytes);

// One value of a column of `type` as libmdb wrote it. An empty value is
// null except for texts (an empty text) and Yes/No (false). A number or date
// that does not read as one stays the text it was.
QVariant valueFromMdb(ColumnType type, const QByteArray &bytes);

} // namespace import
