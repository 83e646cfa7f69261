#pragma once

#include <QString>

class QWidget;

namespace platform {
class Prompter;
}

namespace app {

enum class HomeOffer {
    NotNeeded, // the home has its Data/ folder already
    Written,   // the user took the demo home and it was written
    Declined,  // the user chose to quit
    Failed,    // writing it failed; the user was told why
};

// The first start on a home without Data/: says where the catalogue is
// looked for and offers to write a demo home there (catalogue, skin, local
// copies) or to quit. A home that has Data/ is never touched.
HomeOffer offerDemoHome(const QString &home, const QString &site, platform::Prompter &prompter);

// Brings a top-level window to the front, restoring it when minimised.
void bringToFront(QWidget *window);

} // namespace app
