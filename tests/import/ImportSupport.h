#pragma once

// What the import tests share: reading a file with libmdb alone, and the
// small catalogue the copies bring.
#include "BuiltTables.h"

#include "Files.h"
#include "import/CatalogueCopy.h"

#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <vector>

#include <mdbtools.h>

#include <gtest/gtest.h>

// A table as mdbtools' library reads it: name, column names, rows of texts.
struct MdbTable
{
    QString name;
    QStringList columns;
    QList<QStringList> rows;
};

// Reads every user table with libmdb alone, as its own tools do.
inline QList<MdbTable> readWithLibmdb(const char *path)
{
    // Left to itself, libmdb reads Jet 3 texts in the code page the file states.
    qunsetenv("MDB_JET3_CHARSET");
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

inline QString catalogueOf(const QString &home)
{
    return QDir(home).filePath(QStringLiteral("Data/info.db"));
}

inline QString quoted(QString name)
{
    return u'"' + name.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// The small catalogue every copy below brings, with the user's marks.
inline void addCatalogue(BuiltTables &built, const QString &longMemo)
{
    using import::ColumnType;
    using import::SourceColumn;
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

// The command refuses `file` naming it and `problem`, and writes nothing:
// a home's catalogue stays byte for byte as it was, replaced on request or
// not, with nothing new beside it; a home without one is not even made.
inline void expectRefusedWritingNothing(const QString &file, const QString &problem)
{
    QTemporaryDir dir;
    const QString home = dir.filePath(QStringLiteral("home"));
    BuiltTables built;
    addCatalogue(built, QString());
    ASSERT_TRUE(import::copyIntoCatalogue(built, QStringLiteral("built"), home, false).has_value());
    const QByteArray catalogue = readFile(catalogueOf(home));
    const QDir data(QDir(home).filePath(QStringLiteral("Data")));
    const QDir::Filters all = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
    const QStringList present = data.entryList(all);
    const QString fresh = dir.filePath(QStringLiteral("fresh"));
    for (const QStringList &arguments :
         {QStringList{file, home, QStringLiteral("--force")}, QStringList{file, home}, QStringList{file, fresh}}) {
        QProcess tool;
        tool.start(QStringLiteral(CATALOGUE_TOOL), QStringList{QStringLiteral("import")} + arguments);
        ASSERT_TRUE(tool.waitForFinished(60000));
        EXPECT_EQ(tool.exitCode(), 1) << arguments.join(u' ').toStdString();
        const QString error = QString::fromUtf8(tool.readAllStandardError());
        if (arguments.size() == 3 || arguments.at(1) == fresh) {
            EXPECT_TRUE(error.contains(file) && error.contains(problem)) << error.toStdString();
        }
        EXPECT_EQ(readFile(catalogueOf(home)), catalogue);
        EXPECT_EQ(data.entryList(all), present);
        EXPECT_FALSE(QFileInfo::exists(fresh));
    }
}
