#pragma once

#include "app/CommandLine.h"
#include "app/LocalSite.h"
#include "common/Settings.h"
#include "import/ImportProcess.h"

#include <QString>

#include <optional>

namespace platform {
class Prompter;
}

namespace app {

class HomeInstance;

// The site's address: the command line's, else the settings file's (kept
// there the first time an interactive run uses the default), else the
// default; a bad one in the file is told. Says too whether our own site
// belongs there.
common::SiteSetting siteAddress(const Options &options, bool interactive, platform::Prompter &prompter);

// What a start does with its home before the window opens: claims it (a
// second program brings the first forward and leaves), reads the site's
// address into `site`, imports an old Access catalogue and offers a demo one.
// A screenshot run claims nothing and imports nothing. Returns the code the
// program quits with, or nothing when it goes on.
std::optional<int> prepareHome(HomeInstance &instance, const Options &options, const QString &home,
                               const import::WorkerCommand &worker, platform::Prompter &prompter,
                               common::SiteSetting *site);

// Starts the local site `program` when our own site belongs at the address
// (`ownSite`), the address is a local one and nothing serves it; any other
// address is used as it is. A failure is told and the program goes on,
// online logins failing; a home without a catalogue is left to the
// catalogue's own message.
LocalSite::State startLocalSite(LocalSite &site, const QString &address, bool ownSite, const QString &home,
                                const QString &program, platform::Prompter &prompter);

} // namespace app
