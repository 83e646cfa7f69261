#pragma once

#include <QString>

#include <array>

class TDM_CDS;

namespace bench {

// Sizes of the demo catalogues the benchmarks run on.
inline constexpr std::array<int, 3> kSizes = {10'000, 100'000, 1'000'000};

// The demo home of the catalogue of `items` items.
QString homeFor(int items);

// One open data module per catalogue, kept across benchmarks as the program
// keeps its connection.
TDM_CDS &moduleFor(int items);
// Closes them; before the application object goes.
void closeModules();

// Writes the bench catalogues that are missing or were made with another
// schema; they are kept between runs.
void ensureCatalogues();

// The benchmark programs' main(): writes the catalogues, runs the
// benchmarks, closes the data modules.
int runBenchmarks(int argc, char **argv, const char *program);

} // namespace bench
