#pragma once

#include "browse/ItemRow.h"
#include "handoff/Managers.h"
#include "platform/Automation.h"
#include "platform/Conversation.h"

#include <QList>
#include <QString>

#include <functional>

class TDM_CDS;

namespace platform {
class Prompter;
}

namespace download {

using handoff::Manager;

// Outcome of one hand-off.
enum HandOffResult {
    Accepted = 0,       // the manager took the item; it is marked downloaded
    NoConversation = 1, // no manager answered, not even after starting one
    RequestFailed = 2,  // the manager gave no answer, or the item cannot be saved locally
};

struct HandOffSettings
{
    platform::ManagerPrograms programs;
    int requestTimeoutMs = platform::dde::kRequestTimeoutMs;
    // How long a manager that was just started gets to open its service.
    int startWaitMs = 5000;
};

// The save target: the local copy's full path for NetAnts, its folder for
// FlashGet; nothing when the names make no plain local path.
std::optional<QString> saveTarget(Manager manager, const QString &programDir, const QString &columnName,
                                  const QString &fileName);

// Hands one item to a manager and, when it accepts, marks the item
// downloaded (an item missing from the catalogue still counts as accepted).
// When no manager answers, one is started and asked once more.
HandOffResult SendToDownloadManager(TDM_CDS &dm, Manager manager, const QString &programDir, const QString &columnName,
                                    const QString &fileName, const QString &address, const QString &fileIdText,
                                    const HandOffSettings &settings);

// Connects to the manager's running instance or starts it, and asks it to
// show itself. Throws platform::AutomationError.
void LaunchDownloadManager(platform::AutomationPort &automation, Manager manager);

// The messages of a hand-off.
QString acceptedText(Manager manager);
QString noConversationText(Manager manager);
QString requestFailedText();

// The menu commands' work, without a window: they ask and tell through the
// prompter and answer the rows' new state icons.
class HandOffCommands final
{
public:
    HandOffCommands(platform::Prompter &prompter, HandOffSettings settings);

    HandOffSettings &settings() { return m_settings; }
    // Called with true before a manager is asked and with false after, so
    // that a window can show that the program is busy (not while a message
    // is shown).
    std::function<void(bool)> busy = [](bool) {};

    // Gives row `index` the state icon `icon`.
    using SetIcon = std::function<void(qsizetype index, int icon)>;

    // One item (row 0 for `setIcon`).
    void handOffItem(TDM_CDS &dm, Manager manager, const QString &programDir, const browse::ItemRow &row,
                     const SetIcon &setIcon);
    // The page: every row without a local copy, in order; stops at the
    // first manager that cannot be reached.
    void handOffPage(TDM_CDS &dm, Manager manager, const QString &programDir, const QList<browse::ItemRow> &rows,
                     const SetIcon &setIcon);
    // Starts the manager (errors are thrown to the caller).
    void launch(Manager manager);

private:
    HandOffResult send(TDM_CDS &dm, Manager manager, const QString &programDir, const browse::ItemRow &row);
    void offerLaunch(Manager manager);

    platform::Prompter &m_prompter;
    HandOffSettings m_settings;
    platform::AutomationPort m_automation;
};

} // namespace download
