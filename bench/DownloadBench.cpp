// Handing a page of ten items to a running download manager: flashbar-dm is
// started once, then the page command runs on a demo catalogue, each item
// a conversation and a mark in the catalogue.
#include "catalogue/DemoCatalogue.h"

#include "browse/ListLoader.h"
#include "browse/Paging.h"
#include "download/HandOff.h"
#include "platform/Conversation.h"
#include "platform/Prompter.h"
#include "store/DataModule.h"

#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

class SilentPrompter final : public platform::Prompter
{
public:
    Answer ask(const QString &, const QString &, Icon, Buttons) override { return Answer::No; }
};

void BM_PageHandOff(benchmark::State &state)
{
    QTemporaryDir home;
    qputenv("FLASHBAR_DDE_DIR", (home.path() + QStringLiteral("/dde")).toUtf8());
    catalogue::DemoOptions options;
    options.items = 200;
    options.site = QStringLiteral("http://127.0.0.1:9/"); // nobody there: aria2 gives up at once
    catalogue::writeDemoCatalogue(home.path(), options);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess manager;
    manager.setProcessEnvironment(environment);
    manager.start(QStringLiteral(FLASHBAR_DM));
    if (!platform::dde::waitForService(QStringLiteral("FlashGet"), 10000)) {
        state.SkipWithError("the manager did not start");
        return;
    }

    TDM_CDS dm(home.filePath(QStringLiteral("Data/info.db")));
    browse::ListState list;
    QList<browse::ItemRow> rows =
        browse::ListItems(dm, list, home.path(), QStringLiteral("MTV 精选"), 1, browse::FirstPage).rows;
    for (browse::ItemRow &row : rows)
        row.imageIndex = 0; // every row goes
    SilentPrompter prompter;
    download::HandOffCommands commands(prompter, {});
    int accepted = 0;
    for (auto _ : state) {
        commands.handOffPage(dm, download::Manager::FlashGet, home.path(), rows, [&](qsizetype, int) { ++accepted; });
    }
    if (accepted != int(rows.size() * state.iterations()))
        state.SkipWithError("an item was not accepted");
    state.counters["items"] = double(rows.size());
    manager.terminate();
    manager.waitForFinished(5000);
}

BENCHMARK(BM_PageHandOff)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
