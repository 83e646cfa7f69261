// The local search: its answers against the statement it stands for, run by
// SQLite on a real catalogue; the index following other connections' writes;
// an older catalogue brought up to date; rows made as the list scrolls.
#include "TempCatalogue.h"

#include "search/LocalSearch.h"
#include "search/NameIndex.h"
#include "search/SearchResultModel.h"
#include "store/Connection.h"
#include "store/DataModule.h"
#include "store/JetSql.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using search::kAll;

class LocalSearch : public ::testing::Test
{
protected:
    LocalSearch()
    {
        catalogue.addClass(1, QStringLiteral("MTV精选"));
        catalogue.addClass(3, QStringLiteral("游戏世界"));
        catalogue.addColumn(11, 1, QStringLiteral("流行金曲"));
        catalogue.addColumn(12, 1, QStringLiteral("Rock'n'Roll"), false);
        catalogue.addColumn(31, 3, QStringLiteral("益智游戏"));
        catalogue.addColumn(32, 3, QStringLiteral("动作"));
        const QStringList names = {
            QStringLiteral("快乐的足球"),  QStringLiteral("疯狂赛车 加强版"), QStringLiteral("Don't Stop"),
            QStringLiteral("100% 快乐"),   QStringLiteral("1000 快乐"),       QStringLiteral("my_game"),
            QStringLiteral("mygame"),      QStringLiteral("MTV 夏天的约定"),  QStringLiteral("桌球 (mtv)"),
            QStringLiteral("a\\b 反斜杠"), QStringLiteral("足球小子"),        QString(),
            QStringLiteral("快乐的一天"),  QStringLiteral("𠀀 扩展字"),
        };
        const int columns[] = {31, 32, 12, 11, 11, 31, 32, 11, 31, 32, 31, 31, 12, 11};
        for (int i = 0; i < names.size(); ++i)
            catalogue.addItem(100 + i, columns[i], names[i], QStringLiteral("2003-01-05 10:00:00"));
        catalogue.addItem(200, 31, QStringLiteral("快乐的删除"), QStringLiteral("2003-01-05"), 0, false, false, true);
        catalogue.addItem(201, 99, QStringLiteral("快乐的孤儿"), QStringLiteral("2003-01-05"));
    }

    // What SQLite answers to the statement, in item order.
    std::vector<qint64> statement(const QString &keyword, const QString &cls, const QString &col)
    {
        QSqlQuery q(dm.ac_info.database());
        const QString sql = store::translateJet(search::localSearchStatement(keyword, cls, col));
        EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
        std::vector<qint64> ids;
        while (q.next())
            ids.push_back(q.value(QStringLiteral("FileID")).toLongLong());
        std::sort(ids.begin(), ids.end());
        return ids;
    }
    std::vector<qint64> found(const QString &keyword, const QString &cls = kAll, const QString &col = kAll)
    {
        return *search::LocalSearch(dm, index, keyword, cls, col).fileIds;
    }
    // Every keyword with every narrowing gives what the statement gives.
    void expectAgreement(const char *when)
    {
        const QStringList keywords = {QString(),
                                      QStringLiteral("快乐"),
                                      QStringLiteral("球"),
                                      QStringLiteral("疯狂赛车"),
                                      QStringLiteral("mtv"),
                                      QStringLiteral("DON'T"),
                                      QStringLiteral("%"),
                                      QStringLiteral("_"),
                                      QStringLiteral("\\"),
                                      QStringLiteral("0%"),
                                      QStringLiteral("'"),
                                      QStringLiteral("不存在"),
                                      QStringLiteral("𠀀"),
                                      QStringLiteral("y_g")};
        const QList<std::pair<QString, QString>> narrowings = {
            {kAll, kAll},
            {QStringLiteral("游戏世界"), kAll},
            {QStringLiteral("游戏世界"), QStringLiteral("益智游戏")},
            {kAll, QStringLiteral("Rock'n'Roll")},
            {QStringLiteral("MTV精选"), QStringLiteral("益智游戏")},
            {QStringLiteral("没有的类"), kAll},
        };
        for (const QString &k : keywords) {
            for (const auto &[cls, col] : narrowings)
                EXPECT_EQ(found(k, cls, col), statement(k, cls, col))
                    << when << ": keyword '" << k.toStdString() << "', " << cls.toStdString() << "/"
                    << col.toStdString();
        }
    }

    TempCatalogue catalogue;
    TDM_CDS dm{catalogue.path()};
    search::NameIndex index;
};

TEST_F(LocalSearch, FindsWhatTheStatementFindsAndTypedCharactersMatchThemselves)
{
    index.load(catalogue.path());
    EXPECT_EQ(index.size(), 15) << "the deleted item is left out, the one without a column is not";
    expectAgreement("after loading");

    EXPECT_EQ(found(QStringLiteral("%")), (std::vector<qint64>{103})) << "'%' is a percent sign";
    EXPECT_EQ(found(QStringLiteral("y_g")), (std::vector<qint64>{105})) << "'_' is an underscore";
    EXPECT_EQ(found(QStringLiteral("'t s")), (std::vector<qint64>{102})) << "a quote and any case of Latin letters";
    EXPECT_EQ(found(QStringLiteral("球")), (std::vector<qint64>{100, 108, 110}));
    EXPECT_EQ(found(QString()).size(), 15u);
    EXPECT_EQ(found(QString(), kAll, QStringLiteral("Rock'n'Roll")), (std::vector<qint64>{102, 112}))
        << "a column alone, unsubscribed: the search does not follow subscriptions";

    const search::LocalSearchResult r =
        search::LocalSearch(dm, index, QStringLiteral("快乐"), QStringLiteral("MTV精选"), kAll);
    EXPECT_EQ(r.statusTexts, (QStringList{QStringLiteral("类别:MTV精选"), QStringLiteral("栏目:所有"),
                                          QStringLiteral("关键字:快乐"), QStringLiteral("共3条")}));

    // The names are read from their index in name order; without it (a bulk
    // load drops it) from the item rows. Both give the same index.
    catalogue.exec(QStringLiteral("DROP INDEX ix_Files_Name"));
    index.load(catalogue.path());
    EXPECT_EQ(index.size(), 15);
    expectAgreement("loaded without the names' index");
}

TEST_F(LocalSearch, FollowsWhatOtherConnectionsWrite)
{
    index.load(catalogue.path());
    // Another process: renames (longer, shorter), adds before and after the
    // last item, deletes in both ways, moves an item to another column, and
    // moves a column to another class.
    catalogue.exec(QStringLiteral("UPDATE tb_Files SET DisplayName = '快乐的足球与加长的名字' WHERE FileID = 100"));
    catalogue.exec(QStringLiteral("UPDATE tb_Files SET DisplayName = '球' WHERE FileID = 101"));
    catalogue.addItem(300, 11, QStringLiteral("新来的快乐"), QStringLiteral("2003-02-01"));
    expectAgreement("after renames and an item added at the end");

    catalogue.addItem(150, 32, QStringLiteral("插队的 MTV 快乐"), QStringLiteral("2003-02-01"));
    catalogue.exec(QStringLiteral("UPDATE tb_Files SET Deleted = 1 WHERE FileID = 108"));
    catalogue.exec(QStringLiteral("DELETE FROM tb_Files WHERE FileID = 112"));
    catalogue.exec(QStringLiteral("UPDATE tb_Files SET ColumeID = 12 WHERE FileID = 110"));
    catalogue.exec(QStringLiteral("UPDATE tb_Colume SET ColumeParent = 1 WHERE ColumeID = 32"));
    expectAgreement("after an item added in between, deletions and moves");

    catalogue.exec(QStringLiteral("UPDATE tb_Files SET Deleted = 0 WHERE FileID = 200"));
    EXPECT_EQ(found(QStringLiteral("删除")), (std::vector<qint64>{200})) << "an item undeleted comes back";
    // The program's own writes through its connection count as well.
    dm.ac_info.exec(QStringLiteral("UPDATE tb_Files SET Deleted = 1 WHERE FileID = 200"));
    EXPECT_TRUE(found(QStringLiteral("删除")).empty());
    // Marks written by the lists are no change of the index.
    const qint64 before = index.lastChange();
    dm.ac_info.exec(QStringLiteral("UPDATE tb_Files SET HasDownloaded = 1, HasViewed = 1 WHERE FileID = 103"));
    found(QString());
    EXPECT_EQ(index.lastChange(), before);

    // Thousands of items among the others: more than the index keeps aside,
    // so its text is written afresh.
    catalogue.addItem(100000, 31, QStringLiteral("最后的快乐"), QStringLiteral("2003-03-01"));
    found(QString());
    catalogue.exec(QStringLiteral("INSERT INTO tb_Files (FileID, ColumeID, DisplayName, UploadDate)"
                                  " WITH RECURSIVE n(i) AS (SELECT 10000 UNION ALL SELECT i + 1 FROM n WHERE i < 14999)"
                                  " SELECT i, 31 + i % 2, '批量' || i || (CASE WHEN i % 7 = 0 THEN '快乐' ELSE '' END),"
                                  " '2003-03-01' FROM n"));
    expectAgreement("after thousands of items added among the others");
    EXPECT_EQ(index.size(), qsizetype(statement(QString(), kAll, kAll).size()));
}

TEST_F(LocalSearch, AnOlderCatalogueGetsItsChangeLogOnFirstOpenAndKeepsItsMarks)
{
    // The layout of version 2: no change log.
    catalogue.exec(QStringLiteral("UPDATE tb_Files SET HasViewed = 1, HasDownloaded = 1 WHERE FileID IN (100, 101)"));
    for (const char *trigger : {"tb_Files_search_insert", "tb_Files_search_delete", "tb_Files_search_update"})
        catalogue.exec(QStringLiteral("DROP TRIGGER %1").arg(QLatin1String(trigger)));
    catalogue.exec(QStringLiteral("DROP TABLE tb_SearchChanges"));
    catalogue.exec(QStringLiteral("UPDATE tb_SchemaVersion SET Version = 2"));
    catalogue.release();

    TDM_CDS old(catalogue.path());
    search::NameIndex oldIndex;
    oldIndex.load(old.ac_info.handle()); // opening brings the file up to date first
    EXPECT_EQ(catalogue.scalar(QStringLiteral("SELECT max(Version) FROM tb_SchemaVersion")).toInt(),
              store::kSchemaVersion);
    EXPECT_EQ(
        catalogue.scalar(QStringLiteral("SELECT count(*) FROM tb_Files WHERE HasViewed AND HasDownloaded")).toInt(), 2);
    catalogue.exec(QStringLiteral("UPDATE tb_Files SET DisplayName = '改名的快乐' WHERE FileID = 105"));
    EXPECT_EQ(*search::LocalSearch(old, oldIndex, QStringLiteral("改名"), kAll, kAll).fileIds,
              (std::vector<qint64>{105}));
}

TEST_F(LocalSearch, RowsAreMadeByFillItemListAsTheListScrolls)
{
    // 150 more items, one of them with a local copy.
    catalogue.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1000 UNION ALL SELECT i + 1 FROM n WHERE i < 1149)"
                                  " INSERT INTO tb_Files (FileID, ColumeID, DisplayName, Filename, UploadDate)"
                                  " SELECT i, 31, '拼图' || i, 'p' || i || '.swf', '2003-01-05' FROM n"));
    QDir(catalogue.home()).mkpath(QStringLiteral("local/益智游戏"));
    QFile copy(QDir(catalogue.home()).filePath(QStringLiteral("local/益智游戏/p1120.swf")));
    ASSERT_TRUE(copy.open(QIODevice::WriteOnly));
    copy.write("FWS");
    copy.close();
    index.load(catalogue.path());

    const search::LocalSearchResult r = search::LocalSearch(dm, index, QStringLiteral("拼图"), kAll, kAll);
    ASSERT_EQ(r.count(), 150);
    search::SearchResultModel model;
    int made = 0;
    model.setResult(r.fileIds, [&](const std::vector<qint64> &ids, size_t from, size_t count) {
        made += int(std::min(count, ids.size() - from));
        return search::searchRows(dm, catalogue.home(), ids, from, count);
    });
    EXPECT_EQ(model.rowCount(), int(search::SearchResultModel::kFirstScreen)) << "the first screen only";
    EXPECT_EQ(catalogue.scalar(QStringLiteral("SELECT HasDownloaded FROM tb_Files WHERE FileID = 1120")).toInt(), 0)
        << "rows not yet made have not been probed";
    EXPECT_EQ(model.row(0).caption, QStringLiteral("拼图1000"));
    EXPECT_EQ(model.headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("URL"));

    // Another process deletes an item that is not made yet: it is left out.
    catalogue.exec(QStringLiteral("DELETE FROM tb_Files WHERE FileID = 1100"));
    while (model.canFetchMore({}))
        model.fetchMore({});
    EXPECT_EQ(made, 150);
    EXPECT_EQ(model.rowCount(), 149);
    const browse::ItemRow &local = model.row(119);
    EXPECT_EQ(local.fileId, QStringLiteral("1120"));
    EXPECT_EQ(local.localCopy, QStringLiteral("true"));
    EXPECT_EQ(local.imageIndex, 2);
    EXPECT_EQ(local.localLocation, QStringLiteral("/local/益智游戏/p1120.swf"));
    EXPECT_EQ(model.data(model.index(119, 7), Qt::DisplayRole).toString(), local.localLocation);
    EXPECT_EQ(catalogue.scalar(QStringLiteral("SELECT HasDownloaded FROM tb_Files WHERE FileID = 1120")).toInt(), 1)
        << "the local-copy probe marked it downloaded";
}

// The result list: rows made only for the list itself, batch by batch; no
// header beyond its columns; cleared, it has nothing more to make.
TEST_F(LocalSearch, TheResultListMakesRowsOnlyAtItsTopLevelAndClears)
{
    catalogue.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1000 UNION ALL SELECT i + 1 FROM n WHERE i < 1119)"
                                  " INSERT INTO tb_Files (FileID, ColumeID, DisplayName, UploadDate)"
                                  " SELECT i, 31, '拼图' || i, '2003-01-05' FROM n"));
    index.load(catalogue.path());
    {
        search::SearchResultModel model;
        EXPECT_FALSE(model.canFetchMore({}));
        const search::LocalSearchResult r = search::LocalSearch(dm, index, QStringLiteral("拼图"), kAll, kAll);
        model.setResult(r.fileIds, [&](const std::vector<qint64> &ids, size_t from, size_t count) {
            return search::searchRows(dm, catalogue.home(), ids, from, count);
        });
        EXPECT_FALSE(model.canFetchMore(model.index(0, 0))) << "rows have no children to fetch";
        model.fetchMore(model.index(0, 0));
        EXPECT_EQ(model.rowCount(), int(search::SearchResultModel::kFirstScreen));
        while (model.canFetchMore({}))
            model.fetchMore({});
        EXPECT_EQ(model.rowCount(), 120);
        EXPECT_EQ(model.data(model.index(119, 0), Qt::DisplayRole).toString(), QStringLiteral("拼图1119"));
        EXPECT_EQ(model.data(model.index(119, 2), Qt::DisplayRole).toString(), QStringLiteral("1119"));
        for (int section : {-1, search::SearchResultModel::kColumns})
            EXPECT_FALSE(model.headerData(section, Qt::Horizontal, Qt::DisplayRole).isValid()) << section;
        EXPECT_FALSE(model.headerData(0, Qt::Vertical, Qt::DisplayRole).isValid());
        model.clear();
        EXPECT_EQ(model.rowCount(), 0);
        EXPECT_FALSE(model.canFetchMore({}));
    }
}

} // namespace
