#include "BenchCatalogue.h"

#include "catalogue/DemoCatalogue.h"

#include "store/DataModule.h"
#include "store/Schema.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>

namespace bench {

QString homeFor(int items)
{
    return QDir(QStringLiteral(FLASHBAR_BENCH_DATA)).filePath(QStringLiteral("items-%1").arg(items));
}

namespace {
std::map<int, std::unique_ptr<TDM_CDS>> modules;
}

TDM_CDS &moduleFor(int items)
{
    auto &m = modules[items];
    if (!m)
        m = std::make_unique<TDM_CDS>(catalogue::cataloguePath(homeFor(items)));
    return *m;
}

void closeModules()
{
    modules.clear();
}

void ensureCatalogues()
{
    const QByteArray stamp =
        QCryptographicHash::hash(store::schemaStatements().join(u'\n').toUtf8(), QCryptographicHash::Sha1).toHex();
    for (int items : kSizes) {
        QFile stampFile(QDir(homeFor(items)).filePath(QStringLiteral("schema.stamp")));
        if (stampFile.open(QIODevice::ReadOnly) && stampFile.readAll() == stamp &&
            QFile::exists(catalogue::cataloguePath(homeFor(items))))
            continue;
        stampFile.close();
        std::fprintf(stderr, "writing the %d-item bench catalogue...\n", items);
        catalogue::DemoOptions options;
        options.items = items;
        options.replace = true;
        catalogue::writeDemoCatalogue(homeFor(items), options);
        if (stampFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
            stampFile.write(stamp);
    }
}

int runBenchmarks(int argc, char **argv, const char *program)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    try {
        ensureCatalogues();
        benchmark::RunSpecifiedBenchmarks();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s: %s\n", program, e.what());
        closeModules();
        return 1;
    }
    closeModules();
    benchmark::Shutdown();
    return 0;
}

} // namespace bench
