#include "import/MdbText.h"

#include <QDateTime>
#include <QStringDecoder>

#include <mdbtools.h>

#include <algorithm>
#include <iterator>

namespace import {
namespace {

QString withoutNuls(QString text)
{
    text.remove(QChar(u'\0'));
    return text;
}

QVariant integerOf(const QByteArray &bytes)
{
    bool ok = false;
    const qint64 value = bytes.trimmed().toLongLong(&ok);
    return ok ? QVariant(value) : QVariant(textFromMdb(bytes));
}

QVariant realOf(const QByteArray &bytes)
{
    bool ok = false;
    const double value = bytes.trimmed().toDouble(&ok);
    return ok ? QVariant(value) : QVariant(textFromMdb(bytes));
}

QVariant booleanOf(const QByteArray &bytes)
{
    const QByteArray v = bytes.trimmed().toLower();
    return QVariant(!(v.isEmpty() || v == "0" || v == "false" || v == "no"));
}

// "yyyy-MM-dd HH:mm:ss" to the letter: digits where the digits go.
bool isDateTimeText(const QString &text)
{
    static const QLatin1StringView shape("0000-00-00 00:00:00");
    if (text.size() != shape.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool digit = text.at(i) >= u'0' && text.at(i) <= u'9';
        if (shape.at(i) == '0' ? !digit : text.at(i) != QLatin1Char(shape.at(i)))
            return false;
    }
    return true;
}

QVariant dateOf(const QByteArray &bytes)
{
    // A wall-clock time as written, never moved by the local time zone.
    const QString text = textFromMdb(bytes).trimmed();
    if (!isDateTimeText(text))
        return text;
    const QDate day = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
    const QTime time = QTime::fromString(text.mid(11), QStringLiteral("HH:mm:ss"));
    if (!day.isValid() || !time.isValid())
        return text;
    return QDateTime(day, time, Qt::UTC);
}

} // namespace

QByteArray jet3Charset(int codePage)
{
    // Thai, Japanese, Chinese (PRC), Korean, Chinese (Taiwan), then 1250-1258.
    static const int ansi[] = {874, 932, 936, 949, 950};
    const bool windows = std::find(std::begin(ansi), std::end(ansi), codePage) != std::end(ansi) ||
                         (codePage >= 1250 && codePage <= 1258);
    return "CP" + QByteArray::number(windows ? codePage : 936);
}

ColumnType columnTypeOf(int mdbType)
{
    switch (mdbType) {
    case MDB_BOOL:
        return ColumnType::Boolean;
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case MDB_COMPLEX:
        return ColumnType::Integer;
    case MDB_MONEY:
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_NUMERIC:
        return ColumnType::Real;
    case MDB_DATETIME:
        return ColumnType::DateTime;
    case MDB_TEXT:
        return ColumnType::Text;
    case MDB_MEMO:
        return ColumnType::Memo;
    default: // MDB_BINARY, MDB_OLE, MDB_REPID and whatever else
        return ColumnType::Binary;
    }
}

QString textFromMdb(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return withoutNuls(std::move(text));
    QStringDecoder gbk("GB18030", QStringDecoder::Flag::Stateless);
    text = gbk.decode(bytes);
    if (!gbk.isValid()) // no GBK codec: keep what UTF-8 could read
        text = QString::fromUtf8(bytes);
    return withoutNuls(std::move(text));
}

QVariant valueFromMdb(ColumnType type, const QByteArray &bytes)
{
    switch (type) {
    case ColumnType::Boolean:
        return booleanOf(bytes);
    case ColumnType::Text:
    case ColumnType::Memo:
        return textFromMdb(bytes);
    case ColumnType::Binary:
        return bytes.isEmpty() ? QVariant() : QVariant(bytes);
    default:
        break;
    }
    if (bytes.isEmpty())
        return {};
    if (type == ColumnType::Integer)
        return integerOf(bytes);
    if (type == ColumnType::Real)
        return realOf(bytes);
    return dateOf(bytes);
}

} // namespace import
