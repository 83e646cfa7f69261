// The item list panel's commands: loading a page, paging, the view and
// column, the context menu, and opening, saving and deleting an item.
#include "browse/ItemListModel.h"
#include "browse/ItemListPanel.h"
#include "browse/ListQuery.h"
#include "browse/OpenItem.h"
#include "common/Text.h"
#include "platform/Prompter.h"
#include "store/DataModule.h"
#include "store/DatabaseError.h"
#include "ui/skin/FittedText.h"
#include "ui/skin/ListPointer.h"

#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QTreeView>

namespace browse {
namespace {

// The caption label and the column entries keep at most this many characters.
constexpr int kLongestCaption = 40;

// A menu caption shows '&' as itself, not as an accelerator, and is not too long.
QString menuText(const QString &caption)
{
    return ShownText(caption, kLongestCaption).replace(u'&', QStringLiteral("&&"));
}

} // namespace

void ItemListPanel::ListItems(const QString &title, int classNumber, int pageCommand)
{
    if (!m_dm)
        throw DatabaseError(QStringLiteral("没有数据模块"));
    const ListPage page = browse::ListItems(*m_dm, state, m_programDir, title, classNumber, pageCommand);
    applyListPage(page);
    emit listed();
}

void ItemListPanel::applyListPage(const ListPage &page)
{
    // After a change of class the list shows all items; the mark says so.
    if (page.classChanged)
        smn_all->setChecked(true);
    lab_Files->setText(ShownText(page.caption, kLongestCaption));
    lab_Files->adjustSize();
    lab_Files->move((width() - lab_Files->width()) / 2, lab_Files->y());
    rebuildColumnMenu(page.columnMenu, page.columnMenuEnabled);
    filesModel->setFirstHeader(QStringLiteral("条目名称"));
    filesModel->setRows(page.rows);
    sb_firstpage->setEnabled(page.paging.firstEnabled);
    sb_priorpage->setEnabled(page.paging.priorEnabled);
    sb_nextpage->setEnabled(page.paging.nextEnabled);
    sb_lastpage->setEnabled(page.paging.lastEnabled);
    skin::setFittedText(lab_pagenum, page.paging.label);
}

void ItemListPanel::rebuildColumnMenu(const QStringList &entries, bool enabled)
{
    mni_Colume->clear();
    for (const QString &name : entries) {
        QAction *a = mni_Colume->addAction(menuText(name));
        a->setData(name);
        connect(a, &QAction::triggered, this, [this, name] { SelectColumnFilter(name); });
    }
    mni_Colume->setEnabled(enabled);
}

void ItemListPanel::SelectColumnFilter(const QString &caption)
{
    const QString shown = state.ColumnFilter;
    state.ColumnFilter = caption == kAllColumns ? QString() : caption;
    try {
        ListItems(state.CurrentTitle, state.CurrentClass, FirstPage);
    } catch (...) {
        // The list still shows the column it showed.
        state.ColumnFilter = shown;
        throw;
    }
}

void ItemListPanel::selectView(int view)
{
    const int shown = state.CurrentView;
    state.CurrentView = view;
    if (QAction *a = viewAction(view))
        a->setChecked(true);
    try {
        ListItems(state.CurrentTitle, state.CurrentClass, FirstPage);
    } catch (...) {
        // The list still shows the view it showed, and the mark stays with it.
        state.CurrentView = shown;
        if (QAction *a = viewAction(shown))
            a->setChecked(true);
        throw;
    }
}

void ItemListPanel::sb_firstpageClick()
{
    ListItems(state.CurrentTitle, state.CurrentClass, FirstPage);
}

void ItemListPanel::sb_priorpageClick()
{
    ListItems(state.CurrentTitle, state.CurrentClass, PriorPage);
}

void ItemListPanel::sb_nextpageClick()
{
    ListItems(state.CurrentTitle, state.CurrentClass, NextPage);
}

void ItemListPanel::sb_lastpageClick()
{
    ListItems(state.CurrentTitle, state.CurrentClass, LastPage);
}

void ItemListPanel::lv_FilesContextPopup(const QPoint &position)
{
    const QModelIndex index = lv_Files->indexAt(position);
    const bool onItem = index.isValid();
    if (onItem)
        lv_Files->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    for (QAction *a : {mni_onlineview, mni_antdownload, mni_deleteFile, mni_Loadnetant, mni_flashgetdownload,
                       mni_loadFlashget, mni_saveas, mni_downall_ant, mni_downall_flashget})
        a->setEnabled(onItem);
    PopupListView = lv_Files;
    pm_Files->popup(menuPoint(lv_Files, position));
}

QPoint ItemListPanel::menuPoint(const QAbstractItemView *list, const QPoint &position) const
{
    // With the list in its place the menu opens at the pointer.
    const QPoint inList = list->viewport()->mapTo(list, position);
    return window()->mapToGlobal(inList + QPoint(x() + 10, y() + 72));
}

void ItemListPanel::OpenFocusedItem(QTreeView *list)
{
    if (!list || !m_dm)
        return;
    const QModelIndex focused = m_pointer.focusedUnderPointer(list);
    auto *model = qobject_cast<ItemListModel *>(list->model());
    if (!focused.isValid() || !model)
        return;
    ItemRow row = model->row(focused.row());
    emit openItemPage(itemAddress(row, m_programDir, m_site), row.caption, row.fileId.toInt());
    if (markViewed(*m_dm, row.fileId.toInt())) {
        row.viewed = QStringLiteral("true");
        model->updateRow(focused.row(), row);
    }
    list->viewport()->update();
}

void ItemListPanel::lv_FilesDblClick()
{
    OpenFocusedItem(lv_Files);
}

void ItemListPanel::mni_onlineviewClick()
{
    OpenFocusedItem(PopupListView);
}

int ItemListPanel::popupRow() const
{
    if (!PopupListView || !PopupListView->currentIndex().isValid())
        return -1;
    return PopupListView->currentIndex().row();
}

void ItemListPanel::mni_saveasClick()
{
    const int row = popupRow();
    if (row < 0 || !m_dm)
        return;
    const SaveResult result = SaveLocalCopyAs(*m_dm, m_programDir, filesModel->row(row).fileId, saveFileChooser);
    const QString text = saveResultText(result);
    if (!text.isEmpty())
        m_prompter.inform(QStringLiteral("提示"), text,
                          saveResultIsError(result) ? platform::Prompter::Icon::Error
                                                    : platform::Prompter::Icon::Information);
}

void ItemListPanel::mni_deleteFileClick()
{
    const int row = popupRow();
    if (row < 0 || !m_dm)
        return;
    if (!m_prompter.confirm(QStringLiteral("提示"), QStringLiteral("您确定要删除该文件吗？")))
        return;
    markDeleted(*m_dm, filesModel->row(row).fileId.toInt());
    filesModel->removeRow(row);
}

void ItemListPanel::T1Click()
{
    const int row = popupRow();
    if (row < 0)
        return;
    const ItemRow item = filesModel->row(row);
    emit sendAsCard(item.fileId.toInt(), item.caption);
}

} // namespace browse
