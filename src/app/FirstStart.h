#pragma once

#include "import/ImportProcess.h"

#include <QString>

class QWidget;

namespace platform {
class Prompter;
}

namespace app {

enum class HomeOffer {
    NotNeeded, // the home has its Data/ folder already
    Written,   // the user took the demo home (or the import) and it was written
    Declined,  // the user chose to quit, or cancelled the import
    Failed,    // writing it failed; the user was told why
};

// The first start on a home without Data/: says where the catalogue is
// looked for and offers to write a demo home there (catalogue, skin, local
// copies) or to quit. A home that has Data/ is never touched.
HomeOffer offerDemoHome(const QString &home, const QString &site, platform::Prompter &prompter);

// The first start on a home whose Data/ holds the old program's info.mdb but
// no info.db: offers to import it, in `worker`, under a progress dialog whose
// "取消" stops it and leaves no info.db. NotNeeded when there is nothing to
// import.
HomeOffer offerImport(const QString &home, const import::WorkerCommand &worker, platform::Prompter &prompter);

// Brings a top-level window to the front, restoring it when minimised.
void bringToFront(QWidget *window);

} // namespace app
