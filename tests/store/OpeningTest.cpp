// Opening a catalogue: what is refused, and with what message.
#include "TempCatalogue.h"

#include "store/DataModule.h"
#include "store/DatabaseError.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString firstAccessError(const QString &path)
{
    TDM_CDS dm(path);
    try {
        dm.aq_all.setSql(QStringLiteral("select * from tb_users order by logindate desc"));
        dm.aq_all.open();
    } catch (const DatabaseError &e) {
        return e.text();
    }
    return {};
}

TEST(Opening, TheConnectionOpensWithTheFirstAccess)
{
    TempCatalogue catalogue;
    TDM_CDS dm(catalogue.path());
    EXPECT_FALSE(dm.ac_info.isOpen());
    dm.aq_all.setSql(QStringLiteral("select * from tb_users order by logindate desc"));
    dm.aq_all.open();
    EXPECT_TRUE(dm.ac_info.isOpen());
    EXPECT_TRUE(dm.aq_all.eof());
    QSqlQuery q(dm.ac_info.database());
    ASSERT_TRUE(q.exec(QStringLiteral("PRAGMA journal_mode")) && q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("wal"));
}

TEST(Opening, AMissingFileIsAClearError)
{
    QTemporaryDir dir;
    const QString text = firstAccessError(dir.filePath(QStringLiteral("Data/info.db")));
    EXPECT_TRUE(text.contains(QStringLiteral("找不到数据库文件"))) << text.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("Data/info.db")))) << "nothing is created";
}

TEST(Opening, ADirectoryIsNotACatalogue)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("Data/info.db"));
    const QString text = firstAccessError(dir.filePath(QStringLiteral("Data/info.db")));
    EXPECT_TRUE(text.contains(QStringLiteral("不是一个数据库文件"))) << text.toStdString();
}

TEST(Opening, ACorruptFileIsAClearError)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("info.db"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(8192, 'x'));
    f.close();
    const QString text = firstAccessError(path);
    EXPECT_FALSE(text.isEmpty());
    EXPECT_TRUE(text.contains(QStringLiteral("not a database"))) << text.toStdString();
}

TEST(Opening, ADamagedCatalogueIsAClearError)
{
    TempCatalogue catalogue;
    catalogue.release();
    // Overwrite the pages after the header: the schema can no longer be read.
    QFile f(catalogue.path());
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek(100);
    f.write(QByteArray(f.size() - 100, '\xff'));
    f.close();
    EXPECT_FALSE(firstAccessError(catalogue.path()).isEmpty());
}

TEST(Opening, AnotherSqliteFileIsNotACatalogue)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("other.db"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery(db).exec(QStringLiteral("CREATE TABLE t (x)"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    const QString text = firstAccessError(path);
    EXPECT_TRUE(text.contains(QStringLiteral("不是可用的目录数据库"))) << text.toStdString();
}

TEST(Opening, ANewerCatalogueIsRefused)
{
    TempCatalogue catalogue;
    catalogue.exec(QStringLiteral("UPDATE tb_SchemaVersion SET Version = %1").arg(store::kSchemaVersion + 1));
    catalogue.release();
    const QString text = firstAccessError(catalogue.path());
    EXPECT_TRUE(text.contains(QStringLiteral("比本程序新"))) << text.toStdString();
}

TEST(Opening, AnErrorLeavesTheModuleUsableLater)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("Data"));
    const QString path = dir.filePath(QStringLiteral("Data/info.db"));
    TDM_CDS dm(path);
    dm.aq_all.setSql(QStringLiteral("select * from tb_Class"));
    EXPECT_THROW(dm.aq_all.open(), DatabaseError);
    {
        store::Connection create(path, store::Connection::Mode::Create);
        create.database();
    }
    dm.aq_all.open();
    EXPECT_TRUE(dm.aq_all.eof());
}

TEST(Opening, ACatalogueWithoutAVersionIsRefused)
{
    TempCatalogue catalogue;
    catalogue.exec(QStringLiteral("DELETE FROM tb_SchemaVersion"));
    catalogue.release();
    const QString text = firstAccessError(catalogue.path());
    EXPECT_TRUE(text.contains(QStringLiteral("没有版本记录"))) << text.toStdString();
}

TEST(Opening, ANewCatalogueIsMadeOnlyWhereNoneIsYet)
{
    TempCatalogue catalogue;
    catalogue.addClass(1, QStringLiteral("MTV精选"));
    catalogue.release();
    const auto createError = [](const QString &path) {
        store::Connection create(path, store::Connection::Mode::Create);
        try {
            create.database();
        } catch (const DatabaseError &e) {
            EXPECT_FALSE(create.isOpen());
            return e.text();
        }
        return QString();
    };
    EXPECT_TRUE(createError(catalogue.path()).contains(QStringLiteral("已经存在")));
    const QString nowhere = catalogue.home() + QStringLiteral("/no-such-folder/info.db");
    EXPECT_TRUE(createError(nowhere).contains(QStringLiteral("无法打开数据库文件")))
        << createError(nowhere).toStdString();
    EXPECT_FALSE(QFile::exists(nowhere));
    TDM_CDS dm(catalogue.path());
    dm.aq_all.setSql(QStringLiteral("select * from tb_Class"));
    dm.aq_all.open();
    EXPECT_EQ(dm.aq_all.recordCount(), 1) << "the existing catalogue is untouched";
}

TEST(Opening, AFailedTransactionWritesNothing)
{
    TempCatalogue catalogue;
    TDM_CDS dm(catalogue.path());
    dm.ac_info.rollback(); // nothing open, nothing to undo
    EXPECT_FALSE(dm.ac_info.isOpen());
    const auto classes = [&catalogue] {
        return catalogue.scalar(QStringLiteral("SELECT count(*) FROM tb_Class")).toInt();
    };
    EXPECT_THROW(dm.ac_info.inTransaction([&] {
        dm.ac_info.exec(QStringLiteral("INSERT INTO tb_Class (ClassID, classname) VALUES (1, 'a')"));
        dm.ac_info.exec(QStringLiteral("INSERT INTO tb_Class (ClassID, classname) VALUES (1, 'b')"));
    }),
                 DatabaseError);
    EXPECT_EQ(classes(), 0);
    // A transaction is not begun twice, nor ended when none is open.
    dm.ac_info.begin();
    EXPECT_THROW(dm.ac_info.begin(), DatabaseError);
    dm.ac_info.exec(QStringLiteral("INSERT INTO tb_Class (ClassID, classname) VALUES (2, 'c')"));
    dm.ac_info.commit();
    EXPECT_THROW(dm.ac_info.commit(), DatabaseError);
    EXPECT_EQ(classes(), 1);
}

} // namespace
