// The worker process as the program runs it, and the values the reader
// takes from libmdb.
#include "CatalogueRows.h"
#include "ImportSupport.h"
#include "Wait.h"

#include "import/ImportProcess.h"
#include "import/MdbFile.h"
#include "import/MdbText.h"
#include "store/Connection.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <utility>

#include <sys/stat.h>

using import::SourceRow;

namespace {

const import::WorkerCommand kWorker{QStringLiteral(CATALOGUE_TOOL), {QStringLiteral("import-worker")}};

} // namespace

// A worker that cannot be started, or that waits for a file that never
// comes: cancelled, or dropped with its owner. Each ends with a message and
// leaves nothing behind.
TEST(ImportProcess, AWorkerThatCannotStartOrIsStuckEndsAndLeavesNothing)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("any.mdb"));
    const QString home = dir.filePath(QStringLiteral("home"));
    // A worker that cannot be started.
    import::ImportProcess missing({dir.filePath(QStringLiteral("no-such-worker")), {}}, file, home, false);
    missing.start();
    missing.waitForEnd();
    EXPECT_FALSE(missing.ok());
    EXPECT_TRUE(missing.message().contains(QStringLiteral("无法启动导入程序"))) << missing.message().toStdString();

    // A worker stuck on a file that never comes (a pipe no one writes to):
    // cancelled, or dropped with its owner; either way it is gone and what a
    // copy would have left is removed.
    const QString pipe = dir.filePath(QStringLiteral("stuck.mdb"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString stuckHome = dir.filePath(QStringLiteral("stuck"));
    const auto leftover = [&] {
        QDir().mkpath(QDir(stuckHome).filePath(QStringLiteral("Data")));
        QFile(import::importingPath(stuckHome)).open(QIODevice::WriteOnly);
        return import::importingPath(stuckHome);
    };
    import::ImportProcess cancelled(kWorker, pipe, stuckHome, false);
    leftover();
    cancelled.start();
    ASSERT_TRUE(waitFor([&] { return cancelled.isRunning(); }, 10000));
    cancelled.cancel();
    cancelled.waitForEnd();
    EXPECT_TRUE(cancelled.cancelled());
    EXPECT_FALSE(cancelled.ok());
    EXPECT_TRUE(cancelled.message().contains(QStringLiteral("已取消导入"))) << cancelled.message().toStdString();
    EXPECT_FALSE(QFile::exists(import::importingPath(stuckHome)));

    auto dropped = std::make_unique<import::ImportProcess>(kWorker, pipe, stuckHome, false);
    leftover();
    dropped->start();
    ASSERT_TRUE(waitFor([&] { return dropped->isRunning(); }, 10000));
    dropped.reset();
    EXPECT_FALSE(QFile::exists(import::importingPath(stuckHome)));
    EXPECT_FALSE(QFile::exists(catalogueOf(stuckHome)));
}

// What libmdb writes for each kind of Access column comes back as the value
// it stands for; what does not read as one stays the text it was. The
// reader stops where it is told and refuses tables it cannot read.
TEST(AccessFile, ValuesOfEachColumnTypeReadAsWhatTheyStandFor)
{
    // Compared with their types: QVariant finds the text "1" equal to 1.
    const auto value = [](int mdbType, const QByteArray &bytes) {
        const QVariant v = import::valueFromMdb(import::columnTypeOf(mdbType), bytes);
        return std::make_pair(QString::fromLatin1(v.typeName()), v);
    };
    const auto as = [](const QVariant &v) { return std::make_pair(QString::fromLatin1(v.typeName()), v); };
    const QDateTime when(QDate(2003, 4, 5), QTime(6, 7, 8), Qt::UTC);
    const QByteArray written = when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
    EXPECT_EQ(value(MDB_DATETIME, written), as(QVariant(when)));
    EXPECT_EQ(value(MDB_DATETIME, " " + written + " "), as(QVariant(when)));
    for (const char *notADate : {"2003-02-30 06:07:08", "2003-04-05", "2003/04/05 06:07:08", "2003-04-05 25:07:08"})
        EXPECT_EQ(value(MDB_DATETIME, notADate), as(QVariant(QString::fromLatin1(notADate)))) << notADate;
    for (const int type : {MDB_BYTE, MDB_INT, MDB_LONGINT, MDB_COMPLEX}) {
        for (const qint64 n : {qint64(0), qint64(-5), std::numeric_limits<qint64>::max()})
            EXPECT_EQ(value(type, QByteArray::number(n)), as(QVariant(n))) << type;
        EXPECT_EQ(value(type, "12abc"), as(QVariant(QStringLiteral("12abc")))) << type;
    }
    for (const int type : {MDB_MONEY, MDB_FLOAT, MDB_DOUBLE, MDB_NUMERIC}) {
        for (const double d : {0.25, -1e300, 12.34})
            EXPECT_EQ(value(type, QByteArray::number(d, 'g', 17)), as(QVariant(d))) << type;
        EXPECT_EQ(value(type, "1,5"), as(QVariant(QStringLiteral("1,5")))) << type;
    }
    for (const int type : {MDB_DATETIME, MDB_INT, MDB_DOUBLE, MDB_OLE})
        EXPECT_TRUE(value(type, QByteArray()).second.isNull()) << type;
    for (const char *yes : {"1", "-1", "true"})
        EXPECT_EQ(value(MDB_BOOL, yes), as(QVariant(true))) << yes;
    for (const char *no : {"", "0", " FALSE ", "No"})
        EXPECT_EQ(value(MDB_BOOL, no), as(QVariant(false))) << no;
    const QByteArray blob("\0\1\xff", 3);
    for (const int type : {MDB_BINARY, MDB_OLE, MDB_REPID})
        EXPECT_EQ(value(type, blob), as(QVariant(blob))) << type;
    // Texts: UTF-8 as it is, a Jet 3 text libmdb left in the code page as
    // GBK, NULs dropped.
    const QString chinese = QStringLiteral("动画 Flash");
    QStringEncoder gbk("GB18030");
    for (const int type : {MDB_TEXT, MDB_MEMO}) {
        EXPECT_EQ(value(type, chinese.toUtf8()), as(QVariant(chinese))) << type;
        EXPECT_EQ(value(type, QByteArray(gbk.encode(chinese))), as(QVariant(chinese))) << type;
        EXPECT_EQ(value(type, QByteArray("a\0b", 3)), as(QVariant(QStringLiteral("ab")))) << type;
    }

    import::MdbFile file(QStringLiteral(FRUIT_MDB));
    const import::SourceTable fruit = file.tables().first();
    int rows = 0;
    file.readRows(fruit, [&](const SourceRow &row) {
        EXPECT_EQ(row.size(), fruit.columns.size());
        return ++rows < 3;
    });
    EXPECT_EQ(rows, 3);
    import::SourceTable narrower = fruit;
    narrower.columns.removeLast();
    import::SourceTable missing = fruit;
    missing.name = QStringLiteral("No such table");
    for (const import::SourceTable &table : {narrower, missing}) {
        try {
            file.readRows(table, [](const SourceRow &) { return true; });
            ADD_FAILURE() << "read " << table.name.toStdString();
        } catch (const import::ImportError &e) {
            EXPECT_TRUE(e.text().contains(QStringLiteral(FRUIT_MDB)) && e.text().contains(table.name))
                << e.text().toStdString();
        }
    }
}

// The first page tells an Access file's generation and so its page size; a
// file that is not one, or not whole pages of it, is refused.
TEST(AccessFile, TheHeaderTellsTheGenerationAndAFileCutShortIsRefused)
{
    const auto page = [](const char *magic, char version) {
        QByteArray first(4096, '\0');
        first.replace(4, 16, QByteArray(magic, 16));
        first[0x14] = version;
        return first;
    };
    const QByteArray jet3 = page("Standard Jet DB\0", 0);
    const QByteArray jet4 = page("Standard Jet DB\0", 1);
    const QByteArray ace = page("Standard ACE DB\0", 3);
    const struct
    {
        QByteArray first;
        qint64 size;
        int version;
        int pageSize;
        bool whole;
    } cases[] = {
        {jet3, 3 * 2048, 0, 2048, true},
        {jet3, 3 * 2048 + 1, 0, 2048, false},
        {jet3, 2048, 0, 2048, false},
        {jet4, 3 * 4096, 1, 4096, true},
        {jet4, 3 * 2048, 1, 4096, false},
        {ace, 5 * 4096, 3, 4096, true},
        {ace.left(0x1f), 5 * 4096, -1, 0, false},
        {page("Standard Foo DB\0", 1), 3 * 4096, -1, 0, false},
    };
    for (const auto &c : cases) {
        const import::AccessHeader header = import::readAccessHeader(c.first, c.size);
        EXPECT_EQ(header.jetVersion, c.version) << c.size;
        EXPECT_EQ(header.pageSize, c.pageSize) << c.size;
        EXPECT_EQ(header.problem.isEmpty(), c.whole) << c.size << header.problem.toStdString();
    }
}
