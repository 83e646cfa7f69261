#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

namespace store {

// One value of the current row, read the ways the program reads it.
class Field final
{
public:
    Field() = default;
    explicit Field(QVariant value) : m_value(std::move(value)) {}

    QVariant value() const { return m_value; }
    bool isNull() const { return m_value.isNull(); }
    QString asString() const;
    int asInteger() const;
    bool asBoolean() const;
    QDateTime asDateTime() const;

private:
    QVariant m_value;
};

} // namespace store
