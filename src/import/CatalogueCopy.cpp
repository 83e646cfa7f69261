#include "import/CatalogueCopy.h"

#include "store/Connection.h"
#include "store/DatabaseError.h"
#include "store/Schema.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QSqlQuery>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <iterator>

namespace import {
namespace {

// The tables without which a database is not a catalogue, with the columns
// that make each what it is: its key and its name.
struct RequiredTable
{
    const char *name;
    std::initializer_list<const char *> columns;
};
const RequiredTable kRequiredTables[] = {{"tb_Class", {"ClassID", "classname"}},
                                         {"tb_Colume", {"ColumeID", "ColumeName"}},
                                         {"tb_Files", {"FileID", "ColumeID", "DisplayName"}}};

bool isRequiredTable(const QString &name)
{
    return std::any_of(std::begin(kRequiredTables), std::end(kRequiredTables), [&](const RequiredTable &t) {
        return name.compare(QLatin1String(t.name), Qt::CaseInsensitive) == 0;
    });
}

const SourceTable *firstNamed(const QList<SourceTable> &tables, const char *name)
{
    for (const SourceTable &t : tables) {
        if (t.name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

constexpr qint64 kProgressEvery = 4096;

QString quoted(const QString &name)
{
    QString out = name;
    out.replace(u'"', QStringLiteral("\"\""));
    return u'"' + out + u'"';
}

void removeFileSet(const QString &path)
{
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
}

// A column of the target table: where a source column goes, and what a
// missing value becomes there.
struct TargetColumn
{
    QString name;      // empty for a column left out
    QVariant whenNull; // the column's default when it takes no nulls
};

struct TablePlan
{
    QString target;
    QList<TargetColumn> columns; // one per source column
};

QVariant defaultOf(const QString &sqlDefault)
{
    if (sqlDefault.startsWith(u'\''))
        return sqlDefault.mid(1, sqlDefault.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
    bool ok = false;
    const qint64 number = sqlDefault.toLongLong(&ok);
    return ok ? QVariant(number) : QVariant(sqlDefault);
}

class Writer final
{
public:
    explicit Writer(store::Connection &connection) : m_connection(connection), m_db(connection.database())
    {
        QSqlQuery q(m_db);
        q.exec(QStringLiteral("SELECT name FROM sqlite_master"));
        while (q.next())
            m_taken.insert(q.value(0).toString().toLower());
        for (const char *name :
             {"tb_Class", "tb_Colume", "tb_Files", "tb_Recommend", "tb_Adver", "tb_users", "tb_SendCards"})
            m_catalogue.insert(QString::fromLatin1(name).toLower(), QString::fromLatin1(name));
    }

    TablePlan plan(const SourceTable &table)
    {
        TablePlan plan;
        const auto known = m_catalogue.constFind(table.name.toLower());
        if (known != m_catalogue.cend() && !m_copied.contains(*known)) {
            plan.target = *known;
            m_copied.insert(*known);
            planInto(plan, table);
        } else {
            plan.target = freeName(table.name.isEmpty() ? QStringLiteral("_") : table.name);
            planNew(plan, table);
        }
        return plan;
    }

    qint64 copyRows(TableSource &source, const SourceTable &table, const TablePlan &plan, CopyProgress &progress,
                    const CopyObserver &observer, bool &stopped)
    {
        QStringList names;
        QStringList marks;
        for (const TargetColumn &c : plan.columns) {
            if (c.name.isEmpty())
                continue;
            names << quoted(c.name);
            marks << QStringLiteral("?");
        }
        QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                          .arg(quoted(plan.target), names.join(u','), marks.join(u','));
        if (names.isEmpty()) // a table without columns keeps its number of rows, each all nulls
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(plan.target));
        sqlite3_stmt *insert = prepare(sql);
        qint64 count = 0;
        try {
            source.readRows(table, [&](const SourceRow &row) {
                for (int i = 0, mark = 0; i < plan.columns.size(); ++i) {
                    if (plan.columns.at(i).name.isEmpty())
                        continue;
                    const QVariant &v = i < row.size() ? row.at(i) : QVariant();
                    bind(insert, ++mark, v.isNull() ? plan.columns.at(i).whenNull : v);
                }
                if (sqlite3_step(insert) != SQLITE_DONE)
                    throw DatabaseError(QStringLiteral("表“%1”的第 %2 行写不进目录：%3")
                                            .arg(table.name)
                                            .arg(count + 1)
                                            .arg(QString::fromUtf8(sqlite3_errmsg(m_connection.handle()))),
                                        sqlite3_extended_errcode(m_connection.handle()));
                sqlite3_reset(insert);
                ++count;
                ++progress.totalRows;
                progress.tableRows = count;
                if (count % kProgressEvery == 0 && observer && !observer(progress)) {
                    stopped = true;
                    return false;
                }
                return true;
            });
        } catch (...) {
            sqlite3_finalize(insert);
            throw;
        }
        sqlite3_finalize(insert);
        return count;
    }

    QStringList leftOut() const { return m_leftOut; }

private:
    void planInto(TablePlan &plan, const SourceTable &table)
    {
        QHash<QString, TargetColumn> existing;
        QSqlQuery q(m_db);
        q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quoted(plan.target)));
        while (q.next()) {
            const bool notNull = q.value(3).toBool();
            existing.insert(q.value(1).toString().toLower(),
                            {q.value(1).toString(), notNull ? defaultOf(q.value(4).toString()) : QVariant()});
        }
        // The catalogue's own tables take only what the catalogue knows: a
        // table of another database under their names brings nothing else.
        const bool onlyKnown = isRequiredTable(plan.target);
        QSet<QString> used;
        for (const SourceColumn &column : table.columns) {
            const QString key = column.name.toLower();
            if (existing.contains(key) && !used.contains(key)) {
                used.insert(key);
                plan.columns.append(existing.value(key));
                continue;
            }
            if (onlyKnown) {
                m_leftOut << table.name + u'.' + column.name;
                plan.columns.append({QString(), QVariant()});
                continue;
            }
            const QString name = uniqueColumn(column.name, used);
            exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                     .arg(quoted(plan.target), quoted(name), sqliteTypeOf(column.type)));
            plan.columns.append({name, QVariant()});
        }
    }

    void planNew(TablePlan &plan, const SourceTable &table)
    {
        QSet<QString> used;
        QStringList definitions;
        for (const SourceColumn &column : table.columns) {
            const QString name = uniqueColumn(column.name, used);
            definitions << quoted(name) + u' ' + sqliteTypeOf(column.type);
            plan.columns.append({name, QVariant()});
        }
        if (definitions.isEmpty())
            definitions << QStringLiteral("\"_\"");
        exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(plan.target), definitions.join(u',')));
    }

    static QString uniqueColumn(const QString &wanted, QSet<QString> &used)
    {
        QString name = wanted.isEmpty() ? QStringLiteral("_") : wanted;
        for (int n = 2; used.contains(name.toLower()); ++n)
            name = (wanted.isEmpty() ? QStringLiteral("_") : wanted) + QStringLiteral("_%1").arg(n);
        used.insert(name.toLower());
        return name;
    }

    QString freeName(const QString &wanted)
    {
        // SQLite keeps names that begin with "sqlite_" for itself.
        QString name = wanted.startsWith(QStringLiteral("sqlite_"), Qt::CaseInsensitive)
                           ? QStringLiteral("mdb_") + wanted
                           : wanted;
        while (m_taken.contains(name.toLower()))
            name += QStringLiteral("_mdb");
        m_taken.insert(name.toLower());
        return name;
    }

    void exec(const QString &sql) { m_connection.exec(sql); }

    sqlite3_stmt *prepare(const QString &sql)
    {
        sqlite3_stmt *statement = nullptr;
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(m_connection.handle(), text.constData(), int(text.size()), &statement, nullptr) !=
            SQLITE_OK)
            throw DatabaseError(QStringLiteral("数据库错误：%1\n%2")
                                    .arg(QString::fromUtf8(sqlite3_errmsg(m_connection.handle())), sql));
        return statement;
    }

    static void bind(sqlite3_stmt *statement, int index, const QVariant &value)
    {
        switch (value.typeId()) {
        case QMetaType::UnknownType:
            sqlite3_bind_null(statement, index);
            break;
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::LongLong:
            sqlite3_bind_int64(statement, index, value.toLongLong());
            break;
        case QMetaType::Double:
            sqlite3_bind_double(statement, index, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            sqlite3_bind_blob64(statement, index, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::QDateTime:
            bindText(statement, index, value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
            break;
        default:
            bindText(statement, index, value.toString());
        }
    }

    static void bindText(sqlite3_stmt *statement, int index, const QString &text)
    {
        const QByteArray bytes = text.toUtf8();
        sqlite3_bind_text64(statement, index, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT,
                            SQLITE_UTF8);
    }

    store::Connection &m_connection;
    QSqlDatabase &m_db;
    QSet<QString> m_taken;               // lower-case names of the file's objects
    QHash<QString, QString> m_catalogue; // lower-case name -> the program's table
    QSet<QString> m_copied;
    QStringList m_leftOut;
};

// Moves the finished file into place: over the old catalogue (and its
// journal) only when asked to.
void moveIntoPlace(const QString &from, const QString &to, bool replace)
{
    if (replace) {
        QFile::remove(to + QStringLiteral("-wal"));
        QFile::remove(to + QStringLiteral("-shm"));
        if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
            return;
    } else if (!QFile::exists(to) && QFile::rename(from, to)) {
        return;
    }
    throw ImportError(QStringLiteral("无法把导入的目录放到 %1").arg(to));
}

} // namespace

QStringList missingCatalogueTables(const QList<SourceTable> &tables)
{
    QStringList missing;
    for (const RequiredTable &required : kRequiredTables) {
        if (!firstNamed(tables, required.name))
            missing << QString::fromLatin1(required.name);
    }
    return missing;
}

QList<MissingColumns> missingCatalogueColumns(const QList<SourceTable> &tables)
{
    QList<MissingColumns> out;
    for (const RequiredTable &required : kRequiredTables) {
        const SourceTable *table = firstNamed(tables, required.name);
        if (!table)
            continue;
        QSet<QString> have;
        for (const SourceColumn &c : table->columns)
            have.insert(c.name.toLower());
        MissingColumns missing{table->name, {}};
        for (const char *column : required.columns) {
            if (!have.contains(QString::fromLatin1(column).toLower()))
                missing.columns << QString::fromLatin1(column);
        }
        if (!missing.columns.isEmpty())
            out << missing;
    }
    return out;
}

QString notACatalogue(const QList<SourceTable> &tables)
{
    QStringList problems;
    const QStringList missingTables = missingCatalogueTables(tables);
    if (!missingTables.isEmpty())
        problems << QStringLiteral("没有表 %1").arg(missingTables.join(QStringLiteral("、")));
    for (const MissingColumns &m : missingCatalogueColumns(tables))
        problems << QStringLiteral("表 %1 缺少列 %2").arg(m.table, m.columns.join(QStringLiteral("、")));
    return problems.join(QStringLiteral("；"));
}

QString sqliteTypeOf(ColumnType type)
{
    switch (type) {
    case ColumnType::Boolean:
    case ColumnType::Integer:
        return QStringLiteral("INTEGER");
    case ColumnType::Real:
        return QStringLiteral("REAL");
    case ColumnType::Binary:
        return QStringLiteral("BLOB");
    default:
        return QStringLiteral("TEXT");
    }
}

QString importingPath(const QString &home)
{
    return QDir(home).filePath(QStringLiteral("Data/info.db.import"));
}

void removeImportLeftovers(const QString &home)
{
    removeFileSet(importingPath(home));
}

std::optional<CopySummary> copyIntoCatalogue(TableSource &source, const QString &sourceName, const QString &home,
                                             bool replace, const CopyObserver &observer)
{
    const QString target = QDir(home).filePath(QStringLiteral("Data/info.db"));
    if (QFile::exists(target) && !replace)
        throw ImportError(QStringLiteral("%1 已经存在，没有导入 %2（要替换它，请加 --force）").arg(target, sourceName));
    const QList<SourceTable> tables = source.tables();
    const QString problem = notACatalogue(tables);
    if (!problem.isEmpty())
        throw ImportError(QStringLiteral("%1 不是目录数据库：%2").arg(sourceName, problem));
    if (!QDir().mkpath(QDir(home).filePath(QStringLiteral("Data"))))
        throw ImportError(QStringLiteral("无法建立目录 %1/Data").arg(home));

    const QString temporary = importingPath(home);
    removeFileSet(temporary);
    CopySummary summary;
    bool stopped = false;
    try {
        store::Connection connection(temporary, store::Connection::Mode::Create);
        QSqlDatabase &db = connection.database();
        connection.exec(QStringLiteral("PRAGMA synchronous=OFF"));
        Writer writer(connection); // knows every name of the schema, the indexes made again below too
        store::dropListIndexes(db);
        CopyProgress progress;
        progress.tables = int(tables.size());
        connection.inTransaction([&] {
            for (const SourceTable &table : tables) {
                ++progress.table;
                progress.name = table.name;
                progress.tableRows = 0;
                progress.expectedRows = table.rows;
                const TablePlan plan = writer.plan(table);
                writer.copyRows(source, table, plan, progress, observer, stopped);
                if (stopped || (observer && !observer(progress))) {
                    stopped = true;
                    throw ImportError(QString());
                }
            }
            store::createListIndexes(db);
        });
        summary = {progress.tables, progress.totalRows, writer.leftOut()};
        connection.exec(QStringLiteral("ANALYZE"));
        connection.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        connection.close();
        moveIntoPlace(temporary, target, replace);
    } catch (...) {
        removeFileSet(temporary);
        if (stopped)
            return std::nullopt;
        throw;
    }
    removeFileSet(temporary);
    return summary;
}

} // namespace import
