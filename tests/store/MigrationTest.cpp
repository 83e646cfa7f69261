// A catalogue written by the previous version of the program: it opens, is
// brought up to date once, keeps the user's marks, and its lists follow the
// subscriptions kept on the columns.
#include "TempCatalogue.h"

#include "server/SavedUsers.h"
#include "store/DataModule.h"
#include "store/DatabaseError.h"
#include "store/Schema.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <gtest/gtest.h>

namespace {

// Writes a version-1 catalogue: its layout as that version created it, two
// classes, three columns (one unsubscribed), items with marks and two users.
void writeVersion1(const QString &path)
{
    QFile layout(QStringLiteral(CATALOGUE_V1));
    ASSERT_TRUE(layout.open(QIODevice::ReadOnly));
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    const QByteArray sql = layout.readAll() + R"(
        INSERT INTO tb_SchemaVersion VALUES (1);
        INSERT INTO tb_Class VALUES (3, '游戏世界'), (1, 'MTV精选');
        INSERT INTO tb_Colume (ColumeID, ColumeName, ColumeParent, ColumeDesc, Subscribed)
            VALUES (31, '益智游戏', 3, '', 1), (32, 'Kid''s Corner', 3, '', 0), (11, '流行金曲', 1, '', 1);
        INSERT INTO tb_Files (FileID, ColumeID, DisplayName, UploadDate, Hits, HasViewed, HasDownloaded, Deleted)
            VALUES (1, 31, 'a', '2003-01-01', 5, 1, 0, 0), (2, 31, 'b', '2003-01-02', 9, 0, 1, 0),
                   (3, 31, 'c', '2003-01-03', 1, 0, 0, 1), (4, 32, 'd', '2003-01-04', 7, 1, 1, 0),
                   (5, 11, 'e', '2003-01-05', 3, 0, 0, 0);
        INSERT INTO tb_Recommend (ItemID, Columename, Itemname, Favorite) VALUES (1, '图书', 'x', 1);
        INSERT INTO tb_users (Username, password, savepass, LoginDate)
            VALUES ('Demo', 'pw', 1, '2003-02-01T10:00:00.000'), ('O''Neil', '', 0, '2003-02-02T10:00:00.000');
    )";
    char *error = nullptr;
    const int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, &error);
    EXPECT_EQ(rc, SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

QStringList column(TDM_CDS &dm, const QString &sql, const char *field = "FileID")
{
    QStringList out;
    dm.aq_all.close();
    dm.aq_all.setSql(sql);
    dm.aq_all.open();
    for (; !dm.aq_all.eof(); dm.aq_all.next())
        out << dm.aq_all.fieldByName(QString::fromLatin1(field)).asString();
    dm.aq_all.close();
    return out;
}

TEST(Migration, AVersion1CatalogueIsBroughtUpToDateKeepingItsMarks)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("info.db"));
    writeVersion1(path);
    {
        TDM_CDS dm(path);
        // The lists read the subscriptions from the columns.
        EXPECT_EQ(column(dm, QStringLiteral("select * from qry_files  where subscribed=true  and ClassID =3")),
                  (QStringList{QStringLiteral("2"), QStringLiteral("1")}));
        EXPECT_EQ(column(dm, QStringLiteral("select * from qry_files  where hasviewed = true and subscribed=true")),
                  QStringList{QStringLiteral("1")});
        EXPECT_EQ(column(dm, QStringLiteral("select top 10 * from qry_FilesLast  where subscribed=true")),
                  (QStringList{QStringLiteral("5"), QStringLiteral("2"), QStringLiteral("1")}));
        EXPECT_EQ(column(dm, QStringLiteral("select * from qry_filestop  where subscribed=true")),
                  (QStringList{QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("5")}));
        // A subscription saved on a column reaches its items at once.
        dm.aq_all.setSql(QStringLiteral("update tb_Colume set Subscribed = true where ColumeID = 32"));
        dm.aq_all.execSql();
        QStringList rows = column(dm, QStringLiteral("select * from qry_files  where subscribed=true  and ClassID =3"));
        rows.sort();
        EXPECT_EQ(rows, (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4")}));
        EXPECT_EQ(column(dm, QStringLiteral("select * from qry_files where displayname like '%d%'"), "HasDownloaded"),
                  QStringList{QStringLiteral("1")});
    }
    // What the file holds now: this version, no copies on the items, the marks.
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("migration-check"));
    db.setDatabaseName(path);
    ASSERT_TRUE(db.open());
    {
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("SELECT Version FROM tb_SchemaVersion")) && q.next());
        EXPECT_EQ(q.value(0).toInt(), store::kSchemaVersion);
        EXPECT_FALSE(q.next()) << "one version row";
        ASSERT_TRUE(q.exec(QStringLiteral("SELECT count(*) FROM pragma_table_info('tb_Files')"
                                          " WHERE name = 'Subscribed'")) &&
                    q.next());
        EXPECT_EQ(q.value(0).toInt(), 0);
        ASSERT_TRUE(q.exec(QStringLiteral("SELECT group_concat(FileID || ':' || HasViewed || HasDownloaded || Deleted"
                                          " || ':' || ClassID, ' ') FROM tb_Files")) &&
                    q.next());
        EXPECT_EQ(q.value(0).toString(), QStringLiteral("1:100:3 2:010:3 3:001:3 4:110:3 5:000:1"));
        ASSERT_TRUE(q.exec(QStringLiteral("SELECT group_concat(ColumeID || '=' || Subscribed, ' ') FROM tb_Colume")) &&
                    q.next());
        EXPECT_EQ(q.value(0).toString(), QStringLiteral("11=1 31=1 32=1"));
        ASSERT_TRUE(q.exec(QStringLiteral("SELECT Favorite FROM tb_Recommend")) && q.next());
        EXPECT_EQ(q.value(0).toInt(), 1);
        // Each column's items, viewed, not viewed, downloaded, not downloaded.
        ASSERT_TRUE(q.exec(QStringLiteral("SELECT group_concat(ColumeID || '=' || Items || Viewed || Unviewed"
                                          " || Downloaded || Undownloaded, ' ') FROM tb_ColumeCounts")) &&
                    q.next());
        EXPECT_EQ(q.value(0).toString(), QStringLiteral("11=10101 31=21111 32=11010"));
    }
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("migration-check"));

    // Opened again it is used as it is.
    TDM_CDS again(path);
    EXPECT_EQ(column(again, QStringLiteral("select * from qry_files  where subscribed=true  and ClassID =3")).size(),
              3);
}

TEST(Migration, UsersOfAnOldCatalogueAreKeptAndTheirNamesCountExactly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("info.db"));
    writeVersion1(path);
    TDM_CDS dm(path);
    const QString demo = QStringLiteral("Demo");
    const QString oneil = QStringLiteral("O'Neil");
    EXPECT_EQ(server::listSavedUsers(dm), (QStringList{oneil, demo}));
    ASSERT_TRUE(server::loadSavedUser(dm, demo).has_value());
    EXPECT_EQ(server::loadSavedUser(dm, demo)->password, QStringLiteral("pw"));
    EXPECT_FALSE(server::loadSavedUser(dm, QStringLiteral("DEMO")).has_value()) << "looked up exactly as typed";

    // Names that differ only in case are two users, each with its own record.
    const QDateTime login(QDate(2004, 1, 1), QTime(9, 0));
    EXPECT_TRUE(server::SaveLoginUser(dm, QStringLiteral("demo"), QStringLiteral("lower"), login, true));
    EXPECT_TRUE(server::SaveLoginUser(dm, QStringLiteral("o'neil"), QString(), login.addSecs(1), false));
    EXPECT_FALSE(server::SaveLoginUser(dm, demo, QStringLiteral("upper"), login.addSecs(2), true));
    EXPECT_EQ(server::listSavedUsers(dm), (QStringList{demo, QStringLiteral("o'neil"), QStringLiteral("demo"), oneil}));
    EXPECT_EQ(server::loadSavedUser(dm, QStringLiteral("demo"))->password, QStringLiteral("lower"));
    EXPECT_EQ(server::loadSavedUser(dm, demo)->password, QStringLiteral("upper"));
}

// One number read from the file by a connection of its own, apart from the
// program's.
QVariant readApart(const QString &path, const QString &sql)
{
    sqlite3 *db = nullptr;
    sqlite3_stmt *statement = nullptr;
    QVariant value;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        value = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return value;
}

TEST(Migration, EachOlderVersionIsBroughtUpToDate)
{
    for (int version = 2; version < store::kSchemaVersion; ++version) {
        SCOPED_TRACE(version);
        // This version's catalogue: today's layout less what came after it.
        TempCatalogue catalogue;
        catalogue.addClass(3, QStringLiteral("游戏世界"));
        catalogue.addColumn(31, 3, QStringLiteral("益智游戏"));
        catalogue.addColumn(32, 3, QStringLiteral("动作"), false);
        for (int i = 1; i <= 6; ++i)
            catalogue.addItem(i, 30 + (i % 2) + 1, QStringLiteral("条目%1").arg(i),
                              QStringLiteral("2003-01-0%1").arg(i), i, i % 3 == 0, i == 4);
        QStringList older = {QStringLiteral("DROP TABLE tb_users"),
                             QStringLiteral("CREATE TABLE tb_users (Username TEXT PRIMARY KEY COLLATE NOCASE,"
                                            " password TEXT NOT NULL DEFAULT '', savepass INTEGER NOT NULL DEFAULT 0,"
                                            " LoginDate TEXT NOT NULL DEFAULT '')"),
                             QStringLiteral("INSERT INTO tb_users (Username, password) VALUES ('Demo', 'pw')")};
        if (version <= 3) {
            for (const char *trigger :
                 {"tb_Files_count_replace", "tb_Files_count_insert", "tb_Files_count_delete", "tb_Files_count_update"})
                older << QStringLiteral("DROP TRIGGER %1").arg(QLatin1String(trigger));
            older << QStringLiteral("DROP TABLE tb_ColumeCounts")
                  << QStringLiteral("DROP TABLE tb_ColumeCountsReplaced");
        }
        if (version <= 2) {
            for (const char *trigger : {"tb_Files_search_insert", "tb_Files_search_delete", "tb_Files_search_update"})
                older << QStringLiteral("DROP TRIGGER %1").arg(QLatin1String(trigger));
            older << QStringLiteral("DROP TABLE tb_SearchChanges");
        }
        older << QStringLiteral("UPDATE tb_SchemaVersion SET Version = %1").arg(version);
        for (const QString &sql : older)
            catalogue.exec(sql);
        catalogue.release();

        TDM_CDS dm(catalogue.path());
        EXPECT_EQ(column(dm, QStringLiteral("select * from qry_files  where hasviewed = true and subscribed=true")),
                  QStringList{QStringLiteral("6")});
        EXPECT_EQ(column(dm, QStringLiteral("select * from qry_files  where subscribed=true  and ClassID =3")),
                  (QStringList{QStringLiteral("6"), QStringLiteral("4"), QStringLiteral("2")}));
        // New items are counted and logged for the search index.
        catalogue.addItem(7, 31, QStringLiteral("新"), QStringLiteral("2003-01-07"));
        EXPECT_EQ(column(dm, QStringLiteral("select * from qry_files  where hasviewed = false and subscribed=true")),
                  (QStringList{QStringLiteral("7"), QStringLiteral("4"), QStringLiteral("2")}));
        EXPECT_GT(catalogue.scalar(QStringLiteral("SELECT count(*) FROM tb_SearchChanges WHERE FileID = 7")).toInt(),
                  0);
        EXPECT_EQ(catalogue.scalar(QStringLiteral("SELECT Version FROM tb_SchemaVersion")).toInt(),
                  store::kSchemaVersion);
        // The user is kept, and a name differing only in case is another user.
        EXPECT_EQ(server::loadSavedUser(dm, QStringLiteral("Demo"))->password, QStringLiteral("pw"));
        EXPECT_TRUE(server::SaveLoginUser(dm, QStringLiteral("demo"), QStringLiteral("x"),
                                          QDateTime(QDate(2004, 1, 1), QTime(9, 0)), false));
        EXPECT_EQ(server::listSavedUsers(dm).size(), 2);
    }
}

TEST(Migration, ACatalogueBusyElsewhereIsLeftAsItWasAndUpdatedLater)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("info.db"));
    writeVersion1(path);
    // Another program holds the write lock for longer than the program waits.
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "PRAGMA journal_mode=WAL; BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    {
        TDM_CDS dm(path);
        dm.aq_all.setSql(QStringLiteral("select * from qry_files"));
        try {
            dm.aq_all.open();
            ADD_FAILURE() << "opened while another program writes";
        } catch (const DatabaseError &e) {
            EXPECT_EQ(e.code() & 0xff, SQLITE_BUSY) << e.text().toStdString();
        }
        EXPECT_FALSE(dm.ac_info.isOpen());
        EXPECT_EQ(readApart(path, QStringLiteral("SELECT Version FROM tb_SchemaVersion")).toInt(), 1);
        EXPECT_EQ(readApart(path, QStringLiteral("SELECT count(*) FROM pragma_table_info('tb_Files')"
                                                 " WHERE name = 'Subscribed'"))
                      .toInt(),
                  1);

        // Once the other program is done, the next access brings the file up to date.
        ASSERT_EQ(sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(other);
        EXPECT_EQ(column(dm, QStringLiteral("select * from qry_files  where hasviewed = true and subscribed=true")),
                  QStringList{QStringLiteral("1")});
    }
    EXPECT_EQ(readApart(path, QStringLiteral("SELECT Version FROM tb_SchemaVersion")).toInt(), store::kSchemaVersion);
}

} // namespace
