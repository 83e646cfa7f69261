// The feed's pages as the companion reads them: a page comes back as it was
// sent, and each way a field can be wrong is refused, naming where.
#include "update/Feed.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <functional>

namespace {

update::FeedPage samplePage()
{
    update::FeedPage page;
    page.classes = {{1, QStringLiteral("动画")}, {2, QStringLiteral("游戏")}};
    page.columns = {{10, 1, QStringLiteral("搞笑"), QStringLiteral("说明")},
                    {20, 2, QStringLiteral("益智"), QString()}};
    page.items = {{501, 10, QStringLiteral("小猪"), QStringLiteral("pig.swf"), QStringLiteral("http://s/pig.swf"),
                   QStringLiteral("一只猪"), QStringLiteral("某人"), QStringLiteral("2030-01-01 08:00:00"), 7},
                  {502, 20, QStringLiteral("拼图"), QStringLiteral("p.swf"), QString(), QString(), QString(),
                   QStringLiteral("2030-01-01 08:00:00"), 0}};
    page.next = update::FeedCursor{QStringLiteral("2030-01-01 08:00:00"), 502};
    return page;
}

QJsonObject sampleObject()
{
    return QJsonDocument::fromJson(update::feedJson(samplePage())).object();
}

// The sample page with one entry of one list changed.
QByteArray withEntry(const char *list, int index, const std::function<void(QJsonObject &)> &change)
{
    QJsonObject top = sampleObject();
    QJsonArray entries = top.value(QLatin1String(list)).toArray();
    QJsonObject entry = entries.at(index).toObject();
    change(entry);
    entries.replace(index, entry);
    top.insert(QLatin1String(list), entries);
    return QJsonDocument(top).toJson(QJsonDocument::Compact);
}

QByteArray withTop(const char *key, const QJsonValue &value)
{
    QJsonObject top = sampleObject();
    top.insert(QLatin1String(key), value);
    return QJsonDocument(top).toJson(QJsonDocument::Compact);
}

QByteArray withField(const char *list, int index, const char *key, const QJsonValue &value)
{
    return withEntry(list, index, [&](QJsonObject &o) { o.insert(QLatin1String(key), value); });
}

} // namespace

TEST(FeedPage, APageReadsAsSentAndEachBadFieldIsRefusedNamingWhere)
{
    EXPECT_EQ(update::parseFeedPage(update::feedJson(samplePage())), samplePage());
    update::FeedPage last = samplePage();
    last.next.reset();
    EXPECT_EQ(update::parseFeedPage(update::feedJson(last)), last);
    QJsonObject noNext = sampleObject();
    noNext.remove(QStringLiteral("next"));
    EXPECT_EQ(update::parseFeedPage(QJsonDocument(noNext).toJson()), last);
    // Texts that may be empty may be left out or null.
    update::FeedPage sparse = samplePage();
    sparse.items.first().url.clear();
    sparse.items.first().owner.clear();
    EXPECT_EQ(update::parseFeedPage(withEntry("items", 0,
                                              [](QJsonObject &o) {
                                                  o.remove(QStringLiteral("url"));
                                                  o.insert(QStringLiteral("owner"), QJsonValue::Null);
                                              })),
              sparse);

    QJsonArray tooMany;
    for (int i = 0; i <= update::kMaxPageItems; ++i)
        tooMany.append(QJsonObject{{QStringLiteral("id"), i + 1}, {QStringLiteral("name"), QStringLiteral("c")}});
    const QJsonArray one{QJsonObject{{QStringLiteral("id"), 1}, {QStringLiteral("name"), QStringLiteral("c")}}};
    const struct
    {
        const char *name;
        QByteArray page;
        QString refusal;
    } cases[] = {
        {"larger than a page", QByteArray(update::kMaxPageBytes + 1, ' '), QStringLiteral("larger than")},
        {"a list", "[1, 2]", QStringLiteral("not a JSON object")},
        {"no classes", withTop("classes", QJsonObject()), QStringLiteral("\"classes\" is not a list")},
        {"too many", withTop("classes", tooMany), QStringLiteral("\"classes\" has more than 1000 entries")},
        {"class no object", withTop("classes", QJsonArray{one.first(), 3}), QStringLiteral("class 1: not an object")},
        {"id zero", withField("classes", 1, "id", 0), QStringLiteral("class 1: \"id\" is out of range")},
        {"id fraction", withField("columns", 0, "id", 1.5), QStringLiteral("column 0: \"id\" is out of range")},
        {"id too large", withField("items", 1, "id", 3e9), QStringLiteral("item 1: \"id\" is out of range")},
        {"id as text", withField("items", 0, "column", QStringLiteral("10")),
         QStringLiteral("item 0: \"column\" is not a number")},
        {"negative hits", withField("items", 0, "hits", -1), QStringLiteral("item 0: \"hits\" is out of range")},
        {"empty name", withField("classes", 0, "name", QString()),
         QStringLiteral("class 0: \"name\" is missing or empty")},
        {"no file", withEntry("items", 1, [](QJsonObject &o) { o.remove(QStringLiteral("file")); }),
         QStringLiteral("item 1: \"file\" is missing or empty")},
        {"name as number", withField("columns", 1, "name", 5), QStringLiteral("column 1: \"name\" is not a text")},
        {"half a character", withField("items", 0, "owner", QString(QChar(0xd800))),
         QStringLiteral("item 0: \"owner\" is not valid Unicode")},
        {"long description", withField("columns", 0, "description", QString(update::kMaxTextChars + 1, u'说')),
         QStringLiteral("column 0: \"description\" is longer than 65536 characters")},
        {"column of no class", withField("columns", 1, "class", 7),
         QStringLiteral("column 1: its class 7 is not on the page")},
        {"no time", withField("items", 1, "uploaded", QStringLiteral("2030-02-30 08:00:00")),
         QStringLiteral("item 1: \"uploaded\" is not a time")},
        {"next no object", withTop("next", 5), QStringLiteral("next: not an object")},
        {"next no time",
         withTop("next", QJsonObject{{QStringLiteral("since"), QStringLiteral("soon")}, {QStringLiteral("after"), 1}}),
         QStringLiteral("next: \"since\" is not a time")},
        {"next before the last",
         withTop("next", QJsonObject{{QStringLiteral("since"), QStringLiteral("2030-01-01 08:00:00")},
                                     {QStringLiteral("after"), 501}}),
         QStringLiteral("next: the next page does not start after this one")},
        {"next of no items", withTop("items", QJsonArray()),
         QStringLiteral("next: the next page does not start after this one")},
    };
    for (const auto &c : cases) {
        try {
            update::parseFeedPage(c.page);
            ADD_FAILURE() << "taken: " << c.name;
        } catch (const update::FeedError &e) {
            EXPECT_TRUE(e.text().contains(c.refusal)) << c.name << ": " << e.text().toStdString();
        }
    }
}
