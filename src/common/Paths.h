#pragma once

#include <QString>

// Where the program's own files are: the Flash player, the help pages and the
// artwork. An installed program finds them in <prefix>/share/flashbar beside
// its <prefix>/bin, wherever the prefix was moved; only a program run from
// the build tree uses the source tree's copies.
namespace common {

// <prefix>/share/flashbar of the running program, or empty when the program
// does not run from an installed prefix.
QString installedDataDir();

// The same for a program in `programDir` (testable without moving binaries).
QString installedDataDirFor(const QString &programDir);

// The folder of ruffle.js: FLASHBAR_RUFFLE_DIR, else the installed copy,
// else (build tree only) the source tree's npm package. Empty when none holds
// ruffle.js.
QString ruffleDir();

// The folder of the program's own help pages (index.html), or empty.
QString helpDir();

// The demo site's program: flashbar-site beside the running program, else
// (build tree only) the one built there. Empty when there is none.
QString siteProgram();

// flashbar-site's exit status when its home holds no catalogue it can serve.
inline constexpr int kSiteNoCatalogueExit = 3;

} // namespace common
