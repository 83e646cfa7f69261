#include "update/Feed.h"

#include <QDateTime>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <cmath>
#include <limits>

namespace update {
namespace {

const QString kUploadFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss");

[[noreturn]] void fail(const QString &where, const QString &what)
{
    throw FeedError(where.isEmpty() ? what : QStringLiteral("%1: %2").arg(where, what));
}

int number(const QJsonObject &o, const QString &key, const QString &where, int minimum)
{
    const QJsonValue v = o.value(key);
    if (!v.isDouble())
        fail(where, QStringLiteral("\"%1\" is not a number").arg(key));
    const double d = v.toDouble();
    if (d != std::floor(d) || d < minimum || d > std::numeric_limits<int>::max())
        fail(where, QStringLiteral("\"%1\" is out of range").arg(key));
    return int(d);
}

QString text(const QJsonObject &o, const QString &key, const QString &where, qsizetype maxChars)
{
    const QJsonValue v = o.value(key);
    if (v.isUndefined() || v.isNull())
        return {};
    if (!v.isString())
        fail(where, QStringLiteral("\"%1\" is not a text").arg(key));
    QString s = v.toString();
    if (!QStringView(s).isValidUtf16())
        fail(where, QStringLiteral("\"%1\" is not valid Unicode").arg(key));
    if (s.size() > maxChars)
        fail(where, QStringLiteral("\"%1\" is longer than %2 characters").arg(key).arg(maxChars));
    return s;
}

QString requiredName(const QJsonObject &o, const QString &key, const QString &where)
{
    QString s = text(o, key, where, kMaxNameChars);
    if (s.isEmpty())
        fail(where, QStringLiteral("\"%1\" is missing or empty").arg(key));
    return s;
}

QJsonArray list(const QJsonObject &o, const QString &key)
{
    const QJsonValue v = o.value(key);
    if (!v.isArray())
        fail(QString(), QStringLiteral("\"%1\" is not a list").arg(key));
    const QJsonArray a = v.toArray();
    if (a.size() > kMaxPageItems)
        fail(QString(), QStringLiteral("\"%1\" has more than %2 entries").arg(key).arg(kMaxPageItems));
    return a;
}

QJsonObject entry(const QJsonValue &v, const QString &where)
{
    if (!v.isObject())
        fail(where, QStringLiteral("not an object"));
    return v.toObject();
}

FeedItem readItem(const QJsonObject &o, const QString &where)
{
    FeedItem item;
    item.id = number(o, QStringLiteral("id"), where, 1);
    item.columnId = number(o, QStringLiteral("column"), where, 1);
    item.name = requiredName(o, QStringLiteral("name"), where);
    item.file = requiredName(o, QStringLiteral("file"), where);
    item.url = text(o, QStringLiteral("url"), where, kMaxNameChars);
    item.description = text(o, QStringLiteral("description"), where, kMaxTextChars);
    item.owner = text(o, QStringLiteral("owner"), where, kMaxNameChars);
    item.uploaded = text(o, QStringLiteral("uploaded"), where, kMaxNameChars);
    if (!isUploadTime(item.uploaded))
        fail(where, QStringLiteral("\"uploaded\" is not a time"));
    item.hits = number(o, QStringLiteral("hits"), where, 0);
    return item;
}

std::optional<FeedCursor> readNext(const QJsonObject &top)
{
    const QJsonValue v = top.value(QStringLiteral("next"));
    if (v.isUndefined() || v.isNull())
        return std::nullopt;
    const QString where = QStringLiteral("next");
    const QJsonObject o = entry(v, where);
    FeedCursor cursor{text(o, QStringLiteral("since"), where, kMaxNameChars),
                      number(o, QStringLiteral("after"), where, 0)};
    if (!isUploadTime(cursor.since))
        fail(where, QStringLiteral("\"since\" is not a time"));
    return cursor;
}

} // namespace

bool isUploadTime(const QString &text)
{
    return text.size() == kUploadFormat.size() && QDateTime::fromString(text, kUploadFormat).isValid();
}

QByteArray feedJson(const FeedPage &page)
{
    QJsonArray classes;
    for (const FeedClass &c : page.classes)
        classes.append(QJsonObject{{QStringLiteral("id"), c.id}, {QStringLiteral("name"), c.name}});
    QJsonArray columns;
    for (const FeedColumn &c : page.columns) {
        columns.append(QJsonObject{{QStringLiteral("id"), c.id},
                                   {QStringLiteral("class"), c.classId},
                                   {QStringLiteral("name"), c.name},
                                   {QStringLiteral("description"), c.description}});
    }
    QJsonArray items;
    for (const FeedItem &i : page.items) {
        items.append(QJsonObject{{QStringLiteral("id"), i.id},
                                 {QStringLiteral("column"), i.columnId},
                                 {QStringLiteral("name"), i.name},
                                 {QStringLiteral("file"), i.file},
                                 {QStringLiteral("url"), i.url},
                                 {QStringLiteral("description"), i.description},
                                 {QStringLiteral("owner"), i.owner},
                                 {QStringLiteral("uploaded"), i.uploaded},
                                 {QStringLiteral("hits"), i.hits}});
    }
    QJsonObject top{{QStringLiteral("format"), QString::fromLatin1(kFeedFormat)},
                    {QStringLiteral("classes"), classes},
                    {QStringLiteral("columns"), columns},
                    {QStringLiteral("items"), items}};
    top.insert(QStringLiteral("next"), page.next ? QJsonValue(QJsonObject{{QStringLiteral("since"), page.next->since},
                                                                          {QStringLiteral("after"), page.next->after}})
                                                 : QJsonValue());
    return QJsonDocument(top).toJson(QJsonDocument::Compact);
}

FeedPage parseFeedPage(const QByteArray &bytes)
{
    if (bytes.size() > kMaxPageBytes)
        fail(QString(), QStringLiteral("the page is larger than %1 bytes").arg(kMaxPageBytes));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        fail(QString(), QStringLiteral("not JSON (%1 at byte %2)").arg(error.errorString()).arg(error.offset));
    if (!document.isObject())
        fail(QString(), QStringLiteral("not a JSON object"));
    const QJsonObject top = document.object();
    if (top.value(QStringLiteral("format")).toString() != QLatin1String(kFeedFormat))
        fail(QString(), QStringLiteral("not a page of the format %1").arg(QLatin1String(kFeedFormat)));

    FeedPage page;
    QSet<int> classIds;
    const QJsonArray classes = list(top, QStringLiteral("classes"));
    for (qsizetype i = 0; i < classes.size(); ++i) {
        const QString where = QStringLiteral("class %1").arg(i);
        const QJsonObject o = entry(classes.at(i), where);
        page.classes << FeedClass{number(o, QStringLiteral("id"), where, 1),
                                  requiredName(o, QStringLiteral("name"), where)};
        classIds.insert(page.classes.constLast().id);
    }
    QSet<int> columnIds;
    const QJsonArray columns = list(top, QStringLiteral("columns"));
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const QString where = QStringLiteral("column %1").arg(i);
        const QJsonObject o = entry(columns.at(i), where);
        FeedColumn c{number(o, QStringLiteral("id"), where, 1), number(o, QStringLiteral("class"), where, 1),
                     requiredName(o, QStringLiteral("name"), where),
                     text(o, QStringLiteral("description"), where, kMaxTextChars)};
        if (!classIds.contains(c.classId))
            fail(where, QStringLiteral("its class %1 is not on the page").arg(c.classId));
        columnIds.insert(c.id);
        page.columns << c;
    }
    const QJsonArray items = list(top, QStringLiteral("items"));
    FeedCursor last;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString where = QStringLiteral("item %1").arg(i);
        FeedItem item = readItem(entry(items.at(i), where), where);
        if (!columnIds.contains(item.columnId))
            fail(where, QStringLiteral("its column %1 is not on the page").arg(item.columnId));
        const FeedCursor at{item.uploaded, item.id};
        if (last.before(at))
            last = at;
        page.items << item;
    }
    page.next = readNext(top);
    if (page.next && (page.items.isEmpty() || page.next->before(last)))
        fail(QStringLiteral("next"), QStringLiteral("the next page does not start after this one"));
    return page;
}

} // namespace update
