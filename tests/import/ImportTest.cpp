#include "BuiltTables.h"
#include "CatalogueRows.h"

#include "import/CatalogueCopy.h"
#include "import/MdbFile.h"
#include "store/Connection.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <mdbtools.h>

#include <gtest/gtest.h>

#include <clocale>

#include <sys/stat.h>

using import::ColumnType;
using import::SourceColumn;
using import::SourceRow;

namespace {

// A table as mdbtools' library reads it: name, column names, rows of texts.
struct MdbTable
{
    QString name;
    QStringList columns;
    QList<QStringList> rows;
};

// Reads every user table with libmdb alone, as its own tools do.
QList<MdbTable> readWithLibmdb(const char *path)
{
    QList<MdbTable> out;
    MdbHandle *mdb = mdb_open(path, MDB_NOFLAGS);
    EXPECT_NE(mdb, nullptr);
    if (!mdb)
        return out;
    mdb_read_catalog(mdb, MDB_TABLE);
    for (guint i = 0; i < mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type != MDB_TABLE || mdb_is_system_table(entry))
            continue;
        MdbTable table{QString::fromUtf8(entry->object_name), {}, {}};
        MdbTableDef *def = mdb_read_table(entry);
        mdb_read_columns(def);
        std::vector<std::vector<char>> buffers(def->num_cols, std::vector<char>(MDB_BIND_SIZE));
        std::vector<int> lengths(def->num_cols);
        for (guint c = 0; c < def->num_cols; ++c) {
            table.columns << QString::fromUtf8(static_cast<MdbColumn *>(g_ptr_array_index(def->columns, c))->name);
            mdb_bind_column(def, int(c + 1), buffers[c].data(), &lengths[c]);
        }
        mdb_rewind_table(def);
        while (mdb_fetch_row(def)) {
            QStringList row;
            for (guint c = 0; c < def->num_cols; ++c)
                row << QString::fromUtf8(buffers[c].data(), lengths[c]);
            table.rows << row;
        }
        mdb_free_tabledef(def);
        out << table;
    }
    mdb_close(mdb);
    return out;
}

QString catalogueOf(const QString &home)
{
    return QDir(home).filePath(QStringLiteral("Data/info.db"));
}

QString quoted(QString name)
{
    return u'"' + name.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// The small catalogue every copy below brings, with the user's marks.
void addCatalogue(BuiltTables &built, const QString &longMemo)
{
    const auto col = [](const char *name, ColumnType type, bool counter = false) {
        return SourceColumn{QString::fromUtf8(name), type, counter};
    };
    built.add(QStringLiteral("tb_Class"), {col("ClassID", ColumnType::Integer), col("classname", ColumnType::Text)},
              {{qint64(1), QStringLiteral("动画")}, {qint64(2), QStringLiteral("游戏世界")}});
    built.add(QStringLiteral("tb_Colume"),
              {col("ColumeID", ColumnType::Integer, true), col("ColumeName", ColumnType::Text),
               col("ColumeParent", ColumnType::Integer), col("ColumeDesc", ColumnType::Memo),
               col("Subscribed", ColumnType::Boolean)},
              {{qint64(10), QStringLiteral("搞笑"), qint64(1), QStringLiteral("说明"), true},
               {qint64(11), QStringLiteral("MTV"), qint64(1), QVariant(), false},
               {qint64(20), QStringLiteral("益智"), qint64(2), QStringLiteral(""), true}});
    // Upper case, as an old file may spell it; an old copy of the
    // subscription and a column the program does not know come along.
    built.add(QStringLiteral("TB_FILES"),
              {col("FileID", ColumnType::Integer, true), col("ColumeID", ColumnType::Integer),
               col("DisplayName", ColumnType::Text), col("Filename", ColumnType::Text), col("URL", ColumnType::Text),
               col("FileDesc", ColumnType::Memo), col("Owner", ColumnType::Text),
               col("UploadDate", ColumnType::DateTime), col("Hits", ColumnType::Integer),
               col("HasViewed", ColumnType::Boolean), col("HasDownloaded", ColumnType::Boolean),
               col("Deleted", ColumnType::Boolean), col("Subscribed", ColumnType::Boolean),
               col("Rating", ColumnType::Real)},
              {{qint64(101), qint64(10), QStringLiteral("小猪"), QStringLiteral("pig.swf"),
                QStringLiteral("http://s/pig.swf"), longMemo, QVariant(), QDateTime(QDate(2003, 4, 5), QTime(6, 7, 8)),
                qint64(7), true, false, false, true, 4.5},
               {qint64(102), qint64(10), QStringLiteral("It's \"quoted\""), QStringLiteral("q.swf"), QString(),
                QString(), QStringLiteral("me"), QDateTime(QDate(2003, 4, 6), QTime(0, 0)), qint64(3), false, true,
                false, true, QVariant()},
               {qint64(103), qint64(11), QStringLiteral("删掉的"), QStringLiteral("d.swf"), QString(), QString(),
                QString(), QDateTime(QDate(2003, 1, 1), QTime(0, 0)), qint64(0), true, true, true, false, 1.0},
               {qint64(104), qint64(20), QStringLiteral("拼图"), QStringLiteral("p.swf"), QString(), QString(),
                QString(), QDateTime(QDate(2003, 4, 7), QTime(12, 0)), qint64(9), false, false, false, true, 2.0}});
    built.add(QStringLiteral("tb_users"),
              {col("Username", ColumnType::Text), col("password", ColumnType::Text),
               col("savepass", ColumnType::Boolean), col("LoginDate", ColumnType::DateTime)},
              {{QStringLiteral("小明"), QStringLiteral("secret"), true, QDateTime(QDate(2004, 2, 3), QTime(4, 5, 6))},
               {QStringLiteral("guest"), QString(), false, QVariant()}});
    built.add(QStringLiteral("tb_SendCards"),
              {col("CardID", ColumnType::Integer, true), col("ToName", ColumnType::Text),
               col("ToMail", ColumnType::Text), col("FromName", ColumnType::Text), col("Tobody", ColumnType::Memo),
               col("Filename", ColumnType::Text), col("SendDate", ColumnType::DateTime),
               col("SendFlag", ColumnType::Boolean)},
              {{qint64(1), QStringLiteral("老王"), QStringLiteral("w@x.cn"), QStringLiteral("我"),
                QStringLiteral("你好\n再见"), QStringLiteral("pig.swf"), QDateTime(QDate(2004, 5, 6), QTime(7, 8, 9)),
                true}});
    built.add(QStringLiteral("tb_Recommend"),
              {col("ItemID", ColumnType::Integer, true), col("Columename", ColumnType::Text),
               col("Itemname", ColumnType::Text), col("URL", ColumnType::Text), col("Favorite", ColumnType::Boolean)},
              {{qint64(5), QStringLiteral("精选"), QStringLiteral("好站"), QStringLiteral("http://a/"), true},
               {qint64(6), QStringLiteral("精选"), QStringLiteral("坏站"), QStringLiteral("http://b/"), false}});
}

} // namespace

// The reader serves every table, column and row of a real Jet 4 file as
// libmdb reads it, and the copy writes them so into the catalogue.
TEST(AccessFile, EveryTableColumnAndRowOfTheJet4FileComesAcrossAsLibmdbReadsIt)
{
    ASSERT_TRUE(QFile::exists(QStringLiteral(FRUIT_MDB))) << "scripts/install-deps fetches " FRUIT_MDB;
    std::setlocale(LC_NUMERIC, "C");
    const QList<MdbTable> expected = readWithLibmdb(FRUIT_MDB);
    ASSERT_EQ(expected.size(), 5);

    import::MdbFile file(QStringLiteral(FRUIT_MDB));
    EXPECT_EQ(file.jetVersion(), 1);
    const QList<import::SourceTable> tables = file.tables();
    ASSERT_EQ(tables.size(), expected.size());
    bool slash = false;
    for (int t = 0; t < tables.size(); ++t) {
        EXPECT_EQ(tables.at(t).name, expected.at(t).name);
        slash = slash || tables.at(t).name == QStringLiteral("Muffin/Bread");
        QStringList names;
        for (const SourceColumn &c : tables.at(t).columns)
            names << c.name;
        EXPECT_EQ(names, expected.at(t).columns);
        EXPECT_EQ(tables.at(t).rows, expected.at(t).rows.size());
    }
    EXPECT_TRUE(slash);

    QTemporaryDir home;
    BuiltTables built;
    addCatalogue(built, QString());
    Joined source(file, built);
    const auto summary = import::copyIntoCatalogue(source, QStringLiteral(FRUIT_MDB), home.path(), false);
    ASSERT_TRUE(summary.has_value());
    EXPECT_EQ(summary->tables, 5 + 6);

    store::Connection catalogue(catalogueOf(home.path()));
    for (const MdbTable &table : expected) {
        QSqlQuery q(catalogue.database());
        ASSERT_TRUE(q.exec(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(quoted(table.name))))
            << table.name.toStdString();
        QStringList columns;
        for (int c = 0; c < q.record().count(); ++c)
            columns << q.record().fieldName(c);
        EXPECT_EQ(columns, table.columns) << table.name.toStdString();
        QList<QStringList> rows;
        while (q.next()) {
            QStringList row;
            for (int c = 0; c < columns.size(); ++c)
                row << q.value(c).toString();
            rows << row;
        }
        EXPECT_EQ(rows, table.rows) << table.name.toStdString();
    }
}

// The catalogue's own tables go into the program's schema with its types,
// the marks as they were; other tables come as they are, whatever their
// names; an existing catalogue stays unless replaced; a stopped copy leaves
// nothing.
TEST(CatalogueCopy, TheCatalogueKeepsItsMarksTypesAndHostileNames)
{
    QTemporaryDir home;
    QString memo;
    for (int i = 0; memo.size() < 65536; ++i)
        memo += QChar(0x4e00 + i % 2000);
    BuiltTables built;
    addCatalogue(built, memo);
    const QString hostile = QStringLiteral("a/b\"c'\x01\td");
    built.add(hostile,
              {{QStringLiteral("\"x\ny'"), ColumnType::Text},
               {QStringLiteral("col"), ColumnType::Integer},
               {QStringLiteral("COL"), ColumnType::Binary},
               {QString(), ColumnType::Real}},
              {{QStringLiteral("--'; DROP TABLE tb_Files; --"), qint64(-5), QByteArray("\0\1\2", 3), 0.25}});
    built.add(QStringLiteral("tb_SchemaVersion"), {{QStringLiteral("Version"), ColumnType::Integer}}, {{qint64(99)}});
    built.add(QStringLiteral("sqlite_stat1"), {{QStringLiteral("x"), ColumnType::Text}}, {{QStringLiteral("y")}});

    const auto summary = import::copyIntoCatalogue(built, QStringLiteral("old.mdb"), home.path(), false);
    ASSERT_TRUE(summary.has_value());
    EXPECT_EQ(summary->tables, 6 + 3);
    EXPECT_EQ(summary->rows, 2 + 3 + 4 + 2 + 1 + 2 + 1 + 1 + 1);
    EXPECT_FALSE(QFile::exists(import::importingPath(home.path())));

    const auto rows = [&](const char *sql) { return catalogueRows(home.path(), QString::fromUtf8(sql)); };
    EXPECT_EQ(rows("SELECT max(Version) FROM tb_SchemaVersion"), QStringList{QString::number(store::kSchemaVersion)});
    EXPECT_EQ(rows("SELECT FileID, ClassID, Owner, UploadDate, typeof(UploadDate), Hits, HasViewed, HasDownloaded,"
                   " Deleted, typeof(HasViewed), Subscribed, Rating, length(FileDesc) FROM tb_Files ORDER BY FileID"),
              (QStringList{QStringLiteral("101|1||2003-04-05 06:07:08|text|7|1|0|0|integer|1|4.5|65536"),
                           QStringLiteral("102|1|me|2003-04-06 00:00:00|text|3|0|1|0|integer|1||0"),
                           QStringLiteral("103|1||2003-01-01 00:00:00|text|0|1|1|1|integer|0|1|0"),
                           QStringLiteral("104|2||2003-04-07 12:00:00|text|9|0|0|0|integer|1|2|0")}));
    EXPECT_EQ(rows("SELECT FileDesc FROM tb_Files WHERE FileID = 101"), QStringList{memo});
    EXPECT_EQ(rows("SELECT name, type FROM pragma_table_info('tb_Files') WHERE name IN ('Rating', 'HasViewed')"
                   " ORDER BY name"),
              (QStringList{QStringLiteral("HasViewed|INTEGER"), QStringLiteral("Rating|REAL")}));
    EXPECT_EQ(rows("SELECT ColumeID, Subscribed, ColumeDesc FROM tb_Colume ORDER BY ColumeID"),
              (QStringList{QStringLiteral("10|1|说明"), QStringLiteral("11|0|"), QStringLiteral("20|1|")}));
    // The counts and the lists are the store's own, made from the copied marks.
    EXPECT_EQ(rows("SELECT ColumeID, Items, Viewed, Unviewed, Downloaded, Undownloaded FROM tb_ColumeCounts"
                   " ORDER BY ColumeID"),
              (QStringList{QStringLiteral("10|2|1|1|1|1"), QStringLiteral("20|1|0|1|0|1")}));
    EXPECT_EQ(rows("SELECT FileID FROM qry_FilesLast"),
              (QStringList{QStringLiteral("104"), QStringLiteral("102"), QStringLiteral("101")}));
    EXPECT_EQ(rows("SELECT Username, password, savepass, LoginDate FROM tb_users ORDER BY Username"),
              (QStringList{QStringLiteral("guest|||0|"), QStringLiteral("小明|secret|1|2004-02-03 04:05:06")})
                  .replaceInStrings(QStringLiteral("|||"), QStringLiteral("||")));
    EXPECT_EQ(rows("SELECT ToName, Tobody, SendDate, SendFlag FROM tb_SendCards"),
              QStringList{QStringLiteral("老王|你好\n再见|2004-05-06 07:08:09|1")});
    EXPECT_EQ(rows("SELECT ItemID, Favorite FROM tb_Recommend ORDER BY ItemID"),
              (QStringList{QStringLiteral("5|1"), QStringLiteral("6|0")}));
    // Hostile names are kept, not obeyed; the program's own names are not taken.
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM %1").arg(quoted(hostile)).toUtf8().constData()),
              QStringList{QStringLiteral("--'; DROP TABLE tb_Files; --|-5|\x00\x01\x02|0.25")
                              .replace(QStringLiteral("\x00\x01\x02"), QString::fromLatin1("\0\1\2", 3))});
    EXPECT_EQ(rows(QStringLiteral("SELECT group_concat(name, '|') FROM pragma_table_info(%1)")
                       .arg(u'\'' + QString(hostile).replace(u'\'', QStringLiteral("''")) + u'\'')
                       .toUtf8()
                       .constData()),
              QStringList{QStringLiteral("\"x\ny'|col|COL_2|_")});
    EXPECT_EQ(rows("SELECT Version FROM tb_SchemaVersion_mdb"), QStringList{QStringLiteral("99")});
    EXPECT_EQ(rows("SELECT x FROM mdb_sqlite_stat1"), QStringList{QStringLiteral("y")});

    // Again: refused without replace, and a stopped replacement keeps the old file.
    const QStringList before = rows("SELECT * FROM tb_Files ORDER BY FileID");
    BuiltTables other;
    addCatalogue(other, QStringLiteral("new"));
    try {
        import::copyIntoCatalogue(other, QStringLiteral("again.mdb"), home.path(), false);
        ADD_FAILURE() << "an existing catalogue was replaced";
    } catch (const import::ImportError &e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("--force"))) << e.text().toStdString();
    }
    int told = 0;
    EXPECT_FALSE(import::copyIntoCatalogue(other, QStringLiteral("again.mdb"), home.path(), true,
                                           [&](const import::CopyProgress &p) {
                                               EXPECT_EQ(p.tables, 6);
                                               return ++told < 3;
                                           })
                     .has_value());
    EXPECT_EQ(told, 3);
    EXPECT_EQ(rows("SELECT * FROM tb_Files ORDER BY FileID"), before);
    EXPECT_FALSE(QFile::exists(import::importingPath(home.path())));
    ASSERT_TRUE(import::copyIntoCatalogue(other, QStringLiteral("again.mdb"), home.path(), true).has_value());
    EXPECT_EQ(rows("SELECT FileDesc FROM tb_Files WHERE FileID = 101"), QStringList{QStringLiteral("new")});

    // Without the catalogue's tables nothing is written.
    QTemporaryDir empty;
    BuiltTables partial;
    partial.add(QStringLiteral("tb_Class"), {{QStringLiteral("ClassID"), ColumnType::Integer}}, {});
    try {
        import::copyIntoCatalogue(partial, QStringLiteral("part.mdb"), empty.path(), false);
        ADD_FAILURE() << "a database without items became a catalogue";
    } catch (const import::ImportError &e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("part.mdb"))) << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(QStringLiteral("tb_Colume、tb_Files"))) << e.text().toStdString();
    }
    EXPECT_FALSE(QFile::exists(catalogueOf(empty.path())));
}

// Each kind of bad file: the command says which file and what is wrong,
// exits with an error and leaves no catalogue.
TEST(ImportCommand, BadFilesFailNamingTheFileAndLeaveNoCatalogue)
{
    QFile fruitFile(QStringLiteral(FRUIT_MDB));
    ASSERT_TRUE(fruitFile.open(QIODevice::ReadOnly));
    const QByteArray fruit = fruitFile.readAll();
    QByteArray crashing = fruit;
    crashing[8247] = char(101); // a column count in the system table's definition libmdb trusts
    struct Case
    {
        const char *file;
        QByteArray bytes;
        const char *problem;
    };
    const Case cases[] = {
        {"notes.mdb", QByteArray("Standard Jet DB, or so it says\n"), "不是 Access 数据库文件"},
        {"empty.mdb", QByteArray(), "不是 Access 数据库文件"},
        {"cut.mdb", fruit.left(100000), "文件不完整"},
        {"fruit.mdb", fruit, "不是目录数据库：没有表 tb_Class、tb_Colume、tb_Files"},
        {"broken.mdb", crashing, "读取时出错"},
        {"missing.mdb", QByteArray(), "无法读取"},
    };
    for (const Case &c : cases) {
        QTemporaryDir dir;
        const QString file = dir.filePath(QString::fromUtf8(c.file));
        if (QByteArrayView(c.file) != "missing.mdb") {
            QFile out(file);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(c.bytes);
        }
        const QString home = dir.filePath(QStringLiteral("home"));
        QProcess tool;
        tool.start(QStringLiteral(CATALOGUE_TOOL), {QStringLiteral("import"), file, home});
        ASSERT_TRUE(tool.waitForFinished(60000)) << c.file;
        const QString error = QString::fromUtf8(tool.readAllStandardError());
        EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit) << c.file;
        EXPECT_EQ(tool.exitCode(), 1) << c.file;
        EXPECT_TRUE(error.contains(file)) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.problem))) << error.toStdString();
        EXPECT_FALSE(QFile::exists(catalogueOf(home))) << c.file;
        EXPECT_FALSE(QFile::exists(import::importingPath(home))) << c.file;
    }

    // A read that never ends (a pipe no one writes to) is stopped.
    QTemporaryDir stuck;
    const QString pipe = stuck.filePath(QStringLiteral("stuck.mdb"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QProcess waiting;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("FLASHBAR_IMPORT_STALL_MS"), QStringLiteral("1500"));
    waiting.setProcessEnvironment(environment);
    waiting.start(QStringLiteral(CATALOGUE_TOOL), {QStringLiteral("import"), pipe, stuck.path()});
    ASSERT_TRUE(waiting.waitForFinished(30000));
    EXPECT_EQ(waiting.exitCode(), 1);
    const QString stalled = QString::fromUtf8(waiting.readAllStandardError());
    EXPECT_TRUE(stalled.contains(pipe) && stalled.contains(QStringLiteral("停滞不前"))) << stalled.toStdString();
    EXPECT_FALSE(QFile::exists(catalogueOf(stuck.path())));

    // An existing catalogue is kept as it is.
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Data")));
    QFile existing(catalogueOf(dir.path()));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("mine");
    existing.close();
    QProcess tool;
    tool.start(QStringLiteral(CATALOGUE_TOOL), {QStringLiteral("import"), QStringLiteral(FRUIT_MDB), dir.path()});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(tool.readAllStandardError()).contains(QStringLiteral("--force")));
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_EQ(existing.readAll(), QByteArray("mine"));
}
