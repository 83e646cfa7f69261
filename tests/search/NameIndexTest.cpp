// The name index against SQLite itself: after loading and after every batch of
// random writes (names longer and shorter, items added anywhere, deleted,
// brought back and moved), a search finds what instr() over the rows finds;
// many writes at once, bad UTF-8 in names, and a file that cannot be read.
#include "TempCatalogue.h"

#include "search/NameIndex.h"
#include "store/Connection.h"
#include "store/DatabaseError.h"

#include <QSqlQuery>
#include <QStringList>

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <set>

namespace {

class NameIndex : public ::testing::Test
{
protected:
    NameIndex()
    {
        catalogue.addClass(1, QStringLiteral("MTV精选"));
        catalogue.addClass(3, QStringLiteral("游戏世界"));
        catalogue.addColumn(11, 1, QStringLiteral("流行金曲"));
        catalogue.addColumn(12, 1, QStringLiteral("经典老歌"));
        catalogue.addColumn(31, 3, QStringLiteral("益智游戏"));
    }

    // A name from a few characters, so that keywords hit often: ASCII in both
    // cases, CJK, a LIKE wildcard and a character outside the BMP.
    QString randomName()
    {
        static const QStringList parts = {QStringLiteral("a"),  QStringLiteral("B"),  QStringLiteral("b"),
                                          QStringLiteral("球"), QStringLiteral("快"), QStringLiteral("%"),
                                          QStringLiteral("𠀀"), QStringLiteral(" ")};
        QString name;
        const int length = int(rng() % 9);
        for (int i = 0; i < length; ++i)
            name += parts.at(int(rng() % parts.size()));
        return name;
    }
    int randomColumn() { return std::array{11, 12, 31, 99}[rng() % 4]; }
    static QString quoted(const QString &text)
    {
        return u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\'';
    }
    void insert(qint64 id)
    {
        sql(QStringLiteral("INSERT INTO tb_Files (FileID, ColumeID, DisplayName, UploadDate) VALUES (%1, %2, %3,"
                           " '2003-01-05')")
                .arg(id)
                .arg(randomColumn())
                .arg(quoted(randomName())));
        ids.insert(id);
    }
    // One random write to the rows, as another program would make it.
    void randomWrite()
    {
        const qint64 maxId = ids.empty() ? 1 : *ids.rbegin();
        const qint64 pick = qint64(rng() % quint64(maxId + 200)) + 1;
        if (!ids.count(pick)) {
            insert(pick);
            return;
        }
        switch (rng() % 5) {
        case 0:
            sql(QStringLiteral("UPDATE tb_Files SET DisplayName = %1 WHERE FileID = %2")
                    .arg(quoted(randomName()))
                    .arg(pick));
            break;
        case 1:
            sql(QStringLiteral("UPDATE tb_Files SET DisplayName = DisplayName || %1 WHERE FileID = %2")
                    .arg(quoted(randomName()))
                    .arg(pick));
            break;
        case 2:
            sql(QStringLiteral("UPDATE tb_Files SET Deleted = 1 - Deleted WHERE FileID = %1").arg(pick));
            break;
        case 3:
            sql(QStringLiteral("DELETE FROM tb_Files WHERE FileID = %1").arg(pick));
            ids.erase(pick);
            break;
        default:
            sql(QStringLiteral("UPDATE tb_Files SET ColumeID = %1 WHERE FileID = %2").arg(randomColumn()).arg(pick));
        }
    }
    void sql(const QString &statement) { catalogue.exec(statement); }

    // What SQLite finds: instr() over the names, ASCII letters lowered, as
    // the index compares them.
    std::vector<qint64> expected(const QString &keyword, const search::Narrowing &narrowing)
    {
        QString where = QStringLiteral("Deleted = 0 AND instr(lower(DisplayName), lower(coalesce(?, ''))) > 0");
        const auto in = [](const char *field, const std::vector<qint64> &values) {
            QStringList list;
            for (qint64 v : values)
                list << QString::number(v);
            return QStringLiteral(" AND %1 IN (%2)").arg(QLatin1String(field), list.join(u','));
        };
        if (narrowing.byColumn)
            where += in("ColumeID", narrowing.columnIds);
        if (narrowing.byClass)
            where += in("ClassID", narrowing.classIds);
        QSqlQuery q(reader.database());
        q.prepare(QStringLiteral("SELECT FileID FROM tb_Files WHERE ") + where + QStringLiteral(" ORDER BY FileID"));
        q.addBindValue(keyword);
        EXPECT_TRUE(q.exec());
        std::vector<qint64> out;
        while (q.next())
            out.push_back(q.value(0).toLongLong());
        return out;
    }
    void expectAgreement(const search::NameIndex &index, const std::string &when)
    {
        const QStringList keywords = {QString(),
                                      QStringLiteral("a"),
                                      QStringLiteral("ab"),
                                      QStringLiteral("BA"),
                                      QStringLiteral("球快"),
                                      QStringLiteral("%"),
                                      QStringLiteral("𠀀"),
                                      QStringLiteral("a 球"),
                                      QStringLiteral("bbb"),
                                      QStringLiteral("批量1")};
        std::vector<search::Narrowing> narrowings(4);
        narrowings[1].byColumn = true;
        narrowings[1].columnIds = {12, 31};
        narrowings[2].byClass = true;
        narrowings[2].classIds = {1};
        narrowings[3].byColumn = narrowings[3].byClass = true;
        narrowings[3].columnIds = {11, 99};
        narrowings[3].classIds = {1, 3};
        for (const QString &k : keywords) {
            for (size_t n = 0; n < narrowings.size(); ++n)
                ASSERT_EQ(index.find(k, narrowings[n]), expected(k, narrowings[n]))
                    << when << ": keyword '" << k.toStdString() << "', narrowing " << n;
        }
        EXPECT_EQ(index.size(), qsizetype(expected(QString(), {}).size())) << when;
    }

    TempCatalogue catalogue;
    store::Connection reader{catalogue.path()};
    std::mt19937_64 rng{20030105};
    std::set<qint64> ids;
};

TEST_F(NameIndex, AgreesWithSQLiteThroughRandomWrites)
{
    // Items far apart, so that they are sorted into item order.
    sql(QStringLiteral("BEGIN"));
    for (qint64 id = 5; id < 20000; id += 5 + qint64(rng() % 20))
        insert(id);
    sql(QStringLiteral("COMMIT"));
    search::NameIndex index;
    index.load(catalogue.path());
    expectAgreement(index, "after loading");

    // Batches of writes, each taken in by a refresh; the last one is more than
    // the index keeps aside, so that its text is written afresh.
    for (int batch : {50, 300, 300, 6000}) {
        sql(QStringLiteral("BEGIN"));
        for (int i = 0; i < batch; ++i)
            randomWrite();
        sql(QStringLiteral("COMMIT"));
        index.refresh(reader.handle());
        expectAgreement(index, "after a batch of " + std::to_string(batch));
    }
    const qint64 seen = index.lastChange();
    index.refresh(reader.handle());
    EXPECT_EQ(index.lastChange(), seen) << "nothing new: nothing changes";

    // More writes at once than are worth following one by one: read afresh.
    sql(QStringLiteral("INSERT INTO tb_Files (FileID, ColumeID, DisplayName, UploadDate) WITH RECURSIVE"
                       " n(i) AS (SELECT 30000 UNION ALL SELECT i + 1 FROM n WHERE i < 55000)"
                       " SELECT i, 11 + i % 2, '批量' || i, '2003-03-01' FROM n"));
    index.refresh(reader.handle());
    expectAgreement(index, "after a bulk insert");
    EXPECT_GT(index.lastChange(), seen);

    // Reading a large catalogue reports its progress, rising, ending at 100.
    std::vector<int> reported;
    search::NameIndex again;
    again.load(reader.handle(), [&](int percent) { reported.push_back(percent); });
    ASSERT_GE(reported.size(), 2u);
    EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
    EXPECT_GT(reported.front(), 0);
    EXPECT_LT(reported.front(), 100);
    EXPECT_EQ(reported.back(), 100);
    EXPECT_EQ(again.find(QStringLiteral("批量5"), {}), index.find(QStringLiteral("批量5"), {}));
}

TEST_F(NameIndex, NamesWithBadBytesOrSeparatorsAndFilesThatCannotBeRead)
{
    // Bad UTF-8 (a stray continuation byte, a cut sequence, a bad follower,
    // an invalid lead byte) and a NUL inside a name: what is readable around
    // them is found, and a refresh reads them as loading does.
    const QStringList blobs = {QStringLiteral("61 82 62"),    QStringLiteral("41 42 E2 82"),
                               QStringLiteral("63 E2 41 42"), QStringLiteral("FF 64 65"),
                               QStringLiteral("66 00 67"),    QStringLiteral("F0 A0 80 80 68")};
    const auto write = [&](int base) {
        for (int i = 0; i < blobs.size(); ++i)
            sql(QStringLiteral("INSERT INTO tb_Files (FileID, ColumeID, DisplayName, UploadDate) VALUES"
                               " (%1, 11, CAST(X'%2' AS TEXT), '2003-01-05')")
                    .arg(base + i)
                    .arg(QString(blobs.at(i)).remove(u' ')));
    };
    write(10);
    search::NameIndex loaded;
    loaded.load(catalogue.path());
    search::NameIndex refreshed;
    refreshed.load(catalogue.path());
    write(20);
    refreshed.refresh(reader.handle());
    for (const QString &k : {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("ab"), QStringLiteral("ab\uFFFD"),
                             QStringLiteral("a\uFFFDb"), QStringLiteral("c\uFFFDa"), QStringLiteral("\uFFFDd"),
                             QStringLiteral("f\uFFFDg"), QStringLiteral("𠀀h")}) {
        const std::vector<qint64> atLoad = loaded.find(k, {});
        EXPECT_FALSE(atLoad.empty()) << k.toStdString();
        std::vector<qint64> readBefore;
        std::vector<qint64> readAfter;
        for (qint64 id : refreshed.find(k, {}))
            (id < 20 ? readBefore : readAfter).push_back(id < 20 ? id : id - 10);
        EXPECT_EQ(readBefore, atLoad) << k.toStdString();
        EXPECT_EQ(readAfter, atLoad) << "a refresh reads names as loading does: " << k.toStdString();
    }
    EXPECT_TRUE(loaded.find(QStringLiteral("fg"), {}).empty()) << "a NUL keeps the parts apart";
    EXPECT_TRUE(loaded.find(QString(QStringLiteral("f")) + QChar(0), {}).empty()) << "no name holds a NUL";

    // A file that cannot be opened, or is no catalogue: an error, and the
    // index keeps what it held.
    EXPECT_THROW(loaded.load(catalogue.home() + QStringLiteral("/no/such/file.db")), DatabaseError);
    EXPECT_EQ(loaded.size(), 6);
    sql(QStringLiteral("DROP TABLE tb_SearchChanges"));
    EXPECT_THROW(loaded.load(catalogue.path()), DatabaseError);
    EXPECT_THROW(loaded.refresh(reader.handle()), DatabaseError);
    EXPECT_EQ(loaded.find(QStringLiteral("de"), {}), (std::vector<qint64>{13}));
}

} // namespace
