#pragma once

#include "store/Connection.h"

#include <QDir>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

#include <gtest/gtest.h>

// Rows of a statement on the catalogue of a home directory, fields joined by '|'.
inline QStringList catalogueRows(const QString &home, const QString &sql)
{
    store::Connection c(QDir(home).filePath(QStringLiteral("Data/info.db")));
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
