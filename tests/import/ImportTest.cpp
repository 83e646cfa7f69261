#include "BuiltTables.h"
#include "CatalogueRows.h"
#include "ImportSupport.h"
#include "OldCatalogue.h"

#include "import/CatalogueCopy.h"
#include "import/MdbFile.h"
#include "store/Connection.h"
#include "store/DatabaseError.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>

#include <sys/stat.h>

using import::ColumnType;
using import::SourceColumn;
using import::SourceRow;

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
// the marks as they were, the columns the catalogue does not know left out
// and told; other tables come as they are, whatever their names; an
// existing catalogue stays unless replaced; a stopped copy leaves nothing;
// tables without the catalogue's keys and names are refused.
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
    EXPECT_EQ(summary->leftOut,
              (QStringList{QStringLiteral("TB_FILES.Subscribed"), QStringLiteral("TB_FILES.Rating")}));
    EXPECT_FALSE(QFile::exists(import::importingPath(home.path())));

    const auto rows = [&](const char *sql) { return catalogueRows(home.path(), QString::fromUtf8(sql)); };
    EXPECT_EQ(rows("SELECT max(Version) FROM tb_SchemaVersion"), QStringList{QString::number(store::kSchemaVersion)});
    EXPECT_EQ(rows("SELECT FileID, ClassID, Owner, UploadDate, typeof(UploadDate), Hits, HasViewed, HasDownloaded,"
                   " Deleted, typeof(HasViewed), length(FileDesc) FROM tb_Files ORDER BY FileID"),
              (QStringList{QStringLiteral("101|1||2003-04-05 06:07:08|text|7|1|0|0|integer|65536"),
                           QStringLiteral("102|1|me|2003-04-06 00:00:00|text|3|0|1|0|integer|0"),
                           QStringLiteral("103|1||2003-01-01 00:00:00|text|0|1|1|1|integer|0"),
                           QStringLiteral("104|2||2003-04-07 12:00:00|text|9|0|0|0|integer|0")}));
    EXPECT_EQ(rows("SELECT FileDesc FROM tb_Files WHERE FileID = 101"), QStringList{memo});
    EXPECT_EQ(rows("SELECT name, type FROM pragma_table_info('tb_Files')"
                   " WHERE name IN ('Rating', 'HasViewed', 'Subscribed') ORDER BY name"),
              QStringList{QStringLiteral("HasViewed|INTEGER")});
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

    // Without the catalogue's tables, or their keys and names, nothing is
    // written.
    QTemporaryDir empty;
    BuiltTables partial;
    partial.add(QStringLiteral("tb_Class"), {{QStringLiteral("ClassID"), ColumnType::Integer}}, {});
    BuiltTables foreign;
    foreign.add(QStringLiteral("TB_CLASS"),
                {{QStringLiteral("classID"), ColumnType::Integer}, {QStringLiteral("CLASSNAME"), ColumnType::Text}},
                {});
    foreign.add(QStringLiteral("tb_Colume"), {{QStringLiteral("ShipName"), ColumnType::Text}}, {});
    foreign.add(QStringLiteral("tb_Files"),
                {{QStringLiteral("FileID"), ColumnType::Integer}, {QStringLiteral("Price"), ColumnType::Real}}, {});
    foreign.add(QStringLiteral("tb_files"),
                {{QStringLiteral("ColumeID"), ColumnType::Integer}, {QStringLiteral("DisplayName"), ColumnType::Text}},
                {});
    const struct
    {
        BuiltTables &tables;
        const char *problem;
    } refusals[] = {
        {partial, "不是目录数据库：没有表 tb_Colume、tb_Files；表 tb_Class 缺少列 classname"},
        {foreign, "不是目录数据库：表 tb_Colume 缺少列 ColumeID、ColumeName；表 tb_Files 缺少列 ColumeID、DisplayName"},
    };
    for (const auto &refused : refusals) {
        try {
            import::copyIntoCatalogue(refused.tables, QStringLiteral("part.mdb"), empty.path(), false);
            ADD_FAILURE() << "a database without items became a catalogue";
        } catch (const import::ImportError &e) {
            EXPECT_EQ(e.text(), QStringLiteral("part.mdb ") + QString::fromUtf8(refused.problem));
        }
        EXPECT_FALSE(QFileInfo::exists(QDir(empty.path()).filePath(QStringLiteral("Data"))));
    }
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
    QByteArray noCatalogue = fruit;
    noCatalogue.replace(2 * 4096, 4096, QByteArray(4096, '\0')); // the system table's definition
    QByteArray noTable = fruit;
    noTable[57 * 4096] = '\0'; // the mark of the definition page of the table "Dried"
    QTemporaryDir scratch;
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
        {"old.mdb", readFile(fruitUnderCatalogueNames(QStringLiteral(FRUIT_MDB), scratch.path())),
         "不是目录数据库：表 tb_Class 缺少列 ClassID、classname；表 tb_Colume 缺少列 ColumeID、ColumeName；"
         "表 tb_Files 缺少列 FileID、ColumeID、DisplayName"},
        {"broken.mdb", crashing, "读取时出错"},
        {"nolist.mdb", noCatalogue, "读不出数据库的表目录"},
        {"notable.mdb", noTable, "读不出表“Dried”的结构"},
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

    // Tables under the catalogue's names but with columns of their own.
    expectRefusedWritingNothing(fruitUnderCatalogueNames(QStringLiteral(FRUIT_MDB), scratch.path()),
                                QStringLiteral("表 tb_Files 缺少列 FileID、ColumeID、DisplayName"));
}

// Tables an old file may hold besides the catalogue: a catalogue table
// twice, nameless tables and columns, a column twice, short rows and a
// table long enough to be told of while it is copied. A row the catalogue
// refuses fails the copy naming table and row, and nothing is left.
TEST(CatalogueCopy, OddTablesComeAcrossAndARefusedRowLeavesNothing)
{
    QTemporaryDir home;
    BuiltTables built;
    addCatalogue(built, QString());
    const SourceColumn id{QStringLiteral("FileID"), ColumnType::Integer};
    const SourceColumn text{QStringLiteral("DisplayName"), ColumnType::Text};
    built.add(QStringLiteral("tb_files"), {id, text, id}, {{qint64(1), QStringLiteral("again"), qint64(2)}});
    built.add(QString(), {}, {{}, {}});
    built.add(QStringLiteral("nameless"), {{QString(), ColumnType::Text}, {QString(), ColumnType::Integer}, text},
              {{QStringLiteral("a")}, {QStringLiteral("b"), qint64(2), QStringLiteral("c")}});
    QList<SourceRow> many;
    for (qint64 i = 0; i < 5000; ++i)
        many.append(SourceRow{i});
    built.add(QStringLiteral("many"), {{QStringLiteral("n"), ColumnType::Integer}}, many);
    const SourceColumn context{QStringLiteral("Context"), ColumnType::Text};
    built.add(QStringLiteral("tb_Adver"), {context, {QStringLiteral("AdverID"), ColumnType::Integer}, context},
              {{QStringLiteral("看"), qint64(7), QStringLiteral("这里")}});
    QList<qint64> toldOfMany;
    const auto summary = import::copyIntoCatalogue(built, QStringLiteral("odd.mdb"), home.path(), false,
                                                   [&](const import::CopyProgress &p) {
                                                       if (p.name == QStringLiteral("many"))
                                                           toldOfMany << p.tableRows;
                                                       return true;
                                                   });
    ASSERT_TRUE(summary.has_value());
    EXPECT_EQ(toldOfMany, (QList<qint64>{4096, 5000}));
    const auto rows = [&](const char *sql) { return catalogueRows(home.path(), QString::fromUtf8(sql)); };
    EXPECT_EQ(rows("SELECT * FROM tb_files_mdb"), QStringList{QStringLiteral("1|again|2")});
    EXPECT_EQ(rows("SELECT group_concat(name, '|') FROM pragma_table_info('tb_files_mdb')"),
              QStringList{QStringLiteral("FileID|DisplayName|FileID_2")});
    EXPECT_EQ(rows("SELECT count(*), group_concat(name) FROM pragma_table_info('_')"),
              QStringList{QStringLiteral("1|_")});
    EXPECT_EQ(rows("SELECT count(*) FROM \"_\""), QStringList{QStringLiteral("2")});
    EXPECT_EQ(rows("SELECT * FROM nameless ORDER BY rowid"),
              (QStringList{QStringLiteral("a||"), QStringLiteral("b|2|c")}));
    EXPECT_EQ(rows("SELECT group_concat(name, '|') FROM pragma_table_info('nameless')"),
              QStringList{QStringLiteral("_|__2|DisplayName")});
    EXPECT_EQ(rows("SELECT count(*), sum(n) FROM many"), QStringList{QStringLiteral("5000|12497500")});
    EXPECT_EQ(rows("SELECT AdverID, Context, Context_2, URL FROM tb_Adver"), QStringList{QStringLiteral("7|看|这里|")});

    // Stopped in the middle of a long table: the catalogue stays as it was.
    const QStringList whole = rows("SELECT count(*) FROM many");
    EXPECT_FALSE(import::copyIntoCatalogue(built, QStringLiteral("odd.mdb"), home.path(), true,
                                           [](const import::CopyProgress &p) { return p.tableRows != 4096; })
                     .has_value());
    EXPECT_EQ(rows("SELECT count(*) FROM many"), whole);
    EXPECT_FALSE(QFile::exists(import::importingPath(home.path())));

    // A second item with the first one's identifier, or one that is no
    // number, is refused; the old catalogue stays as it was.
    const QStringList before = rows("SELECT * FROM tb_Files ORDER BY FileID");
    for (const QVariant &bad : {QVariant(qint64(101)), QVariant(QStringLiteral("x"))}) {
        BuiltTables refused;
        addCatalogue(refused, QString());
        refused.add(QStringLiteral("many"), {{QStringLiteral("n"), ColumnType::Integer}}, many);
        refused.add(QStringLiteral("tb_Adver"), {{QStringLiteral("AdverID"), ColumnType::Integer}},
                    {{qint64(101)}, {bad}});
        try {
            import::copyIntoCatalogue(refused, QStringLiteral("bad.mdb"), home.path(), true);
            ADD_FAILURE() << "copied a refused row";
        } catch (const DatabaseError &e) {
            EXPECT_TRUE(e.text().contains(QStringLiteral("表“tb_Adver”的第 2 行"))) << e.text().toStdString();
        }
        EXPECT_EQ(rows("SELECT * FROM tb_Files ORDER BY FileID"), before);
        EXPECT_FALSE(QFile::exists(import::importingPath(home.path())));
    }
}
