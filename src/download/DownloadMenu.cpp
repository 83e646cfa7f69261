#include "download/DownloadMenu.h"

#include "browse/ItemListModel.h"

#include <QAction>
#include <QGuiApplication>
#include <QTreeView>

namespace download {

namespace {

browse::ItemListModel *modelOf(QTreeView *list)
{
    return list ? qobject_cast<browse::ItemListModel *>(list->model()) : nullptr;
}

} // namespace

DownloadMenu::DownloadMenu(platform::Prompter &prompter, HandOffSettings settings, std::function<Target()> target,
                           QObject *parent)
    : QObject(parent), m_commands(prompter, std::move(settings)), m_target(std::move(target))
{
    m_commands.busy = [](bool on) {
        if (on)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QGuiApplication::restoreOverrideCursor();
    };
}

void DownloadMenu::bind(QAction *antDownload, QAction *flashgetDownload, QAction *allAnt, QAction *allFlashget,
                        QAction *loadAnt, QAction *loadFlashget)
{
    connect(antDownload, &QAction::triggered, this, &DownloadMenu::mni_antdownloadClick);
    connect(flashgetDownload, &QAction::triggered, this, &DownloadMenu::mni_flashgetdownloadClick);
    connect(allAnt, &QAction::triggered, this, &DownloadMenu::mni_downall_antClick);
    connect(allFlashget, &QAction::triggered, this, &DownloadMenu::mni_downall_flashgetClick);
    connect(loadAnt, &QAction::triggered, this, &DownloadMenu::mni_LoadnetantClick);
    connect(loadFlashget, &QAction::triggered, this, &DownloadMenu::mni_loadFlashgetClick);
}

HandOffCommands::SetIcon DownloadMenu::iconSetter(browse::ItemListModel *model, const QList<browse::ItemRow> &rows,
                                                  int firstRow)
{
    // The list may be reloaded while a manager is asked; only rows that
    // still show the same item change.
    return [model, rows, firstRow](qsizetype index, int icon) {
        const int at = firstRow + int(index);
        if (at >= model->rowCount() || model->row(at).fileId != rows.at(index).fileId)
            return;
        browse::ItemRow row = model->row(at);
        row.imageIndex = icon;
        model->updateRow(at, row);
    };
}

void DownloadMenu::downloadItem(Manager manager)
{
    const Target target = currentTarget();
    browse::ItemListModel *model = modelOf(target.list);
    if (!target.dm || !model || !target.list->currentIndex().isValid())
        return;
    const int index = target.list->currentIndex().row();
    const browse::ItemRow row = model->row(index);
    m_commands.handOffItem(*target.dm, manager, target.programDir, row, iconSetter(model, {row}, index));
}

void DownloadMenu::downloadPage(Manager manager)
{
    const Target target = currentTarget();
    browse::ItemListModel *model = modelOf(target.list);
    if (!target.dm || !model)
        return;
    const QList<browse::ItemRow> rows = model->rows();
    m_commands.handOffPage(*target.dm, manager, target.programDir, rows, iconSetter(model, rows, 0));
}

DownloadMenu::Target DownloadMenu::currentTarget()
{
    Target target = m_target();
    // A manager of the user's own choice may be in the program's home.
    settings().programs.homeDir = target.programDir;
    return target;
}

void DownloadMenu::launch(Manager manager)
{
    currentTarget();
    m_commands.launch(manager);
}

} // namespace download
