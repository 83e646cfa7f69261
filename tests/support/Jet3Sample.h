#pragma once

// A real Jet 3 file for the import tests, and copies of it changed in place:
// its header's code page set, tables and columns renamed. Names are written
// over byte for byte, padded with NULs to the old length (the reader drops
// them). The file comes compressed from JET3_SAMPLE; where it is absent the
// test program says so and ends as skipped (77).
#include "import/MdbFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringEncoder>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

inline constexpr int kJet3PageSize = 2048;

inline QByteArray jet3Sample()
{
    const QString path = QStringLiteral(JET3_SAMPLE);
    if (!QFileInfo::exists(path)) {
        std::printf("The Jet 3 sample %s is absent: skipped\n", JET3_SAMPLE);
        std::fflush(stdout);
        std::exit(77);
    }
    QProcess gzip;
    gzip.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), path});
    EXPECT_TRUE(gzip.waitForFinished(60000));
    const QByteArray bytes = gzip.readAllStandardOutput();
    EXPECT_EQ(bytes.size() % kJet3PageSize, 0);
    return bytes;
}

inline void setJet3CodePage(QByteArray &file, quint16 codePage)
{
    QByteArray first = file.left(kJet3PageSize);
    import::scrambleJetHeader(first, 0);
    first[0x3c] = char(codePage & 0xff);
    first[0x3d] = char(codePage >> 8);
    import::scrambleJetHeader(first, 0);
    file.replace(0, kJet3PageSize, first);
}

inline QByteArray padded(QByteArray to, qsizetype length)
{
    EXPECT_LE(to.size(), length) << to.constData();
    to.resize(length, '\0');
    return to;
}

// Every occurrence: the catalogue's entry, and whatever queries and forms say.
inline void renameEverywhere(QByteArray &file, const QByteArray &from, const QByteArray &to)
{
    EXPECT_TRUE(file.contains(from)) << from.constData();
    file.replace(from, padded(to, from.size()));
}

// A column in the definition of its table, on page `page` (and an index of
// the same name with it).
inline void renameColumn(QByteArray &file, int page, const QByteArray &from, const QByteArray &to)
{
    QByteArray definition = file.mid(qsizetype(page) * kJet3PageSize, kJet3PageSize);
    ASSERT_TRUE(definition.contains(from)) << from.constData() << " on page " << page;
    definition.replace(from, padded(to, from.size()));
    file.replace(qsizetype(page) * kJet3PageSize, kJet3PageSize, definition);
}

inline QByteArray gbk(const QString &text)
{
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

inline QString writeMdb(const QString &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = QDir(dir).filePath(name);
    QFile out(path);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    return path;
}

// The sample's tables under the catalogue's names, with their own columns:
// shippers, customers and products. Written as `dir`/foreign.mdb.
inline QString jet3UnderCatalogueNames(const QString &dir)
{
    QByteArray bytes = jet3Sample();
    renameEverywhere(bytes, "Shippers", "tb_Class");
    renameEverywhere(bytes, "Customers", "tb_Colume");
    renameEverywhere(bytes, "Products", "TB_FILES");
    return writeMdb(dir, QStringLiteral("foreign.mdb"), bytes);
}

// The sample as an old catalogue, in the Chinese code page: shippers are the
// classes, categories the columns, products the items, the catalogue's
// columns among their own; the suppliers' table gets a name with a space, a
// control character, a '%' and Chinese. Written as `dir`/old.mdb.
inline QString jet3Catalogue(const QString &dir)
{
    QByteArray bytes = jet3Sample();
    setJet3CodePage(bytes, 936);
    renameEverywhere(bytes, "Shippers", "tb_Class");
    renameEverywhere(bytes, "Categories", "tb_Colume");
    renameEverywhere(bytes, "Products", "tb_Files");
    renameEverywhere(bytes, "Suppliers", gbk(QStringLiteral("干 果\x01%")));
    // The pages of the three tables' definitions.
    const int shippers = 581;
    const int categories = 23;
    const int products = 567;
    renameColumn(bytes, shippers, "ShipperID", "ClassID");
    renameColumn(bytes, shippers, "CompanyName", "classname");
    renameColumn(bytes, categories, "CategoryID", "ColumeID");
    renameColumn(bytes, categories, "CategoryName", "ColumeName");
    renameColumn(bytes, categories, "Description", "ColumeDesc");
    renameColumn(bytes, products, "ProductID", "FileID");
    renameColumn(bytes, products, "CategoryID", "ColumeID");
    renameColumn(bytes, products, "ProductName", "DisplayName");
    return writeMdb(dir, QStringLiteral("old.mdb"), bytes);
}
