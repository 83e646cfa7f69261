// A catalogue written by the previous version of the program: it opens, is
// brought up to date once, keeps the user's marks, and its lists follow the
// subscriptions kept on the columns.
#include "server/SavedUsers.h"
#include "store/DataModule.h"
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

} // namespace
