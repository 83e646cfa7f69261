#pragma once

#include "download/HandOff.h"

#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QTreeView;
class TDM_CDS;

namespace browse {
class ItemListModel;
}

namespace download {

// The download commands of an item list's context menu. Each acts on the
// focused item (or the page) of the list the menu was opened on. While
// items are handed off the pointer shows that the program is busy and
// input waits; the windows keep painting.
class DownloadMenu final : public QObject
{
    Q_OBJECT
public:
    // What the commands act on, read when a command runs.
    struct Target
    {
        TDM_CDS *dm = nullptr;
        QTreeView *list = nullptr;
        QString programDir;
    };

    DownloadMenu(platform::Prompter &prompter, HandOffSettings settings, std::function<Target()> target,
                 QObject *parent = nullptr);

    // The settings of later hand-offs (where managers are found, time-outs).
    HandOffSettings &settings() { return m_commands.settings(); }

    // Binds the six menu entries to their handlers.
    void bind(QAction *antDownload, QAction *flashgetDownload, QAction *allAnt, QAction *allFlashget, QAction *loadAnt,
              QAction *loadFlashget);

    void mni_antdownloadClick() { downloadItem(Manager::NetAnts); }
    void mni_flashgetdownloadClick() { downloadItem(Manager::FlashGet); }
    void mni_downall_antClick() { downloadPage(Manager::NetAnts); }
    void mni_downall_flashgetClick() { downloadPage(Manager::FlashGet); }
    void mni_LoadnetantClick() { launch(Manager::NetAnts); }
    void mni_loadFlashgetClick() { launch(Manager::FlashGet); }

private:
    void downloadItem(Manager manager);
    void downloadPage(Manager manager);
    void launch(Manager manager);
    Target currentTarget();
    static HandOffCommands::SetIcon iconSetter(browse::ItemListModel *model, const QList<browse::ItemRow> &rows,
                                               int firstRow);

    HandOffCommands m_commands;
    std::function<Target()> m_target;
};

} // namespace download
