#include "catalogue/DemoCatalogue.h"

#include "Files.h"

#include "store/Connection.h"
#include "store/DatabaseError.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QUrl>

#include "CatalogueRows.h"

#include <gtest/gtest.h>

namespace {

QStringList rows(const QString &home, const QString &sql)
{
    return catalogueRows(home, sql);
}

QByteArray digest(const QString &home)
{
    const QStringList all = rows(home, QStringLiteral("SELECT * FROM tb_Files ORDER BY FileID")) +
                            rows(home, QStringLiteral("SELECT * FROM tb_Colume ORDER BY ColumeID")) +
                            rows(home, QStringLiteral("SELECT * FROM tb_Recommend ORDER BY ItemID"));
    return QCryptographicHash::hash(all.join(u'\n').toUtf8(), QCryptographicHash::Sha256);
}

class DemoCatalogue : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        home = new QTemporaryDir;
        catalogue::DemoOptions options;
        options.items = 3000;
        options.site = QStringLiteral("http://127.0.0.1:9999/");
        catalogue::writeDemoCatalogue(home->path(), options);
    }
    static void TearDownTestSuite() { delete home; }
    static QString path() { return home->path(); }
    static QTemporaryDir *home;
};
QTemporaryDir *DemoCatalogue::home = nullptr;

TEST_F(DemoCatalogue, HasTheNineClassesAndSeveralColumnsEach)
{
    EXPECT_EQ(
        rows(path(), QStringLiteral("SELECT ClassID, classname FROM tb_Class ORDER BY ClassID")),
        (QStringList{QStringLiteral("1|MTV精选"), QStringLiteral("2|捧腹大笑"), QStringLiteral("3|游戏世界"),
                     QStringLiteral("4|工作室专栏"), QStringLiteral("7|诗词欣赏"), QStringLiteral("8|优秀短片"),
                     QStringLiteral("9|学习空间"), QStringLiteral("11|贺卡多多"), QStringLiteral("12|精品广告")}));
    for (const QString &n : rows(path(), QStringLiteral("SELECT count(*) FROM tb_Colume GROUP BY ColumeParent")))
        EXPECT_GE(n.toInt(), 4);
    const int subscribed =
        rows(path(), QStringLiteral("SELECT count(*) FROM tb_Colume WHERE Subscribed")).at(0).toInt();
    const int columns = rows(path(), QStringLiteral("SELECT count(*) FROM tb_Colume")).at(0).toInt();
    EXPECT_GT(subscribed, columns * 3 / 4);
    EXPECT_LT(subscribed, columns);
    EXPECT_TRUE(rows(path(), QStringLiteral("SELECT count(*) FROM tb_Colume WHERE ColumeDesc = ''")).at(0) == u"0");
}

TEST_F(DemoCatalogue, ItemsAreVariedAndPlausible)
{
    EXPECT_EQ(rows(path(), QStringLiteral("SELECT count(*) FROM tb_Files")).at(0), QStringLiteral("3000"));
    EXPECT_GT(rows(path(), QStringLiteral("SELECT count(DISTINCT DisplayName) FROM tb_Files")).at(0).toInt(), 500);
    // Some names are longer than the list column (about twelve characters).
    EXPECT_GT(
        rows(path(), QStringLiteral("SELECT count(*) FROM tb_Files WHERE length(DisplayName) > 14")).at(0).toInt(), 0);
    EXPECT_GT(rows(path(), QStringLiteral("SELECT count(*) FROM tb_Files WHERE FileDesc = ''")).at(0).toInt(), 0);
    EXPECT_GT(
        rows(path(), QStringLiteral("SELECT count(*) FROM tb_Files WHERE instr(FileDesc, char(10)) > 0")).at(0).toInt(),
        0);
    EXPECT_GT(rows(path(), QStringLiteral("SELECT count(DISTINCT Owner) FROM tb_Files")).at(0).toInt(), 10);
    const QStringList span = rows(
        path(), QStringLiteral("SELECT min(substr(UploadDate, 1, 4)), max(substr(UploadDate, 1, 4)) FROM tb_Files"));
    const QStringList years = span.at(0).split(u'|');
    EXPECT_GE(years.at(1).toInt() - years.at(0).toInt(), 4);
    EXPECT_GT(rows(path(), QStringLiteral("SELECT count(DISTINCT Hits) FROM tb_Files")).at(0).toInt(), 100);
}

TEST_F(DemoCatalogue, DownloadAddressesPointAtTheSiteFiles)
{
    const QStringList bad =
        rows(path(), QStringLiteral("SELECT f.URL FROM tb_Files f JOIN tb_Colume c ON c.ColumeID = f.ColumeID"
                                    " WHERE f.URL NOT LIKE 'http://127.0.0.1:9999/files/%/' || f.Filename"));
    EXPECT_TRUE(bad.isEmpty()) << bad.value(0).toStdString();
    // The column part is the column's name, escaped for an address.
    const QStringList one = rows(path(), QStringLiteral("SELECT f.URL, c.ColumeName, f.Filename FROM tb_Files f JOIN "
                                                        "tb_Colume c ON c.ColumeID = f.ColumeID LIMIT 1"));
    const QStringList parts = one.at(0).split(u'|');
    EXPECT_EQ(QUrl(parts.at(0)).path(), QStringLiteral("/files/%1/%2").arg(parts.at(1), parts.at(2)));
}

TEST_F(DemoCatalogue, RecommendationsAdvertisementsAndEmptyUserTables)
{
    EXPECT_EQ(
        rows(path(), QStringLiteral("SELECT Columename FROM tb_Recommend GROUP BY Columename ORDER BY min(ItemID)")),
        (QStringList{QStringLiteral("精彩网站"), QStringLiteral("影碟"), QStringLiteral("图书"), QStringLiteral("音碟"),
                     QStringLiteral("软件"), QStringLiteral("游戏")}));
    EXPECT_GE(rows(path(), QStringLiteral("SELECT count(*) FROM tb_Recommend")).at(0).toInt(), 60);
    // One category is longer than the newest-20 view; each has favourites.
    EXPECT_GT(rows(path(), QStringLiteral("SELECT max(n) FROM (SELECT count(*) AS n FROM tb_Recommend"
                                          " GROUP BY Columename)"))
                  .at(0)
                  .toInt(),
              20);
    EXPECT_EQ(rows(path(), QStringLiteral("SELECT count(DISTINCT Columename) FROM tb_Recommend WHERE Favorite")).at(0),
              QStringLiteral("6"));
    EXPECT_EQ(rows(path(), QStringLiteral("SELECT count(*) FROM tb_Adver")).at(0), QStringLiteral("3"));
    EXPECT_EQ(rows(path(), QStringLiteral("SELECT count(*) FROM tb_users")).at(0), QStringLiteral("0"));
    EXPECT_EQ(rows(path(), QStringLiteral("SELECT count(*) FROM tb_SendCards")).at(0), QStringLiteral("0"));
}

TEST_F(DemoCatalogue, TheHomeAlsoGetsTheWindowSkin)
{
    const QDir skin(QDir(path()).filePath(QStringLiteral("001")));
    const QStringList bitmaps = skin.entryList({QStringLiteral("*.bmp")}, QDir::Files, QDir::Name);
    EXPECT_EQ(bitmaps.size(), 18) << bitmaps.join(u' ').toStdString();
    for (const QString &name : {QStringLiteral("ImageLeft"), QStringLiteral("ImageActiveTop"),
                                QStringLiteral("ImageClose"), QStringLiteral("ImageRightBottom")})
        EXPECT_TRUE(bitmaps.contains(name + QStringLiteral(".bmp"))) << name.toStdString();
}

TEST_F(DemoCatalogue, AboutATenthOfTheItemsHaveALocalFlashFile)
{
    const QStringList items = rows(path(), QStringLiteral("SELECT c.ColumeName, f.Filename FROM tb_Files f"
                                                          " JOIN tb_Colume c ON c.ColumeID = f.ColumeID"));
    const QDir home(path());
    qsizetype local = 0;
    for (const QString &item : items) {
        const QStringList parts = item.split(u'|');
        QFile file(home.filePath(QStringLiteral("local/%1/%2").arg(parts.at(0), parts.at(1))));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        ++local;
        EXPECT_EQ(file.read(3), QByteArray("FWS")) << file.fileName().toStdString();
    }
    EXPECT_GE(local, items.size() * 5 / 100);
    EXPECT_LE(local, items.size() * 20 / 100);
    // Every file under local/ belongs to an item.
    qsizetype files = 0;
    QDirIterator it(home.filePath(QStringLiteral("local")), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        ++files;
    }
    EXPECT_EQ(files, local);
}

TEST_F(DemoCatalogue, TheSameSeedGivesTheSameCatalogue)
{
    QTemporaryDir a;
    QTemporaryDir b;
    QTemporaryDir c;
    catalogue::DemoOptions options;
    options.items = 500;
    catalogue::writeDemoCatalogue(a.path(), options);
    catalogue::writeDemoCatalogue(b.path(), options);
    options.seed = 2;
    catalogue::writeDemoCatalogue(c.path(), options);
    EXPECT_EQ(digest(a.path()), digest(b.path()));
    EXPECT_NE(digest(a.path()), digest(c.path()));
}

TEST_F(DemoCatalogue, AnExistingCatalogueIsKeptUnlessReplaced)
{
    catalogue::DemoOptions options;
    options.items = 10;
    EXPECT_THROW(catalogue::writeDemoCatalogue(path(), options), std::runtime_error);
    EXPECT_EQ(rows(path(), QStringLiteral("SELECT count(*) FROM tb_Files")).at(0), QStringLiteral("3000"));

    QTemporaryDir other;
    catalogue::writeDemoCatalogue(other.path(), options);
    options.items = 20;
    options.replace = true;
    catalogue::writeDemoCatalogue(other.path(), options);
    EXPECT_EQ(rows(other.path(), QStringLiteral("SELECT count(*) FROM tb_Files")).at(0), QStringLiteral("20"));
}

TEST_F(DemoCatalogue, TheToolWritesAndReports)
{
    QTemporaryDir dir;
    QProcess tool;
    tool.start(QStringLiteral(CATALOGUE_TOOL), {QStringLiteral("demo"), dir.path(), QStringLiteral("--items"),
                                                QStringLiteral("50"), QStringLiteral("--seed"), QStringLiteral("7")});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();

    tool.start(QStringLiteral(CATALOGUE_TOOL), {QStringLiteral("info"), dir.path()});
    ASSERT_TRUE(tool.waitForFinished(60000));
    const QString info = QString::fromUtf8(tool.readAllStandardOutput());
    EXPECT_TRUE(info.contains(QStringLiteral("items: 50\n"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("classes: 9\n")));
    EXPECT_TRUE(info.contains(QStringLiteral("class 3 游戏世界:")));

    tool.start(QStringLiteral(CATALOGUE_TOOL), {QStringLiteral("demo"), dir.path()});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(tool.readAllStandardError()).contains(QStringLiteral("already exists")));

    tool.start(QStringLiteral(CATALOGUE_TOOL), {QStringLiteral("info"), dir.filePath(QStringLiteral("nowhere"))});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(tool.readAllStandardError()).contains(QStringLiteral("找不到数据库文件")));
}

} // namespace

namespace {

// The local copies of a home, by path under local/, with their bytes.
QMap<QString, QByteArray> localFiles(const QString &home)
{
    QMap<QString, QByteArray> out;
    const QDir local(QDir(home).filePath(QStringLiteral("local")));
    QDirIterator it(local.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        out.insert(local.relativeFilePath(file.fileName()), file.readAll());
    }
    return out;
}

TEST(DemoHome, ReplacingAHomeRestoresItsLocalCopies)
{
    QTemporaryDir home;
    catalogue::DemoOptions options;
    options.items = 200;
    catalogue::writeDemoCatalogue(home.path(), options);
    const QMap<QString, QByteArray> original = localFiles(home.path());
    ASSERT_GE(original.size(), 3);
    const QDir local(QDir(home.path()).filePath(QStringLiteral("local")));
    // One copy grown, one cut short, one with other bytes of the same size.
    auto it = original.cbegin();
    writeFile(local.filePath(it.key()), it.value() + QByteArray(100, 'z'));
    ++it;
    writeFile(local.filePath(it.key()), it.value().left(10));
    ++it;
    QByteArray changed = it.value();
    changed[changed.size() / 2] = char(changed.at(changed.size() / 2) ^ 0x55);
    writeFile(local.filePath(it.key()), changed);

    options.replace = true;
    catalogue::writeDemoCatalogue(home.path(), options);
    EXPECT_EQ(localFiles(home.path()), original);
}

TEST(DemoHome, AHomeThatCannotBeWrittenFailsAndSaysWhere)
{
    const auto failure = [](const QString &home, const catalogue::DemoOptions &options) {
        try {
            catalogue::writeDemoCatalogue(home, options);
        } catch (const std::runtime_error &e) {
            return QString::fromStdString(e.what());
        }
        return QString();
    };
    catalogue::DemoOptions options;
    options.items = 100;
    QTemporaryDir dir;
    const QDir root(dir.path());

    options.items = -1;
    EXPECT_TRUE(failure(root.filePath(QStringLiteral("a")), options).contains(QStringLiteral("negative")));
    EXPECT_FALSE(root.exists(QStringLiteral("a")));
    options.items = 100;

    // The home is a file.
    writeFile(root.filePath(QStringLiteral("file")), "x");
    EXPECT_TRUE(failure(root.filePath(QStringLiteral("file")), options).contains(QStringLiteral("cannot create")));

    // local/ is a file, then one local copy's place is taken by a folder.
    const QString blockedLocal = root.filePath(QStringLiteral("b"));
    root.mkpath(QStringLiteral("b"));
    writeFile(QDir(blockedLocal).filePath(QStringLiteral("local")), "x");
    EXPECT_TRUE(failure(blockedLocal, options).contains(QStringLiteral("cannot create")));

    const QString model = root.filePath(QStringLiteral("model"));
    catalogue::writeDemoCatalogue(model, options);
    const QString taken = localFiles(model).firstKey();
    const QString blockedCopy = root.filePath(QStringLiteral("c"));
    root.mkpath(QStringLiteral("c/local/") + taken);
    EXPECT_TRUE(failure(blockedCopy, options).contains(taken)) << taken.toStdString();

    // A catalogue that lost a column or a table cannot be counted.
    store::Connection(catalogue::cataloguePath(model))
        .exec(QStringLiteral("ALTER TABLE tb_Colume RENAME COLUMN ColumeParent TO Parent"));
    EXPECT_THROW(catalogue::catalogueInfo(model), DatabaseError);
    store::Connection(catalogue::cataloguePath(model)).exec(QStringLiteral("DROP TABLE tb_SendCards"));
    EXPECT_THROW(catalogue::catalogueInfo(model), DatabaseError);

    // A folder where the catalogue file goes is not replaced.
    const QString folder = root.filePath(QStringLiteral("d"));
    root.mkpath(QStringLiteral("d/Data/info.db/x"));
    options.replace = true;
    EXPECT_THROW(catalogue::writeDemoCatalogue(folder, options), DatabaseError);
    EXPECT_TRUE(QFileInfo::exists(catalogue::cataloguePath(folder) + QStringLiteral("/x")));
}

} // namespace
