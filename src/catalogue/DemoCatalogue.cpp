#include "catalogue/DemoCatalogue.h"

#include "catalogue/DemoContent.h"

#include "store/Connection.h"
#include "store/DatabaseError.h"
#include "store/Schema.h"
#include "ui/art/Artwork.h"

#include "samples/SampleSwf.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <exception>
#include <stdexcept>
#include <thread>

namespace catalogue {
namespace {

QSqlQuery prepared(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    if (!q.prepare(sql))
        throw DatabaseError(QStringLiteral("数据库错误：%1").arg(q.lastError().text()));
    return q;
}

void run(QSqlQuery &q)
{
    if (!q.exec())
        throw DatabaseError(QStringLiteral("数据库错误：%1").arg(q.lastError().text()));
}

void removeCatalogueFiles(const QString &path)
{
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(path + suffix);
}

void writeClassesAndColumns(QSqlDatabase &db)
{
    QSqlQuery cls = prepared(db, QStringLiteral("INSERT INTO tb_Class (ClassID, classname) VALUES (?, ?)"));
    for (const DemoClass &c : demoClasses()) {
        cls.bindValue(0, c.id);
        cls.bindValue(1, c.name);
        run(cls);
    }
    QSqlQuery col = prepared(db, QStringLiteral("INSERT INTO tb_Colume (ColumeID, ColumeName, ColumeParent,"
                                                " ColumeDesc, Subscribed) VALUES (?, ?, ?, ?, ?)"));
    for (const DemoColumn &c : demoColumns()) {
        col.bindValue(0, c.id);
        col.bindValue(1, c.name);
        col.bindValue(2, c.classId);
        col.bindValue(3, c.description);
        col.bindValue(4, c.subscribed ? 1 : 0);
        run(col);
    }
}

// Columns get different shares of the items: a weight of 1 to 6 each.
std::vector<const DemoColumn *> weightedColumns(Random &random)
{
    std::vector<const DemoColumn *> out;
    for (const DemoColumn &c : demoColumns()) {
        const int weight = 1 + random.below(6);
        for (int i = 0; i < weight; ++i)
            out.push_back(&c);
    }
    return out;
}

// An item whose file the demo home also holds under local/.
struct LocalCopy
{
    size_t column; // index in demoColumns()
    QString file;
    int id;
};

// About one item in ten has a local copy, chosen by its id and the seed alone
// so that the catalogue's own random sequence stays as it is.
bool hasLocalCopy(std::uint64_t seed, int id)
{
    Random dice(seed ^ (std::uint64_t(id) * 0xD6E8FEB86659FD93ull));
    return dice.next() % 10 == 0;
}

void writeItems(QSqlDatabase &db, Random &random, const DemoOptions &options, std::vector<LocalCopy> &copies)
{
    QSqlQuery q = prepared(db, QStringLiteral("INSERT INTO tb_Files (FileID, ColumeID, DisplayName, Filename, URL,"
                                              " FileDesc, Owner, UploadDate, Hits, HasViewed, HasDownloaded,"
                                              " Deleted, ClassID)"
                                              " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    const std::vector<const DemoColumn *> columns = weightedColumns(random);
    const qint64 firstDay = QDate(2000, 1, 1).toJulianDay();
    const qint64 spanDays = 6 * 365;
    const int firstId = 1001;
    for (int i = 0; i < options.items; ++i) {
        const DemoColumn &column = *columns.at(size_t(random.below(int(columns.size()))));
        const int id = firstId + i;
        const QString file = QStringLiteral("%1_%2.swf").arg(column.slug).arg(id);
        if (hasLocalCopy(options.seed, id))
            copies.push_back({size_t(&column - demoColumns().data()), file, id});
        // The catalogue grows over time: later items are mostly newer.
        const qint64 day = firstDay + spanDays * i / std::max(1, options.items) + random.below(20);
        const int second = random.below(24 * 3600);
        const QString date = QStringLiteral("%1 %2:%3:%4")
                                 .arg(QDate::fromJulianDay(day).toString(QStringLiteral("yyyy-MM-dd")))
                                 .arg(second / 3600, 2, 10, QLatin1Char('0'))
                                 .arg(second / 60 % 60, 2, 10, QLatin1Char('0'))
                                 .arg(second % 60, 2, 10, QLatin1Char('0'));
        const int h = random.below(100);
        q.bindValue(0, id);
        q.bindValue(1, column.id);
        q.bindValue(2, itemName(random, column));
        q.bindValue(3, file);
        q.bindValue(4, options.site + QStringLiteral("files/") +
                           QString::fromLatin1(QUrl::toPercentEncoding(column.name)) + u'/' + file);
        q.bindValue(5, itemDescription(random, column));
        q.bindValue(6, ownerName(random));
        q.bindValue(7, date);
        q.bindValue(8, h * h * h / 50 + random.below(50));
        q.bindValue(9, random.chance(4) ? 1 : 0);
        q.bindValue(10, random.chance(2) ? 1 : 0);
        q.bindValue(11, random.below(200) == 0 ? 1 : 0);
        q.bindValue(12, column.classId);
        run(q);
    }
}

void writeRecommendations(QSqlDatabase &db, Random &random, const DemoOptions &options)
{
    QSqlQuery q = prepared(db, QStringLiteral("INSERT INTO tb_Recommend (Columename, Itemname, Classname, ItemDesc,"
                                              " ItemOther1, ItemOther2, URL, Favorite)"
                                              " VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const DemoRecommendation &r : demoRecommendations(random, options.site)) {
        q.bindValue(0, r.category);
        q.bindValue(1, r.name);
        q.bindValue(2, r.kind);
        q.bindValue(3, r.description);
        q.bindValue(4, r.other1);
        q.bindValue(5, r.other2);
        q.bindValue(6, r.url);
        q.bindValue(7, r.favorite ? 1 : 0);
        run(q);
    }
    QSqlQuery ad = prepared(db, QStringLiteral("INSERT INTO tb_Adver (Context, URL) VALUES (?, ?)"));
    for (const DemoAdvert &a : demoAdverts(options.site)) {
        ad.bindValue(0, a.text);
        ad.bindValue(1, a.url);
        run(ad);
    }
}

// A file that is already there is rewritten in place, not truncated first:
// ext4 writes a truncated and rewritten file out at once, which makes
// replacing a large demo home many times slower. Unchanged files stay as they are.
void writeSample(const QString &path, int id)
{
    const QByteArray bytes = samples::sampleSwf(id);
    QFile file(path);
    bool ok = file.open(QIODevice::ReadWrite);
    if (ok && file.read(bytes.size() + 1) != bytes) {
        ok = file.seek(0) && file.write(bytes) == bytes.size() && file.flush() &&
             (file.size() == bytes.size() || file.resize(bytes.size()));
    }
    if (!ok)
        throw std::runtime_error(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()).toStdString());
}

// Writes the sample animation of each copy to local/<column>/<file>.
void writeLocalCopies(const QString &home, const std::vector<LocalCopy> &copies)
{
    // Each column's folder once, ending in '/'.
    const QDir local(QDir(home).filePath(QStringLiteral("local")));
    std::vector<QString> folders(demoColumns().size());
    for (const LocalCopy &copy : copies) {
        QString &folder = folders.at(copy.column);
        if (folder.isEmpty()) {
            const QString path = local.filePath(demoColumns().at(copy.column).name);
            if (!QDir().mkpath(path))
                throw std::runtime_error(QStringLiteral("cannot create %1").arg(path).toStdString());
            folder = path + u'/';
        }
    }
    // Creating many small files is mostly work in the kernel: share it out.
    const unsigned workers = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    std::vector<std::exception_ptr> errors(workers);
    std::atomic<bool> failed = false;
    std::vector<std::thread> threads;
    for (unsigned w = 0; w < workers; ++w) {
        threads.emplace_back([&, w] {
            try {
                for (size_t i = w; i < copies.size() && !failed; i += workers)
                    writeSample(folders[copies[i].column] + copies[i].file, copies[i].id);
            } catch (...) {
                errors[w] = std::current_exception();
                failed = true;
            }
        });
    }
    for (std::thread &t : threads)
        t.join();
    for (const std::exception_ptr &e : errors) {
        if (e)
            std::rethrow_exception(e);
    }
}

qint64 countOf(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql) || !q.next())
        throw DatabaseError(QStringLiteral("数据库错误：%1").arg(q.lastError().text()));
    return q.value(0).toLongLong();
}

} // namespace

QString cataloguePath(const QString &home)
{
    return QDir(home).filePath(QStringLiteral("Data/info.db"));
}

void writeDemoCatalogue(const QString &home, const DemoOptions &options)
{
    if (options.items < 0)
        throw std::runtime_error("the number of items cannot be negative");
    if (!QDir().mkpath(QDir(home).filePath(QStringLiteral("Data"))))
        throw std::runtime_error(QStringLiteral("cannot create %1/Data").arg(home).toStdString());
    const QString path = cataloguePath(home);
    if (QFile::exists(path)) {
        if (!options.replace)
            throw std::runtime_error(
                QStringLiteral("%1 already exists (use --force to replace it)").arg(path).toStdString());
        removeCatalogueFiles(path);
    }

    Random random(options.seed);
    std::vector<LocalCopy> copies;
    try {
        store::Connection connection(path, store::Connection::Mode::Create);
        QSqlDatabase &db = connection.database();
        connection.exec(QStringLiteral("PRAGMA synchronous=OFF"));
        store::dropListIndexes(db);
        connection.inTransaction([&] {
            writeClassesAndColumns(db);
            writeItems(db, random, options, copies);
            writeRecommendations(db, random, options);
            store::createListIndexes(db);
        });
        connection.exec(QStringLiteral("ANALYZE"));
        connection.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    } catch (...) {
        removeCatalogueFiles(path);
        throw;
    }
    // A demo home also needs the window frame skin the program loads from 001/,
    // and some items are already downloaded.
    art::writeSkin(home);
    writeLocalCopies(home, copies);
}

QString catalogueInfo(const QString &home)
{
    store::Connection connection(cataloguePath(home));
    QSqlDatabase &db = connection.database();
    QString out;
    const auto line = [&](const QString &name, const QString &sql) {
        out += QStringLiteral("%1: %2\n").arg(name).arg(countOf(db, sql));
    };
    line(QStringLiteral("classes"), QStringLiteral("SELECT count(*) FROM tb_Class"));
    line(QStringLiteral("columns"), QStringLiteral("SELECT count(*) FROM tb_Colume"));
    line(QStringLiteral("subscribed columns"), QStringLiteral("SELECT count(*) FROM tb_Colume WHERE Subscribed"));
    line(QStringLiteral("items"), QStringLiteral("SELECT count(*) FROM tb_Files"));
    line(QStringLiteral("viewed"), QStringLiteral("SELECT count(*) FROM tb_Files WHERE HasViewed"));
    line(QStringLiteral("downloaded"), QStringLiteral("SELECT count(*) FROM tb_Files WHERE HasDownloaded"));
    line(QStringLiteral("deleted"), QStringLiteral("SELECT count(*) FROM tb_Files WHERE Deleted"));
    line(QStringLiteral("recommendations"), QStringLiteral("SELECT count(*) FROM tb_Recommend"));
    line(QStringLiteral("recommendation groups"),
         QStringLiteral("SELECT count(DISTINCT Columename) FROM tb_Recommend"));
    line(QStringLiteral("advertisements"), QStringLiteral("SELECT count(*) FROM tb_Adver"));
    line(QStringLiteral("users"), QStringLiteral("SELECT count(*) FROM tb_users"));
    line(QStringLiteral("sent cards"), QStringLiteral("SELECT count(*) FROM tb_SendCards"));
    QSqlQuery q(db);
    if (!q.exec(
            QStringLiteral("SELECT k.ClassID, k.classname, count(f.FileID) FROM tb_Class k"
                           " LEFT JOIN tb_Colume c ON c.ColumeParent = k.ClassID"
                           " LEFT JOIN tb_Files f ON f.ColumeID = c.ColumeID GROUP BY k.ClassID ORDER BY k.ClassID")))
        throw DatabaseError(QStringLiteral("数据库错误：%1").arg(q.lastError().text()));
    while (q.next()) {
        out += QStringLiteral("  class %1 %2: %3 items\n")
                   .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString());
    }
    return out;
}

} // namespace catalogue
