// The companion's write path on the million-item catalogue: 10,000 new items
// in pages of 500, each page one transaction, the columns' counts and the
// search index's change log kept by the catalogue's triggers. It works on a
// copy of the bench catalogue and takes the items out again between runs.
#include "BenchCatalogue.h"

#include "catalogue/DemoCatalogue.h"
#include "store/Connection.h"
#include "update/FeedWriter.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kMillion = 1'000'000;
constexpr int kNewItems = 10'000;
constexpr int kPageItems = 500;
constexpr int kFirstColumn = 900'000;

QString scratchPath()
{
    return QDir(bench::homeFor(kMillion)).filePath(QStringLiteral("update-scratch.db"));
}

store::Connection &scratch()
{
    static std::unique_ptr<store::Connection> connection = [] {
        for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::remove(scratchPath() + suffix);
        QFile::copy(catalogue::cataloguePath(bench::homeFor(kMillion)), scratchPath());
        auto c = std::make_unique<store::Connection>(scratchPath());
        update::useWriterCache(*c);
        return c;
    }();
    return *connection;
}

int scalar(store::Connection &c, const QString &sql)
{
    QSqlQuery q(c.database());
    return q.exec(sql) && q.next() ? q.value(0).toInt() : 0;
}

// The pages of a feed that brings 10,000 items after the newest one, one in
// ten in five new columns, the others in the catalogue's own.
QList<update::FeedPage> newItemPages(store::Connection &c)
{
    const int firstId = scalar(c, QStringLiteral("SELECT max(FileID) FROM tb_Files")) + 1;
    QList<int> columns;
    QSqlQuery q(c.database());
    q.exec(QStringLiteral("SELECT ColumeID FROM tb_Colume ORDER BY ColumeID"));
    while (q.next())
        columns << q.value(0).toInt();
    QList<update::FeedPage> pages;
    for (int i = 0; i < kNewItems; ++i) {
        if (i % kPageItems == 0) {
            pages.append(update::FeedPage{});
            pages.last().classes = {{1, QStringLiteral("MTV")}};
            for (int n = 0; n < 5; ++n)
                pages.last().columns.append({kFirstColumn + n, 1, QStringLiteral("新栏目%1").arg(n), QString()});
        }
        const int column = i % 10 == 0 ? kFirstColumn + i / 10 % 5 : columns.at(i % columns.size());
        pages.last().items.append({firstId + i, column, QStringLiteral("新动画 %1").arg(i),
                                   QStringLiteral("new_%1.swf").arg(firstId + i), QString(),
                                   QStringLiteral("画面精美。"), QStringLiteral("小飞侠"),
                                   QStringLiteral("2030-01-01 00:00:00"), 0});
    }
    return pages;
}

void BM_AddNewItems(benchmark::State &state)
{
    store::Connection &c = scratch();
    const QList<update::FeedPage> pages = newItemPages(c);
    const int before = scalar(c, QStringLiteral("SELECT count(*) FROM tb_Files"));
    for (auto _ : state) {
        int added = 0;
        for (const update::FeedPage &page : pages)
            added += update::writeFeedPage(c, page);
        state.PauseTiming();
        if (added != kNewItems ||
            scalar(c, QStringLiteral("SELECT sum(Items) FROM tb_ColumeCounts")) -
                    scalar(c, QStringLiteral("SELECT count(*) FROM tb_Files WHERE Deleted = 0")) !=
                0) {
            state.SkipWithError("the items or their counts are wrong");
            break;
        }
        c.inTransaction([&] {
            c.exec(QStringLiteral("DELETE FROM tb_Files WHERE FileID > %1").arg(pages.first().items.first().id - 1));
            c.exec(QStringLiteral("DELETE FROM tb_Colume WHERE ColumeID >= %1").arg(kFirstColumn));
        });
        state.ResumeTiming();
    }
    state.counters["items"] = kNewItems;
    state.counters["catalogue"] = before;
}

} // namespace

BENCHMARK(BM_AddNewItems)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

int main(int argc, char **argv)
{
    return bench::runBenchmarks(argc, argv, "bench_update");
}
