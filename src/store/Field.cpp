#include "store/DataSet.h"

#include "store/DatabaseError.h"

namespace store {

QString Field::asString() const
{
    return m_value.isNull() ? QString() : m_value.toString();
}

int Field::asInteger() const
{
    if (m_value.isNull())
        return 0;
    bool ok = false;
    const int v = m_value.toInt(&ok);
    if (!ok)
        throw DatabaseError(QStringLiteral("“%1”不是有效的整数").arg(m_value.toString()));
    return v;
}

bool Field::asBoolean() const
{
    if (m_value.isNull())
        return false;
    if (m_value.typeId() == QMetaType::QString) {
        const QString s = m_value.toString().trimmed();
        if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 || s.isEmpty())
            return false;
    }
    bool ok = false;
    const qlonglong v = m_value.toLongLong(&ok);
    if (!ok)
        throw DatabaseError(QStringLiteral("“%1”不是有效的布尔值").arg(m_value.toString()));
    return v != 0;
}

QDateTime Field::asDateTime() const
{
    if (m_value.isNull())
        return {};
    if (m_value.typeId() == QMetaType::QDateTime)
        return m_value.toDateTime();
    const QString s = m_value.toString().trimmed();
    for (const QString &format :
         {QStringLiteral("yyyy-MM-dd HH:mm:ss"), QStringLiteral("yyyy-MM-dd HH:mm"), QStringLiteral("yyyy-MM-dd")}) {
        const QDateTime dt = QDateTime::fromString(s, format);
        if (dt.isValid())
            return dt;
    }
    const QDateTime iso = QDateTime::fromString(s, Qt::ISODate);
    if (!iso.isValid())
        throw DatabaseError(QStringLiteral("“%1”不是有效的日期时间").arg(s));
    return iso;
}

} // namespace store
