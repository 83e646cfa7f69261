// The import of real Jet 3 files: texts in the code page the file states,
// a database under the catalogue's names refused, an old catalogue through
// the worker. The file is a test of its own (test_import_jet3), skipped where
// the sample is absent.
#include "CatalogueRows.h"
#include "ImportSupport.h"
#include "Jet3Sample.h"

#include "import/ImportProcess.h"
#include "import/MdbFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using import::SourceRow;

namespace {

const import::WorkerCommand kWorker{QStringLiteral(CATALOGUE_TOOL), {QStringLiteral("import-worker")}};

} // namespace

// Names and values come in the code page of the header: Western as the
// sample says, Chinese where it says so, and where it says nothing usable.
TEST(Jet3File, TextsAreReadInTheCodePageTheFileStates)
{
    QByteArray sample = jet3Sample();
    const QByteArray name = gbk(QStringLiteral("动画分类"));
    const QByteArray value = gbk(QStringLiteral("迅捷快递服务社"));
    renameEverywhere(sample, "Shippers", name);
    renameEverywhere(sample, "Speedy Express", value);
    QTemporaryDir dir;
    const struct
    {
        int codePage; // -1: the header as it is
        int stated;
        const char *charset; // what the texts are read as
    } cases[] = {
        {-1, 1252, "windows-1252"}, {936, 936, "GB18030"},        {0, 0, "GB18030"},
        {437, 437, "GB18030"},      {1250, 1250, "windows-1250"},
    };
    for (const auto &c : cases) {
        QByteArray bytes = sample;
        if (c.codePage >= 0)
            setJet3CodePage(bytes, quint16(c.codePage));
        const auto read = [&](const QByteArray &text) {
            QStringDecoder decoder(c.charset);
            return QString(decoder.decode(text));
        };
        import::MdbFile file(writeMdb(dir.path(), QStringLiteral("%1.mdb").arg(c.codePage), bytes));
        EXPECT_EQ(file.codePage(), c.stated);
        QStringList names;
        const QList<import::SourceTable> tables = file.tables();
        for (const import::SourceTable &t : tables)
            names << t.name;
        // "Umsätze" as the sample writes it; read as GBK it is "Ums鋞ze".
        EXPECT_TRUE(names.contains(read(QByteArray("Ums\xe4tze")))) << c.stated << names.join(u',').toStdString();
        EXPECT_EQ(names.contains(QStringLiteral("Ums鋞ze")), QByteArrayView(c.charset) == "GB18030") << c.stated;
        const qsizetype shippers = names.indexOf(read(name));
        ASSERT_GE(shippers, 0) << c.stated << names.join(u',').toStdString();
        QStringList companies;
        file.readRows(tables.at(shippers), [&](const SourceRow &row) {
            companies << row.at(1).toString();
            return true;
        });
        EXPECT_EQ(companies.value(0), read(value)) << c.stated;
        EXPECT_EQ(companies.value(1), QStringLiteral("United Package")) << c.stated;
    }
}

// Shippers, customers and products under the catalogue's table names are no
// catalogue: refused, naming each table and the columns it lacks, and
// nothing is written.
TEST(Jet3File, TablesUnderTheCatalogueNamesWithoutItsColumnsAreRefusedAndNothingWritten)
{
    QTemporaryDir dir;
    const QString file = jet3UnderCatalogueNames(dir.path());
    expectRefusedWritingNothing(file, QStringLiteral("%1 不是目录数据库：表 tb_Class 缺少列 ClassID、classname；"
                                                     "表 tb_Colume 缺少列 ColumeID、ColumeName；"
                                                     "表 TB_FILES 缺少列 FileID、ColumeID、DisplayName")
                                          .arg(file));
}

// The import of an old catalogue as the program runs it, in the worker
// process: each table's progress comes across as it is copied, the result
// is the file's rows, the columns the catalogue does not know are left out
// and told, a replacement takes the old catalogue's place; a home it cannot
// write ends with a message and leaves nothing behind.
TEST(Jet3File, TheWorkerCopiesTableByTableAndEveryEndIsReported)
{
    QTemporaryDir dir;
    const QString file = jet3Catalogue(dir.path());
    qputenv("MDBICONV", "UTF-8"); // names as the reader asks for them, for libmdb read alone
    const QList<MdbTable> expected = readWithLibmdb(QFile::encodeName(file).constData());
    ASSERT_EQ(expected.size(), 9);
    const QString home = dir.filePath(QStringLiteral("home"));

    const auto run = [&](const QString &source, const QString &into, bool replace,
                         QList<import::CopyProgress> *told = nullptr) {
        auto process = std::make_unique<import::ImportProcess>(kWorker, source, into, replace);
        if (told) {
            // As a modal progress dialog does, each step runs the event loop
            // while the worker writes on.
            QObject::connect(process.get(), &import::ImportProcess::progressed, [told](const import::CopyProgress &p) {
                told->append(p);
                QThread::msleep(20);
                QCoreApplication::processEvents();
            });
        }
        process->start();
        process->waitForEnd();
        return process;
    };
    QList<import::CopyProgress> told;
    auto imported = run(file, home, false, &told);
    ASSERT_TRUE(imported->ok()) << imported->message().toStdString();
    qint64 total = 0;
    ASSERT_EQ(told.size(), expected.size());
    for (int t = 0; t < expected.size(); ++t) {
        total += expected.at(t).rows.size();
        EXPECT_EQ(told.at(t).table, t + 1);
        EXPECT_EQ(told.at(t).tables, expected.size());
        EXPECT_EQ(told.at(t).name, expected.at(t).name);
        EXPECT_EQ(told.at(t).tableRows, expected.at(t).rows.size());
        EXPECT_EQ(told.at(t).expectedRows, expected.at(t).rows.size());
        EXPECT_EQ(told.at(t).totalRows, total);
    }
    imported->cancel(); // too late: it stays a success
    EXPECT_TRUE(imported->ok() && !imported->cancelled());
    EXPECT_EQ(imported->summary().tables, expected.size());
    EXPECT_EQ(imported->summary().rows, total);
    const QStringList leftOut{QStringLiteral("tb_Files.SupplierID"),   QStringLiteral("tb_Files.QuantityPerUnit"),
                              QStringLiteral("tb_Files.UnitPrice"),    QStringLiteral("tb_Files.UnitsInStock"),
                              QStringLiteral("tb_Files.UnitsOnOrder"), QStringLiteral("tb_Files.ReorderLevel"),
                              QStringLiteral("tb_Files.Discontinued"), QStringLiteral("tb_Class.Phone"),
                              QStringLiteral("tb_Colume.Picture")};
    EXPECT_EQ(imported->summary().leftOut, leftOut);
    // The items are the products: key, column and name; nothing else of theirs.
    const auto products = std::find_if(expected.begin(), expected.end(),
                                       [](const MdbTable &t) { return t.name == QStringLiteral("tb_Files"); });
    ASSERT_NE(products, expected.end());
    QStringList items;
    for (const QStringList &row : products->rows)
        items << row.at(0) + u'|' + row.at(3) + u'|' + row.at(1);
    items.sort();
    QStringList copied = catalogueRows(home, QStringLiteral("SELECT FileID, ColumeID, DisplayName FROM tb_Files"));
    copied.sort();
    EXPECT_EQ(copied, items);
    EXPECT_EQ(items.size(), 77);
    EXPECT_EQ(catalogueRows(home, QStringLiteral("SELECT count(*) FROM pragma_table_info('tb_Files')"
                                                 " WHERE name IN ('SupplierID', 'UnitPrice', 'Discontinued')")),
              QStringList{QStringLiteral("0")});
    EXPECT_EQ(catalogueRows(home, QStringLiteral("SELECT ClassID, classname FROM tb_Class ORDER BY ClassID")),
              (QStringList{QStringLiteral("1|Speedy Express"), QStringLiteral("2|United Package"),
                           QStringLiteral("3|Federal Shipping")}));
    EXPECT_EQ(catalogueRows(home, QStringLiteral("SELECT ColumeID, ColumeName FROM tb_Colume WHERE ColumeID = 1")),
              QStringList{QStringLiteral("1|Beverages")});
    EXPECT_FALSE(QFile::exists(import::importingPath(home)));

    // The command tells each table on a line of its own, the name printable.
    QProcess tool;
    tool.start(QStringLiteral(CATALOGUE_TOOL), {QStringLiteral("import"), file, dir.filePath(QStringLiteral("tool"))});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 0);
    const QString lines = QString::fromUtf8(tool.readAllStandardOutput());
    const auto suppliers = std::find_if(expected.begin(), expected.end(),
                                        [](const MdbTable &t) { return t.name == QStringLiteral("干 果\x01%"); });
    ASSERT_NE(suppliers, expected.end());
    EXPECT_TRUE(lines.contains(QStringLiteral("table %1/9 干 果?%: 29 rows\n").arg(suppliers - expected.begin() + 1)))
        << lines.toStdString();
    EXPECT_EQ(lines.count(QStringLiteral("table ")), expected.size()) << lines.toStdString();
    EXPECT_TRUE(lines.endsWith(QStringLiteral("left out 9 columns the catalogue does not know: ") +
                               leftOut.join(QStringLiteral(", ")) + u'\n'))
        << lines.toStdString();

    // Replaced on request: what was written into the old one is gone.
    store::Connection(catalogueOf(home)).exec(QStringLiteral("CREATE TABLE mine (x)"));
    auto replaced = run(file, home, true);
    ASSERT_TRUE(replaced->ok()) << replaced->message().toStdString();
    EXPECT_EQ(catalogueRows(home, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'mine'")),
              QStringList{QStringLiteral("0")});

    // Homes it cannot write: a file where the home should be, a folder where
    // the catalogue goes, a folder where the copy is written.
    QFile(dir.filePath(QStringLiteral("plain"))).open(QIODevice::WriteOnly);
    const QString folderCatalogue = dir.filePath(QStringLiteral("folder"));
    QDir().mkpath(QDir(folderCatalogue).filePath(QStringLiteral("Data/info.db/x")));
    const QString folderCopy = dir.filePath(QStringLiteral("copy"));
    QDir().mkpath(import::importingPath(folderCopy));
    const struct
    {
        QString home;
        bool replace;
        const char *problem;
    } homes[] = {
        {dir.filePath(QStringLiteral("plain")), false, "无法建立目录"},
        {folderCatalogue, true, "无法把导入的目录放到"},
        {folderCopy, false, "数据库"},
    };
    for (const auto &c : homes) {
        auto failed = run(file, c.home, c.replace);
        EXPECT_FALSE(failed->ok()) << c.problem;
        EXPECT_FALSE(failed->cancelled()) << c.problem;
        EXPECT_TRUE(failed->message().contains(QString::fromUtf8(c.problem))) << failed->message().toStdString();
        EXPECT_FALSE(QFileInfo(catalogueOf(c.home)).isFile()) << c.problem;
    }
    EXPECT_TRUE(replaced->message().isEmpty());
}
