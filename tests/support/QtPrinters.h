#pragma once
// Readable GoogleTest output for Qt values; included into every test.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

inline void PrintTo(const QStringList &list, std::ostream *os)
{
    *os << '[' << list.join(QStringLiteral(", ")).toStdString() << ']';
}

inline void PrintTo(const QVariant &v, std::ostream *os)
{
    *os << "QVariant(" << v.toString().toStdString() << ')';
}
