#include "catalogue/PublishedCatalogue.h"
#include "CatalogueRows.h"
#include "catalogue/DemoCatalogue.h"
#include "catalogue/DemoContent.h"

#include "store/Connection.h"
#include "store/DatabaseError.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

namespace {

QStringList publishedRows(const QString &siteHome, const QString &sql)
{
    return catalogueFileRows(catalogue::publishedPath(siteHome), sql);
}

int publishedCount(const QString &siteHome, const QString &sql)
{
    return publishedRows(siteHome, sql).value(0).toInt();
}

TEST(PublishedCatalogue, StartsFromTheHomeCatalogueWithoutTheUsersMarks)
{
    QTemporaryDir home;
    catalogue::DemoOptions options;
    options.items = 300;
    catalogue::writeDemoCatalogue(home.path(), options);
    catalogue::ensurePublished(home.path());

    store::Connection source(catalogue::cataloguePath(home.path()));
    QSqlQuery q(source.database());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT FileID, ColumeID, DisplayName, URL, Owner, UploadDate, Hits"
                                      " FROM tb_Files ORDER BY FileID")));
    QStringList expected;
    while (q.next()) {
        QStringList fields;
        for (int i = 0; i < 7; ++i)
            fields << q.value(i).toString();
        expected << fields.join(u'|');
    }
    EXPECT_EQ(publishedRows(home.path(), QStringLiteral("SELECT FileID, ColumeID, DisplayName, URL, Owner, UploadDate,"
                                                        " Hits FROM tb_Files ORDER BY FileID")),
              expected);
    EXPECT_EQ(publishedCount(home.path(), QStringLiteral("SELECT count(*) FROM tb_Colume")),
              int(catalogue::demoColumns().size()));
    EXPECT_EQ(publishedCount(home.path(), QStringLiteral("SELECT count(*) FROM tb_Class")),
              int(catalogue::demoClasses().size()));
    // The source has viewed and downloaded items; the site has no such marks.
    EXPECT_EQ(publishedCount(home.path(), QStringLiteral("SELECT count(*) FROM tb_Files WHERE HasViewed OR"
                                                         " HasDownloaded")),
              0);

    // Once there, it is kept as it is, and nothing is left beside it.
    const int first = catalogue::publishItems(home.path(), 5);
    EXPECT_EQ(first, 1001 + options.items);
    catalogue::ensurePublished(home.path());
    EXPECT_EQ(publishedCount(home.path(), QStringLiteral("SELECT count(*) FROM tb_Files")), options.items + 5);
    EXPECT_EQ(QDir(QDir(home.path()).filePath(QStringLiteral("site"))).entryList(QDir::Files),
              QStringList{QStringLiteral("published.db")});
}

TEST(PublishedCatalogue, PublishingAddsItemsAndColumnsInOneGo)
{
    QTemporaryDir home;
    // No catalogue in the home: the site starts with the demo's columns only.
    EXPECT_EQ(catalogue::publishItems(home.path(), 25), 1);
    const int demoColumns = int(catalogue::demoColumns().size());
    EXPECT_EQ(publishedCount(home.path(), QStringLiteral("SELECT count(*) FROM tb_Colume")), demoColumns + 2);
    EXPECT_EQ(publishedRows(home.path(), QStringLiteral("SELECT min(FileID), max(FileID), count(DISTINCT FileID),"
                                                        " count(DISTINCT UploadDate) FROM tb_Files")),
              QStringList{QStringLiteral("1|25|25|1")});
    // Every fifth item is in a new column, and each new one is in an existing class.
    int lastDemoColumn = 0;
    for (const catalogue::DemoColumn &c : catalogue::demoColumns())
        lastDemoColumn = std::max(lastDemoColumn, c.id);
    EXPECT_EQ(publishedCount(home.path(),
                             QStringLiteral("SELECT count(*) FROM tb_Files WHERE ColumeID > %1").arg(lastDemoColumn)),
              5);
    EXPECT_EQ(publishedCount(home.path(), QStringLiteral("SELECT count(*) FROM tb_Colume WHERE ColumeParent NOT IN"
                                                         " (SELECT ClassID FROM tb_Class)")),
              0);
    // Files are named after the column's stem and the item.
    EXPECT_EQ(publishedCount(home.path(), QStringLiteral("SELECT count(*) FROM tb_Files WHERE Filename NOT LIKE"
                                                         " '%_' || FileID || '.swf'")),
              0);

    // The next items follow on, also in a column the demo does not know:
    // its files are named after its number.
    {
        store::Connection c(catalogue::publishedPath(home.path()));
        c.exec(QStringLiteral("DELETE FROM tb_Colume"));
        c.exec(QStringLiteral("INSERT INTO tb_Colume (ColumeID, ColumeName, ColumeParent, ColumeDesc)"
                              " VALUES (500, '自建栏目', 3, '')"));
    }
    EXPECT_EQ(catalogue::publishItems(home.path(), 60), 26);
    EXPECT_EQ(publishedRows(home.path(), QStringLiteral("SELECT ColumeID, ColumeParent FROM tb_Colume ORDER BY 1")),
              (QStringList{QStringLiteral("500|3"), QStringLiteral("501|3"), QStringLiteral("502|3"),
                           QStringLiteral("503|3")}));
    EXPECT_EQ(publishedCount(home.path(), QStringLiteral("SELECT count(*) FROM tb_Files WHERE FileID > 25 AND"
                                                         " Filename LIKE 'col500!_%' ESCAPE '!'")),
              60);
    EXPECT_EQ(publishedCount(home.path(), QStringLiteral("SELECT count(*) FROM tb_Files WHERE ColumeID = 500")), 48);

    // A refused request changes nothing.
    EXPECT_THROW(catalogue::publishItems(home.path(), -1), std::runtime_error);
    store::Connection(catalogue::publishedPath(home.path())).exec(QStringLiteral("DELETE FROM tb_Class"));
    EXPECT_THROW(catalogue::publishItems(home.path(), 10), std::runtime_error);
    EXPECT_EQ(publishedCount(home.path(), QStringLiteral("SELECT count(*) FROM tb_Files")), 85);
    EXPECT_EQ(publishedCount(home.path(), QStringLiteral("SELECT count(*) FROM tb_Colume")), 4);
}

TEST(PublishedCatalogue, TheFeedPagesThroughWhatIsShown)
{
    QTemporaryDir home;
    catalogue::publishItems(home.path(), 40);
    {
        store::Connection c(catalogue::publishedPath(home.path()));
        // A deleted item, an item in a column of no class, and two items of
        // one second that only their numbers tell apart.
        c.exec(QStringLiteral("UPDATE tb_Files SET Deleted = 1 WHERE FileID = 7"));
        c.exec(QStringLiteral("INSERT INTO tb_Colume (ColumeID, ColumeName, ColumeParent, ColumeDesc)"
                              " VALUES (900, '孤儿', 999, '')"));
        c.exec(QStringLiteral("UPDATE tb_Files SET ColumeID = 900 WHERE FileID = 12"));
        c.exec(QStringLiteral("UPDATE tb_Files SET UploadDate = '2001-02-03 04:05:06' WHERE FileID IN (30, 31)"));
    }
    store::Connection published(catalogue::publishedPath(home.path()));
    const QString site = QStringLiteral("http://127.0.0.1:9/");
    QList<int> ids;
    update::FeedCursor cursor;
    int pages = 0;
    for (;; ++pages) {
        ASSERT_LT(pages, 20);
        const update::FeedPage page = catalogue::readFeedPage(published, cursor, 7, site);
        EXPECT_LE(page.items.size(), 7);
        QSet<int> columnIds;
        QSet<int> classIds;
        for (const update::FeedItem &item : page.items) {
            ids << item.id;
            columnIds.insert(item.columnId);
            EXPECT_TRUE(item.url.startsWith(site + QStringLiteral("files/"))) << item.url.toStdString();
        }
        // The page's columns and classes are those of its items, no more.
        QSet<int> pageColumns;
        for (const update::FeedColumn &column : page.columns) {
            pageColumns.insert(column.id);
            classIds.insert(column.classId);
            for (const update::FeedItem &item : page.items) {
                if (item.columnId == column.id) {
                    EXPECT_EQ(QUrl(item.url).path(), QStringLiteral("/files/%1/%2").arg(column.name, item.file));
                }
            }
        }
        EXPECT_EQ(pageColumns, columnIds);
        QSet<int> pageClasses;
        for (const update::FeedClass &c : page.classes)
            pageClasses.insert(c.id);
        EXPECT_EQ(pageClasses, classIds);
        if (!page.next) {
            EXPECT_LE(page.items.size(), 7);
            break;
        }
        EXPECT_EQ(page.items.size(), 7);
        EXPECT_EQ(page.next->after, page.items.constLast().id);
        cursor = *page.next;
    }
    EXPECT_EQ(pages, 5);
    QList<int> expected;
    expected << 30 << 31;
    for (int id = 1; id <= 40; ++id) {
        if (id != 7 && id != 12 && id != 30 && id != 31)
            expected << id;
    }
    EXPECT_EQ(ids, expected);

    // A page holds one item at the least.
    for (const int limit : {0, -5}) {
        const update::FeedPage first = catalogue::readFeedPage(published, {}, limit, site);
        ASSERT_EQ(first.items.size(), 1) << limit;
        EXPECT_EQ(first.items.constFirst().id, 30);
        ASSERT_TRUE(first.next.has_value());
        EXPECT_EQ(first.next->after, 30);
    }
}

} // namespace

namespace {

TEST(PublishedCatalogue, AHomeCatalogueThatCannotBeCopiedLeavesNoHalfMadeFile)
{
    const auto siteFiles = [](const QTemporaryDir &home) {
        return QDir(QDir(home.path()).filePath(QStringLiteral("site"))).entryList(QDir::Files);
    };
    // Not a database at all, then a database without the catalogue's tables.
    QTemporaryDir home;
    QDir(home.path()).mkpath(QStringLiteral("Data"));
    QFile garbage(catalogue::cataloguePath(home.path()));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(4096, 'x'));
    garbage.close();
    EXPECT_THROW(catalogue::ensurePublished(home.path()), DatabaseError);
    EXPECT_EQ(siteFiles(home), QStringList());

    QTemporaryDir other;
    QDir(other.path()).mkpath(QStringLiteral("Data"));
    {
        store::Connection c(QDir(other.path()).filePath(QStringLiteral("Data/info.db")),
                            store::Connection::Mode::Create);
        c.exec(QStringLiteral("DROP TABLE tb_Files"));
    }
    EXPECT_THROW(catalogue::ensurePublished(other.path()), DatabaseError);
    EXPECT_EQ(siteFiles(other), QStringList());
    // The source is let go again: it can be replaced and then copied.
    QFile::remove(catalogue::cataloguePath(other.path()));
    catalogue::DemoOptions options;
    options.items = 10;
    catalogue::writeDemoCatalogue(other.path(), options);
    catalogue::ensurePublished(other.path());
    EXPECT_EQ(publishedCount(other.path(), QStringLiteral("SELECT count(*) FROM tb_Files")), 10);

    // Where the site folder cannot be made, nothing is published.
    QTemporaryDir blocked;
    QFile site(QDir(blocked.path()).filePath(QStringLiteral("site")));
    ASSERT_TRUE(site.open(QIODevice::WriteOnly));
    site.close();
    EXPECT_THROW(catalogue::publishItems(blocked.path(), 3), std::runtime_error);
}

} // namespace
