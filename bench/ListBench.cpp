// Item-list statements on demo catalogues of 10k, 100k and
// 1M items: counting, skipping to a page, reading it, and the column menu.
#include "BenchCatalogue.h"

#include "browse/ListLoader.h"
#include "browse/ListQuery.h"
#include "browse/OpenItem.h"
#include "store/DataModule.h"
#include "store/DatabaseError.h"
#include "store/Schema.h"
#include "subscribe/Subscriptions.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>

namespace {

using bench::homeFor;
using bench::kSizes;
using bench::moduleFor;

constexpr int kClass = 3; // the largest class of the demo catalogue

// What ListItems does with the database for one page: count, skip, read up to
// ten rows, then the column menu.
void loadPage(TDM_CDS &dm, const browse::ListStatement &s, int page, benchmark::State &state)
{
    dm.aq_all.close();
    dm.aq_all.setSql(s.rows);
    dm.aq_all.open();
    const int n = dm.aq_all.recordCount();
    const int pages = n / 10 + (n % 10 > 0 ? 1 : 0);
    const int current = page < 0 ? pages : (page == 0 ? std::max(1, pages / 2) : page);
    const int offset = std::max(0, (current - 1) * 10);
    if (offset > 0)
        dm.aq_all.moveBy(offset);
    int rows = 0;
    for (; rows < 10 && !dm.aq_all.eof(); ++rows) {
        benchmark::DoNotOptimize(dm.aq_all.fieldByName(u"DisplayName").asString());
        dm.aq_all.next();
    }
    dm.aq_all.close();
    dm.aq_all2.close();
    dm.aq_all2.setSql(s.columnMenu);
    dm.aq_all2.open();
    int columns = 0;
    for (; !dm.aq_all2.eof(); dm.aq_all2.next())
        ++columns;
    dm.aq_all2.close();
    state.counters["items"] = n;
    state.counters["rows"] = rows;
    state.counters["columns"] = columns;
}

// Args: items, page (1 first, 0 middle, -1 last)
void BM_ClassPage(benchmark::State &state)
{
    TDM_CDS &dm = moduleFor(int(state.range(0)));
    const auto s = browse::buildListStatement(QStringLiteral("游戏世界"), kClass, 0, QString());
    for (auto _ : state)
        loadPage(dm, s, int(state.range(1)), state);
}

// Args: items, view 0..5 — an ordinary class, page 1.
void BM_ClassView(benchmark::State &state)
{
    TDM_CDS &dm = moduleFor(int(state.range(0)));
    const auto s = browse::buildListStatement(QStringLiteral("游戏世界"), kClass, int(state.range(1)), QString());
    for (auto _ : state)
        loadPage(dm, s, -1, state);
}

// Args: items, view — an ordinary class narrowed to one column, last page.
void BM_ClassColumnView(benchmark::State &state)
{
    TDM_CDS &dm = moduleFor(int(state.range(0)));
    const auto s =
        browse::buildListStatement(QStringLiteral("游戏世界"), kClass, int(state.range(1)), QStringLiteral("益智游戏"));
    for (auto _ : state)
        loadPage(dm, s, -1, state);
}

// Args: items, view — the recent list ("最新"), last page.
void BM_RecentView(benchmark::State &state)
{
    TDM_CDS &dm = moduleFor(int(state.range(0)));
    const auto s =
        browse::buildListStatement(QStringLiteral("最新"), browse::RecentListClass, int(state.range(1)), QString());
    for (auto _ : state)
        loadPage(dm, s, -1, state);
}

// Args: items, view — the ranking ("最新排行"), last page.
void BM_RankingView(benchmark::State &state)
{
    TDM_CDS &dm = moduleFor(int(state.range(0)));
    const auto s = browse::buildListStatement(QStringLiteral("最新排行"), browse::RankingListClass, int(state.range(1)),
                                              QString());
    for (auto _ : state)
        loadPage(dm, s, -1, state);
}

// Args: items, view, page command — ListItems end to end as the window calls
// it: statements, count, skip, rows with the local-copy probe, column menu.
void BM_ListItems(benchmark::State &state)
{
    const int items = int(state.range(0));
    TDM_CDS &dm = moduleFor(items);
    const QString home = homeFor(items);
    for (auto _ : state) {
        browse::ListState list;
        list.CurrentClass = kClass;
        list.CurrentView = int(state.range(1));
        list.CurrentPage = 1;
        const browse::ListPage page =
            browse::ListItems(dm, list, home, QStringLiteral("游戏世界"), kClass, int(state.range(2)));
        benchmark::DoNotOptimize(page.rows.size());
        state.counters["page"] = page.paging.page;
    }
}

void sizes(benchmark::internal::Benchmark *b, std::initializer_list<int> second)
{
    for (int items : kSizes) {
        for (int v : second)
            b->Args({items, v});
    }
    b->Unit(benchmark::kMillisecond);
}

// The columns of the largest class with every check flipped, as "保存" gets
// them after "全选" or "全撤".
QList<subscribe::ColumnRow> flippedColumns(TDM_CDS &dm, bool subscribed)
{
    QList<subscribe::ColumnRow> rows = subscribe::LoadSubscribeColumns(dm, kClass);
    for (subscribe::ColumnRow &row : rows)
        row.subscribed = subscribed;
    return rows;
}

// Args: items — "保存" that flips every column of the largest class; each
// iteration flips them the other way. The stored flags are put back after.
void BM_SaveSubscriptions(benchmark::State &state)
{
    TDM_CDS &dm = moduleFor(int(state.range(0)));
    const QList<subscribe::ColumnRow> stored = subscribe::LoadSubscribeColumns(dm, kClass);
    bool subscribed = false;
    for (auto _ : state) {
        state.PauseTiming();
        const QList<subscribe::ColumnRow> rows = flippedColumns(dm, subscribed);
        state.ResumeTiming();
        subscribe::saveSubscriptions(dm, rows);
        subscribed = !subscribed;
        state.counters["columns"] = double(rows.size());
    }
    subscribe::saveSubscriptions(dm, stored);
}

// Args: items, view, page command — ListItems of the largest class after its
// columns were all unsubscribed: the lists are empty and stay quick.
void BM_ListItemsUnsubscribed(benchmark::State &state)
{
    const int items = int(state.range(0));
    TDM_CDS &dm = moduleFor(items);
    const QList<subscribe::ColumnRow> stored = subscribe::LoadSubscribeColumns(dm, kClass);
    subscribe::saveSubscriptions(dm, flippedColumns(dm, false));
    for (auto _ : state) {
        browse::ListState list;
        list.CurrentClass = kClass;
        list.CurrentView = int(state.range(1));
        const browse::ListPage page =
            browse::ListItems(dm, list, homeFor(items), QStringLiteral("游戏世界"), kClass, int(state.range(2)));
        state.counters["rows"] = double(page.rows.size());
    }
    subscribe::saveSubscriptions(dm, stored);
}

// Args: items, list, view, page command — ListItems of every list the main
// window offers (the nine classes in the subscription panel's order, "最新",
// "最新排行") under the demo catalogue's subscriptions, which leave a column
// out in several classes.
void BM_ListItemsEveryList(benchmark::State &state)
{
    const int items = int(state.range(0));
    TDM_CDS &dm = moduleFor(items);
    const QList<subscribe::SubscribeClass> &classes = subscribe::subscribeClasses();
    const auto list = qsizetype(state.range(1));
    const int classNumber = list < classes.size()    ? classes.at(list).classId
                            : list == classes.size() ? browse::RecentListClass
                                                     : browse::RankingListClass;
    const QString title = list < classes.size()    ? classes.at(list).caption
                          : list == classes.size() ? QStringLiteral("最新")
                                                   : QStringLiteral("最新排行");
    const QString home = homeFor(items);
    int count = 0;
    for (auto _ : state) {
        browse::ListState listState;
        listState.CurrentClass = classNumber;
        listState.CurrentView = int(state.range(2));
        const browse::ListPage page = browse::ListItems(dm, listState, home, title, classNumber, int(state.range(3)));
        count = page.paging.pages;
        benchmark::DoNotOptimize(page.rows.size());
    }
    state.counters["pages"] = count;
    state.SetLabel(title.toStdString());
}

// Args: items — marking an item viewed as opening it does: find the row,
// write the mark, commit; the columns' counts follow in the same write.
// Each mark is taken back, untimed.
void BM_MarkViewed(benchmark::State &state)
{
    TDM_CDS &dm = moduleFor(int(state.range(0)));
    QList<int> unviewed;
    store::eachRow(
        dm.aq_all2,
        QStringLiteral("select FileID from tb_Files where HasViewed = 0 and Deleted = 0 and FileID % 97 = 0"),
        [&unviewed](store::DataSet &q) { unviewed << q.fieldByName(u"FileID").asInteger(); });
    qsizetype next = 0;
    for (auto _ : state) {
        const int fileId = unviewed.at(next++ % unviewed.size());
        benchmark::DoNotOptimize(browse::markViewed(dm, fileId));
        state.PauseTiming();
        dm.aq_all2.setSql(QStringLiteral("update tb_Files set HasViewed = false where FileID = %1").arg(fileId));
        dm.aq_all2.execSql();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_ClassPage)->Apply([](auto *b) { sizes(b, {1, 0, -1}); });
BENCHMARK(BM_ClassView)->Apply([](auto *b) { sizes(b, {0, 1, 2, 3, 4, 5}); });
BENCHMARK(BM_ClassColumnView)->Apply([](auto *b) { sizes(b, {0, 1, 3}); });
BENCHMARK(BM_RecentView)->Apply([](auto *b) { sizes(b, {0, 1, 2, 3, 4, 5}); });
BENCHMARK(BM_RankingView)->Apply([](auto *b) { sizes(b, {0, 1, 2, 3, 4, 5}); });
BENCHMARK(BM_ListItems)->Apply([](auto *b) {
    for (int items : kSizes) {
        for (int view : {0, 1, 3, 5})
            for (int command : {browse::FirstPage, browse::LastPage})
                b->Args({items, view, command});
    }
    b->Unit(benchmark::kMillisecond);
});

BENCHMARK(BM_MarkViewed)->Apply([](auto *b) {
    for (int items : kSizes)
        b->Arg(items);
    b->Unit(benchmark::kMillisecond);
});
BENCHMARK(BM_SaveSubscriptions)->Apply([](auto *b) {
    for (int items : kSizes)
        b->Arg(items);
    b->Unit(benchmark::kMillisecond);
});
BENCHMARK(BM_ListItemsEveryList)->Apply([](auto *b) {
    for (int list = 0; list < int(subscribe::subscribeClasses().size()) + 2; ++list) {
        for (int view = 0; view < 6; ++view)
            for (int command : {browse::FirstPage, browse::LastPage})
                b->Args({1'000'000, list, view, command});
    }
    b->Unit(benchmark::kMillisecond);
});
BENCHMARK(BM_ListItemsUnsubscribed)->Apply([](auto *b) {
    for (int items : kSizes) {
        for (int view : {0, 1, 3})
            for (int command : {browse::FirstPage, browse::LastPage})
                b->Args({items, view, command});
    }
    b->Unit(benchmark::kMillisecond);
});

} // namespace

int main(int argc, char **argv)
{
    return bench::runBenchmarks(argc, argv, "bench_list");
}
