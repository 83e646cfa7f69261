// The import's copy rate: the Access file of the tests, and a catalogue of a
// million items read from SQLite and handed to the copy as libmdb hands an
// Access file's values (as text, converted by the same functions).
#include "BenchCatalogue.h"
#include "BuiltTables.h"

#include "import/CatalogueCopy.h"
#include "import/MdbFile.h"
#include "import/MdbText.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <stdexcept>

namespace {

// The tables of a SQLite catalogue, less the program's own bookkeeping.
class SqliteTables final : public import::TableSource
{
public:
    explicit SqliteTables(const QString &path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot open the bench catalogue");
    }
    ~SqliteTables() override { sqlite3_close(m_db); }
    SqliteTables(const SqliteTables &) = delete;
    SqliteTables &operator=(const SqliteTables &) = delete;

    QList<import::SourceTable> tables() override
    {
        QList<import::SourceTable> out;
        for (const QString &name : query(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name"
                                                        " IN ('tb_Class', 'tb_Colume', 'tb_Files', 'tb_Recommend',"
                                                        " 'tb_Adver', 'tb_users', 'tb_SendCards')"))) {
            import::SourceTable table{name, {}, -1};
            for (const QString &column : query(QStringLiteral("SELECT name FROM pragma_table_info('%1')").arg(name)))
                table.columns.append({column, typeOf(column), false});
            out.append(table);
        }
        return out;
    }

    void readRows(const import::SourceTable &table, const std::function<bool(const import::SourceRow &)> &row) override
    {
        sqlite3_stmt *select = prepare(QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(table.name));
        import::SourceRow values;
        while (sqlite3_step(select) == SQLITE_ROW) {
            values.clear();
            for (int c = 0; c < table.columns.size(); ++c) {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(select, c));
                values.append(
                    import::valueFromMdb(table.columns.at(c).type, QByteArray(text, sqlite3_column_bytes(select, c))));
            }
            if (!row(values))
                break;
        }
        sqlite3_finalize(select);
    }

private:
    // The types an Access catalogue gives these columns.
    static import::ColumnType typeOf(const QString &column)
    {
        static const QStringList flags = {QStringLiteral("HasViewed"), QStringLiteral("HasDownloaded"),
                                          QStringLiteral("Deleted"),   QStringLiteral("Subscribed"),
                                          QStringLiteral("Favorite"),  QStringLiteral("savepass"),
                                          QStringLiteral("SendFlag")};
        static const QStringList numbers = {QStringLiteral("FileID"),  QStringLiteral("ColumeID"),
                                            QStringLiteral("ClassID"), QStringLiteral("ColumeParent"),
                                            QStringLiteral("Hits"),    QStringLiteral("ItemID"),
                                            QStringLiteral("AdverID"), QStringLiteral("CardID")};
        if (flags.contains(column))
            return import::ColumnType::Boolean;
        if (numbers.contains(column))
            return import::ColumnType::Integer;
        if (column.endsWith(QStringLiteral("Date")))
            return import::ColumnType::DateTime;
        return import::ColumnType::Text;
    }

    sqlite3_stmt *prepare(const QString &sql)
    {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(m_db));
        return statement;
    }

    QStringList query(const QString &sql)
    {
        sqlite3_stmt *statement = prepare(sql);
        QStringList out;
        while (sqlite3_step(statement) == SQLITE_ROW)
            out << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
        return out;
    }

    sqlite3 *m_db = nullptr;
};

// Copies `source` into a fresh home; returns the rows copied.
qint64 copyOnce(import::TableSource &source)
{
    QTemporaryDir home;
    const auto summary = import::copyIntoCatalogue(source, QStringLiteral("bench"), home.path(), false);
    if (!summary)
        throw std::runtime_error("the copy stopped");
    return summary->rows;
}

void BM_ImportAccessFile(benchmark::State &state)
{
    qint64 rows = 0;
    for (auto _ : state) {
        import::MdbFile file(QStringLiteral(FRUIT_MDB));
        // The catalogue's tables, keys and names only and empty: the fruit file has none.
        const auto key = [](const char *name) { return import::SourceColumn{QString::fromLatin1(name)}; };
        BuiltTables catalogue;
        catalogue.add(QStringLiteral("tb_Class"), {key("ClassID"), key("classname")}, {});
        catalogue.add(QStringLiteral("tb_Colume"), {key("ColumeID"), key("ColumeName")}, {});
        catalogue.add(QStringLiteral("tb_Files"), {key("FileID"), key("ColumeID"), key("DisplayName")}, {});
        Joined source(file, catalogue);
        rows += copyOnce(source);
    }
    state.SetItemsProcessed(rows);
}
BENCHMARK(BM_ImportAccessFile)->Unit(benchmark::kMillisecond);

void BM_ImportMillionItems(benchmark::State &state)
{
    qint64 rows = 0;
    for (auto _ : state) {
        SqliteTables source(QDir(bench::homeFor(1'000'000)).filePath(QStringLiteral("Data/info.db")));
        rows += copyOnce(source);
    }
    state.SetItemsProcessed(rows);
}
BENCHMARK(BM_ImportMillionItems)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    return bench::runBenchmarks(argc, argv, "bench_import");
}
