// The local search on demo catalogues: the name index the search window uses
// (count and the first screen of rows), the single LIKE statement it stands
// for, and an FTS5 trigram index as the other candidate; loading the index,
// its memory, and catching up with a change made by another connection.
#include "BenchCatalogue.h"

#include "catalogue/DemoCatalogue.h"

#include "search/LocalSearch.h"
#include "search/NameIndex.h"
#include "search/SearchResultModel.h"
#include "store/DataModule.h"
#include "store/DatabaseError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <sqlite3.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <memory>

namespace {

using bench::homeFor;
using bench::moduleFor;

constexpr int kMillion = 1'000'000;

struct Keyword
{
    const char *label;
    QString text;
};

// Keyword kinds: one common character, one rarer, two, four, ASCII (another
// case than the names), nothing found, empty.
const std::vector<Keyword> &keywords()
{
    static const std::vector<Keyword> list = {
        {"one common char", QStringLiteral("的")},
        {"one char", QStringLiteral("球")},
        {"two chars", QStringLiteral("快乐")},
        {"four chars", QStringLiteral("疯狂赛车")},
        {"ascii", QStringLiteral("mtv")},
        {"no match", QStringLiteral("鲸鱼飞船")},
        {"empty", QString()},
    };
    return list;
}

struct Narrow
{
    const char *label;
    QString className;
    QString columnName;
};

const std::vector<Narrow> &narrowings()
{
    static const std::vector<Narrow> list = {
        {"all", search::kAll, search::kAll},
        {"class", QStringLiteral("游戏世界"), search::kAll},
        {"class+column", QStringLiteral("游戏世界"), QStringLiteral("益智游戏")},
        {"column", search::kAll, QStringLiteral("益智游戏")},
    };
    return list;
}

search::NameIndex &indexFor(int items)
{
    static std::map<int, std::unique_ptr<search::NameIndex>> indexes;
    auto &index = indexes[items];
    if (!index) {
        index = std::make_unique<search::NameIndex>();
        index->load(catalogue::cataloguePath(homeFor(items)));
    }
    return *index;
}

void label(benchmark::State &state, const Keyword &k, const Narrow &n)
{
    state.SetLabel(std::string(k.label) + ", " + n.label);
}

// Args: items, keyword kind, narrowing — what the search window does on
// "本地搜索": bring the index up to date, search it, make the first screen of
// rows (FillItemList with the local-copy probe).
void BM_SearchIndex(benchmark::State &state)
{
    const int items = int(state.range(0));
    TDM_CDS &dm = moduleFor(items);
    search::NameIndex &index = indexFor(items);
    const Keyword &k = keywords().at(size_t(state.range(1)));
    const Narrow &n = narrowings().at(size_t(state.range(2)));
    const QString home = homeFor(items);
    int found = 0;
    int rows = 0;
    for (auto _ : state) {
        const search::LocalSearchResult result = search::LocalSearch(dm, index, k.text, n.className, n.columnName);
        const auto first = search::searchRows(dm, home, *result.fileIds, 0, search::SearchResultModel::kFirstScreen);
        found = result.count();
        rows = int(first.size());
        benchmark::DoNotOptimize(first.size());
    }
    state.counters["found"] = found;
    state.counters["rows"] = rows;
    label(state, k, n);
}

// Args: items, keyword kind — the two parts of the above alone: searching the
// index (up to date), and making the first screen of rows.
void BM_IndexFind(benchmark::State &state)
{
    const int items = int(state.range(0));
    search::NameIndex &index = indexFor(items);
    const Keyword &k = keywords().at(size_t(state.range(1)));
    size_t found = 0;
    for (auto _ : state)
        found = index.find(k.text, {}).size();
    state.counters["found"] = double(found);
    state.SetLabel(k.label);
}

void BM_FirstScreen(benchmark::State &state)
{
    const int items = int(state.range(0));
    TDM_CDS &dm = moduleFor(items);
    const std::vector<qint64> ids = indexFor(items).find(keywords().at(size_t(state.range(1))).text, {});
    for (auto _ : state)
        benchmark::DoNotOptimize(
            search::searchRows(dm, homeFor(items), ids, 0, search::SearchResultModel::kFirstScreen).size());
    state.SetLabel(keywords().at(size_t(state.range(1))).label);
}

// Args: items, keyword kind, narrowing — the same as one statement through
// the data set: count, then the first screen of rows.
void BM_SearchStatement(benchmark::State &state)
{
    TDM_CDS &dm = moduleFor(int(state.range(0)));
    const Keyword &k = keywords().at(size_t(state.range(1)));
    const Narrow &n = narrowings().at(size_t(state.range(2)));
    const QString sql = search::localSearchStatement(k.text, n.className, n.columnName);
    int found = 0;
    for (auto _ : state) {
        dm.aq_all.close();
        dm.aq_all.setSql(sql);
        dm.aq_all.open();
        found = dm.aq_all.recordCount();
        for (size_t i = 0; i < search::SearchResultModel::kFirstScreen && !dm.aq_all.eof(); ++i) {
            benchmark::DoNotOptimize(dm.aq_all.fieldByName(u"DisplayName").asString());
            dm.aq_all.next();
        }
        dm.aq_all.close();
    }
    state.counters["found"] = found;
    label(state, k, n);
}

// The other candidate: an FTS5 table with the trigram tokenizer over the
// names, in a file of its own beside the bench catalogue. A keyword of fewer
// than three characters cannot use it (SQLite 3.40 finds nothing through it),
// so those scan the names instead.
sqlite3 *ftsFor(int items)
{
    static std::map<int, sqlite3 *> handles;
    sqlite3 *&db = handles[items];
    if (db)
        return db;
    const QString path = catalogue::cataloguePath(homeFor(items));
    const QString ftsPath = QDir(homeFor(items)).filePath(QStringLiteral("fts5.db"));
    // Written again when the catalogue was (its schema stamp is newer).
    const QString stamp = QDir(homeFor(items)).filePath(QStringLiteral("schema.stamp"));
    const bool fresh = !QFile::exists(ftsPath) || QFileInfo(ftsPath).lastModified() < QFileInfo(stamp).lastModified();
    if (fresh)
        QFile::remove(ftsPath);
    sqlite3_open(path.toUtf8().constData(), &db);
    const auto run = [db](const QString &sql) {
        char *error = nullptr;
        if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
            const QString message = QString::fromUtf8(error);
            sqlite3_free(error);
            throw DatabaseError(message);
        }
    };
    run(QStringLiteral("ATTACH '%1' AS fts").arg(ftsPath));
    if (fresh) {
        std::fprintf(stderr, "writing the FTS5 trigram index of %d items...\n", items);
        run(QStringLiteral("CREATE VIRTUAL TABLE fts.names USING fts5(name, tokenize='trigram')"));
        run(QStringLiteral("INSERT INTO fts.names (rowid, name) SELECT FileID, DisplayName FROM tb_Files"
                           " WHERE Deleted = 0"));
    }
    return db;
}

// Args: items, keyword kind, narrowing — count and the first screen's item
// numbers through the FTS5 candidate.
void BM_SearchFts5(benchmark::State &state)
{
    const int items = int(state.range(0));
    sqlite3 *db = ftsFor(items);
    const Keyword &k = keywords().at(size_t(state.range(1)));
    const Narrow &n = narrowings().at(size_t(state.range(2)));
    const bool indexed = k.text.size() >= 3;
    QString from = indexed ? QStringLiteral("fts.names s JOIN tb_Files f ON f.FileID = s.rowid WHERE s.name LIKE ?1")
                           : QStringLiteral("tb_Files f WHERE f.Deleted = 0 AND f.DisplayName LIKE ?1 ESCAPE '\\'");
    if (n.className != search::kAll)
        from += QStringLiteral(" AND f.ClassID IN (SELECT ClassID FROM tb_Class WHERE classname = ?2)");
    if (n.columnName != search::kAll)
        from += QStringLiteral(" AND f.ColumeID IN (SELECT ColumeID FROM tb_Colume WHERE ColumeName = ?3)");
    const QByteArray countSql = (QStringLiteral("SELECT count(*) FROM ") + from).toUtf8();
    const QByteArray rowsSql = (QStringLiteral("SELECT f.FileID FROM ") + from + QStringLiteral(" LIMIT 40")).toUtf8();
    const QByteArray pattern = search::likePattern(k.text).toUtf8();
    const QByteArray cls = n.className.toUtf8();
    const QByteArray col = n.columnName.toUtf8();
    int found = 0;
    for (auto _ : state) {
        for (const QByteArray *sql : {&countSql, &rowsSql}) {
            sqlite3_stmt *s = nullptr;
            sqlite3_prepare_v2(db, sql->constData(), -1, &s, nullptr);
            sqlite3_bind_text(s, 1, pattern.constData(), -1, SQLITE_STATIC);
            sqlite3_bind_text(s, 2, cls.constData(), -1, SQLITE_STATIC);
            sqlite3_bind_text(s, 3, col.constData(), -1, SQLITE_STATIC);
            int rows = 0;
            while (sqlite3_step(s) == SQLITE_ROW) {
                if (sql == &countSql)
                    found = sqlite3_column_int(s, 0);
                ++rows;
            }
            sqlite3_finalize(s);
            benchmark::DoNotOptimize(rows);
        }
    }
    state.counters["found"] = found;
    label(state, k, n);
}

// Args: items — reading the whole index, as the program does in the
// background after start; its size in memory.
void BM_IndexLoad(benchmark::State &state)
{
    const int items = int(state.range(0));
    search::NameIndex index;
    for (auto _ : state)
        index.load(catalogue::cataloguePath(homeFor(items)));
    state.counters["items"] = double(index.size());
    state.counters["MB"] = double(index.memoryBytes()) / (1024.0 * 1024.0);
}

// Args: items — the same from a file none of which is in the system's
// cache, as at the first start after booting: each iteration first asks the
// system to forget the file's pages.
void BM_IndexLoadCold(benchmark::State &state)
{
    const int items = int(state.range(0));
    const QString path = catalogue::cataloguePath(homeFor(items));
    search::NameIndex index;
    for (auto _ : state) {
        state.PauseTiming();
        for (const QString &file : {path, path + QStringLiteral("-wal")}) {
            const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY);
            if (fd >= 0) {
                ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
                ::close(fd);
            }
        }
        state.ResumeTiming();
        index.load(path);
    }
    state.counters["items"] = double(index.size());
}

// Args: items, change — another connection renames an item (0: to a longer
// name, 1: to a shorter one), adds an item (2) or deletes one (3); then the
// search ("快乐", no narrowing) catches up and runs. Every change is undone
// outside the timing.
void BM_SearchAfterChange(benchmark::State &state)
{
    const int items = int(state.range(0));
    const int change = int(state.range(1));
    TDM_CDS &dm = moduleFor(items);
    search::NameIndex &index = indexFor(items);
    sqlite3 *other = nullptr;
    sqlite3_open(catalogue::cataloguePath(homeFor(items)).toUtf8().constData(), &other);
    sqlite3_busy_timeout(other, 5000);
    const qint64 id = 1001 + items / 2;
    const QByteArray changes[] = {
        QStringLiteral("UPDATE tb_Files SET DisplayName = DisplayName || '之快乐的加长版' WHERE FileID = %1")
            .arg(id)
            .toUtf8(),
        QStringLiteral("UPDATE tb_Files SET DisplayName = '快乐' WHERE FileID = %1").arg(id).toUtf8(),
        QStringLiteral("INSERT INTO tb_Files (FileID, ColumeID, DisplayName) VALUES (%1, 1, '快乐的新条目')")
            .arg(1001 + items + 10)
            .toUtf8(),
        QStringLiteral("UPDATE tb_Files SET Deleted = 1 WHERE FileID = %1").arg(id).toUtf8(),
    };
    // A copy of the item to put back afterwards.
    sqlite3_exec(other, "CREATE TEMP TABLE keep AS SELECT * FROM tb_Files WHERE 0", nullptr, nullptr, nullptr);
    sqlite3_exec(other, QStringLiteral("INSERT INTO keep SELECT * FROM tb_Files WHERE FileID = %1").arg(id).toUtf8(),
                 nullptr, nullptr, nullptr);
    const QByteArray undo = QStringLiteral("DELETE FROM tb_Files WHERE FileID IN (%1, %2);"
                                           " INSERT INTO tb_Files SELECT * FROM keep;")
                                .arg(id)
                                .arg(1001 + items + 10)
                                .toUtf8();
    int found = 0;
    for (auto _ : state) {
        state.PauseTiming();
        sqlite3_exec(other, changes[change].constData(), nullptr, nullptr, nullptr);
        state.ResumeTiming();
        found = search::LocalSearch(dm, index, QStringLiteral("快乐"), search::kAll, search::kAll).count();
        state.PauseTiming();
        sqlite3_exec(other, undo.constData(), nullptr, nullptr, nullptr);
        search::LocalSearch(dm, index, QStringLiteral("快乐"), search::kAll, search::kAll);
        state.ResumeTiming();
    }
    sqlite3_close(other);
    state.counters["found"] = found;
}

void keywordArgs(benchmark::internal::Benchmark *b, std::initializer_list<int> sizes)
{
    for (int items : sizes) {
        for (int k = 0; k < int(keywords().size()); ++k) {
            for (int n = 0; n < int(narrowings().size()); ++n)
                b->Args({items, k, n});
        }
    }
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_SearchIndex)->Apply([](auto *b) { keywordArgs(b, {10'000, kMillion}); });
BENCHMARK(BM_IndexFind)->ArgsProduct({{kMillion}, {0, 1, 2, 3, 4, 5, 6}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstScreen)->ArgsProduct({{kMillion}, {0, 6}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchStatement)->Apply([](auto *b) {
    for (int k = 0; k < int(keywords().size()); ++k) {
        for (int n : {0, 2})
            b->Args({kMillion, k, n});
    }
    b->Unit(benchmark::kMillisecond);
});
BENCHMARK(BM_SearchFts5)->Apply([](auto *b) {
    for (int k = 0; k < int(keywords().size()); ++k) {
        for (int n : {0, 2})
            b->Args({kMillion, k, n});
    }
    b->Unit(benchmark::kMillisecond);
});
BENCHMARK(BM_IndexLoad)->Arg(kMillion)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_IndexLoadCold)->Arg(kMillion)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SearchAfterChange)->ArgsProduct({{kMillion}, {0, 1, 2, 3}})->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return bench::runBenchmarks(argc, argv, "bench_search");
}
