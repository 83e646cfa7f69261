#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

// fruit.mdb under the catalogue's names: three of its tables renamed to the
// catalogue's, their own columns kept, so a database that is no catalogue
// however its tables are named; a fourth renamed to a name with a space, a
// control character, a '%' and Chinese. Names are written over in place in
// UTF-16, padded with NULs to the old length (the reader drops them).
// Written as `dir`/old.mdb.
inline QString fruitUnderCatalogueNames(const QString &fruitMdb, const QString &dir)
{
    const auto utf16 = [](const QString &text) {
        return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    };
    QFile in(fruitMdb);
    EXPECT_TRUE(in.open(QIODevice::ReadOnly));
    QByteArray bytes = in.readAll();
    const char *const names[][2] = {{"Muffin/Bread", "tb_Class"},
                                    {"Veggie Salad", "tb_Colume"},
                                    {"Fruit Salad", "tb_Files"},
                                    {"Dried", "干 果\x01%"}};
    for (const auto &name : names) {
        const QString from = QString::fromUtf8(name[0]);
        QString to = QString::fromUtf8(name[1]);
        to.resize(from.size(), QChar(u'\0'));
        bytes.replace(utf16(from), utf16(to));
    }
    const QString path = QDir(dir).filePath(QStringLiteral("old.mdb"));
    QFile out(path);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    return path;
}
