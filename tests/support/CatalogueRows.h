#pragma once

#include "store/Connection.h"

#include <QDir>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

#include <gtest/gtest.h>

// Rows of a statement on a catalogue file, fields joined by '|'.
inline QStringList catalogueFileRows(const QString &path, const QString &sql)
{
    store::Connection c(path);
    QSqlQuery q(c.database());
    EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
    QStringList out;
    while (q.next()) {
        QStringList fields;
        for (int i = 0; i < q.record().count(); ++i)
            fields << q.value(i).toString();
        out << fields.join(u'|');
    }
    return out;
}

// The same on the catalogue of a home directory.
inline QStringList catalogueRows(const QString &home, const QString &sql)
{
    return catalogueFileRows(QDir(home).filePath(QStringLiteral("Data/info.db")), sql);
}
