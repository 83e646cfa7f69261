#include "catalogue/PublishedCatalogue.h"

#include "catalogue/DemoContent.h"

#include "store/Connection.h"
#include "store/DatabaseError.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <algorithm>
#include <stdexcept>

namespace catalogue {
namespace {

QSqlQuery run(QSqlDatabase &db, const QString &sql, const QVariantList &values = {})
{
    QSqlQuery q(db);
    bool ok = q.prepare(sql);
    for (int i = 0; ok && i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (!ok || !q.exec())
        throw DatabaseError(QStringLiteral("数据库错误：%1").arg(q.lastError().text()),
                            q.lastError().nativeErrorCode().toInt());
    return q;
}

void seedFromDemo(store::Connection &published)
{
    QSqlDatabase &db = published.database();
    for (const DemoClass &c : demoClasses())
        run(db, QStringLiteral("INSERT INTO tb_Class (ClassID, classname) VALUES (?, ?)"), {c.id, c.name});
    for (const DemoColumn &c : demoColumns()) {
        run(db,
            QStringLiteral(
                "INSERT INTO tb_Colume (ColumeID, ColumeName, ColumeParent, ColumeDesc) VALUES (?, ?, ?, ?)"),
            {c.id, c.name, c.classId, c.description});
    }
}

void seedFromCatalogue(store::Connection &published, const QString &source)
{
    QSqlDatabase &db = published.database();
    run(db, QStringLiteral("ATTACH DATABASE ? AS src"), {source});
    try {
        published.inTransaction([&] {
            run(db, QStringLiteral(
                        "INSERT INTO tb_Class (ClassID, classname) SELECT ClassID, classname FROM src.tb_Class"));
            run(db, QStringLiteral("INSERT INTO tb_Colume (ColumeID, ColumeName, ColumeParent, ColumeDesc)"
                                   " SELECT ColumeID, ColumeName, ColumeParent, ColumeDesc FROM src.tb_Colume"));
            run(db,
                QStringLiteral("INSERT INTO tb_Files (FileID, ColumeID, DisplayName, Filename, URL, FileDesc, Owner,"
                               " UploadDate, Hits, ClassID) SELECT FileID, ColumeID, DisplayName, Filename, URL,"
                               " FileDesc, Owner, UploadDate, Hits, ClassID FROM src.tb_Files"));
        });
    } catch (...) {
        QSqlQuery(db).exec(QStringLiteral("DETACH DATABASE src"));
        throw;
    }
    run(db, QStringLiteral("DETACH DATABASE src"));
}

void removeWithJournal(const QString &path)
{
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(path + suffix);
}

// A column that items are published in, as the demo's name maker knows it.
DemoColumn columnFrom(const QSqlQuery &q)
{
    const int id = q.value(0).toInt();
    for (const DemoColumn &c : demoColumns()) {
        if (c.id == id)
            return c;
    }
    return {id,  q.value(1).toInt(), q.value(2).toString(), QStringLiteral("col%1").arg(id), q.value(3).toString(),
            true};
}

std::vector<DemoColumn> publishedColumns(QSqlDatabase &db)
{
    std::vector<DemoColumn> out;
    QSqlQuery q = run(db, QStringLiteral("SELECT ColumeID, ColumeParent, ColumeName, ColumeDesc FROM tb_Colume"
                                         " WHERE ColumeParent IN (SELECT ClassID FROM tb_Class) ORDER BY ColumeID"));
    while (q.next())
        out.push_back(columnFrom(q));
    if (out.empty())
        throw std::runtime_error("the published catalogue has no columns to publish in");
    return out;
}

int maxOf(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q = run(db, sql);
    return q.next() ? q.value(0).toInt() : 0;
}

// New columns, one for every twenty items, each in a class of an existing one.
std::vector<DemoColumn> addColumns(QSqlDatabase &db, Random &random, const std::vector<DemoColumn> &existing, int count)
{
    std::vector<DemoColumn> out;
    int id = maxOf(db, QStringLiteral("SELECT max(ColumeID) FROM tb_Colume"));
    for (int i = 0; i < (count + 19) / 20; ++i) {
        const DemoColumn &like = random.pick(existing);
        ++id;
        DemoColumn c{id,
                     like.classId,
                     QStringLiteral("%1·新作%2").arg(like.name).arg(id),
                     like.slug,
                     QStringLiteral("新开的栏目：%1").arg(like.description),
                     true};
        run(db,
            QStringLiteral(
                "INSERT INTO tb_Colume (ColumeID, ColumeName, ColumeParent, ColumeDesc) VALUES (?, ?, ?, ?)"),
            {c.id, c.name, c.classId, c.description});
        out.push_back(c);
    }
    return out;
}

void addItem(QSqlDatabase &db, Random &random, const DemoColumn &column, int id, const QString &now)
{
    const QString file = QStringLiteral("%1_%2.swf").arg(column.slug).arg(id);
    run(db,
        QStringLiteral("INSERT INTO tb_Files (FileID, ColumeID, DisplayName, Filename, FileDesc, Owner, UploadDate,"
                       " Hits) VALUES (?, ?, ?, ?, ?, ?, ?, 0)"),
        {id, column.id, itemName(random, column), file, itemDescription(random, column), ownerName(random), now});
}

QString fileAddress(const QString &site, const QString &column, const QString &file)
{
    return site + QStringLiteral("files/") + QString::fromLatin1(QUrl::toPercentEncoding(column)) + u'/' +
           QString::fromLatin1(QUrl::toPercentEncoding(file));
}

} // namespace

QString publishedPath(const QString &siteHome)
{
    return QDir(siteHome).filePath(QStringLiteral("site/published.db"));
}

void ensurePublished(const QString &siteHome)
{
    const QString path = publishedPath(siteHome);
    if (QFile::exists(path))
        return;
    if (!QDir().mkpath(QFileInfo(path).path()))
        throw std::runtime_error(QStringLiteral("cannot create %1").arg(QFileInfo(path).path()).toStdString());
    const QString temporary = path + QStringLiteral(".new-%1").arg(QCoreApplication::applicationPid());
    removeWithJournal(temporary);
    try {
        store::Connection published(temporary, store::Connection::Mode::Create);
        const QString source = QDir(siteHome).filePath(QStringLiteral("Data/info.db"));
        if (QFile::exists(source))
            seedFromCatalogue(published, source);
        else
            seedFromDemo(published);
        published.close();
    } catch (...) {
        removeWithJournal(temporary);
        throw;
    }
    // Another process may have made it meanwhile: the first one stays.
    if (!QFile::rename(temporary, path))
        removeWithJournal(temporary);
}

int publishItems(const QString &siteHome, int count)
{
    if (count < 0)
        throw std::runtime_error("the number of items cannot be negative");
    ensurePublished(siteHome);
    store::Connection published(publishedPath(siteHome));
    QSqlDatabase &db = published.database();
    int first = 0;
    published.exec(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        first = maxOf(db, QStringLiteral("SELECT max(FileID) FROM tb_Files")) + 1;
        Random random(std::uint64_t(first) * 0x9E3779B97F4A7C15ull + std::uint64_t(count));
        const std::vector<DemoColumn> existing = publishedColumns(db);
        const std::vector<DemoColumn> added = addColumns(db, random, existing, count);
        const QString now = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        for (int i = 0; i < count; ++i) {
            // Every fifth item goes to a new column, the others anywhere.
            const DemoColumn &column = i % 5 == 0 ? added.at(size_t(i / 5) % added.size()) : random.pick(existing);
            addItem(db, random, column, first + i, now);
        }
        published.exec(QStringLiteral("COMMIT"));
    } catch (...) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
    return first;
}

update::FeedPage readFeedPage(store::Connection &published, const update::FeedCursor &from, int limit,
                              const QString &site)
{
    limit = std::max(limit, 1);
    QSqlDatabase &db = published.database();
    update::FeedPage page;
    QSet<int> columnIds;
    // A cursor without a time (the first page) binds as NULL, which no
    // upload time is after: it counts as the empty text.
    QSqlQuery q =
        run(db,
            QStringLiteral("SELECT f.FileID, f.ColumeID, f.DisplayName, f.Filename, f.FileDesc, f.Owner,"
                           " f.UploadDate, f.Hits, c.ColumeName FROM tb_Files f"
                           " JOIN tb_Colume c ON c.ColumeID = f.ColumeID"
                           " WHERE c.ColumeParent IN (SELECT ClassID FROM tb_Class) AND f.Deleted = 0 AND "
                           "(f.UploadDate > coalesce(?, '') OR (f.UploadDate = coalesce(?, '') AND f.FileID > ?))"
                           " ORDER BY f.UploadDate, f.FileID LIMIT ?"),
            {from.since, from.since, from.after, limit + 1});
    while (q.next()) {
        if (page.items.size() == limit) {
            const update::FeedItem &last = page.items.constLast();
            page.next = update::FeedCursor{last.uploaded, last.id};
            break;
        }
        page.items << update::FeedItem{q.value(0).toInt(),
                                       q.value(1).toInt(),
                                       q.value(2).toString(),
                                       q.value(3).toString(),
                                       fileAddress(site, q.value(8).toString(), q.value(3).toString()),
                                       q.value(4).toString(),
                                       q.value(5).toString(),
                                       q.value(6).toString(),
                                       q.value(7).toInt()};
        columnIds.insert(page.items.constLast().columnId);
    }
    QSet<int> classIds;
    QSqlQuery columns = run(db, QStringLiteral("SELECT ColumeID, ColumeParent, ColumeName, ColumeDesc FROM tb_Colume"
                                               " WHERE ColumeParent IN (SELECT ClassID FROM tb_Class)"));
    while (columns.next()) {
        if (!columnIds.contains(columns.value(0).toInt()))
            continue;
        page.columns << update::FeedColumn{columns.value(0).toInt(), columns.value(1).toInt(),
                                           columns.value(2).toString(), columns.value(3).toString()};
        classIds.insert(columns.value(1).toInt());
    }
    QSqlQuery classes = run(db, QStringLiteral("SELECT ClassID, classname FROM tb_Class"));
    while (classes.next()) {
        if (classIds.contains(classes.value(0).toInt()))
            page.classes << update::FeedClass{classes.value(0).toInt(), classes.value(1).toString()};
    }
    return page;
}

} // namespace catalogue
