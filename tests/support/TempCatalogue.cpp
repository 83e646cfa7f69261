#include "TempCatalogue.h"

#include "store/JetSql.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>

#include <gtest/gtest.h>

TempCatalogue::TempCatalogue()
{
    QDir(m_dir.path()).mkpath(QStringLiteral("Data"));
    m_side = std::make_unique<store::Connection>(path(), store::Connection::Mode::Create);
    m_side->database();
}

QString TempCatalogue::path() const
{
    return QDir(m_dir.path()).filePath(QStringLiteral("Data/info.db"));
}

store::Connection &TempCatalogue::side()
{
    if (!m_side)
        m_side = std::make_unique<store::Connection>(path());
    return *m_side;
}

void TempCatalogue::exec(const QString &sql)
{
    side().exec(sql);
}

QVariant TempCatalogue::scalar(const QString &sql)
{
    QSqlQuery q(side().database());
    if (!q.exec(sql) || !q.next()) {
        ADD_FAILURE() << "query failed: " << sql.toStdString() << ": " << q.lastError().text().toStdString();
        return {};
    }
    return q.value(0);
}

void TempCatalogue::addClass(int id, const QString &name)
{
    exec(QStringLiteral("INSERT INTO tb_Class (ClassID, classname) VALUES (%1, %2)").arg(id).arg(store::quoted(name)));
}

void TempCatalogue::addColumn(int id, int classId, const QString &name, bool subscribed)
{
    exec(QStringLiteral("INSERT INTO tb_Colume (ColumeID, ColumeName, ColumeParent, ColumeDesc, Subscribed)"
                        " VALUES (%1, %2, %3, %4, %5)")
             .arg(id)
             .arg(store::quoted(name))
             .arg(classId)
             .arg(store::quoted(name + QStringLiteral("的介绍")))
             .arg(subscribed ? 1 : 0));
}

void TempCatalogue::addItem(int id, int columnId, const QString &name, const QString &date, int hits, bool viewed,
                            bool downloaded, bool deleted)
{
    exec(QStringLiteral("INSERT INTO tb_Files (FileID, ColumeID, DisplayName, Filename, URL, FileDesc, Owner,"
                        " UploadDate, Hits, HasViewed, HasDownloaded, Deleted)"
                        " VALUES (%1, %2, %3, %4, %5, %6, %7, %8, %9, %10, %11, %12)")
             .arg(id)
             .arg(columnId)
             .arg(store::quoted(name))
             .arg(store::quoted(QStringLiteral("f%1.swf").arg(id)))
             .arg(store::quoted(QStringLiteral("http://127.0.0.1/files/f%1.swf").arg(id)))
             .arg(store::quoted(QStringLiteral("说明%1").arg(id)))
             .arg(store::quoted(QStringLiteral("作者")))
             .arg(store::quoted(date))
             .arg(hits)
             .arg(viewed ? 1 : 0)
             .arg(downloaded ? 1 : 0)
             .arg(deleted ? 1 : 0));
}

void TempCatalogue::release()
{
    m_side.reset();
}
