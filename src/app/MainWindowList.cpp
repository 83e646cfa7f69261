// The main window's item list: its panel, its context menu, loading a page
// and the commands that page through it or change its view and column.
#include "app/MainWindow.h"

#include "browse/ItemRowDelegate.h"
#include "browse/ListQuery.h"
#include "browse/OpenItem.h"
#include "browser/BrowserWindow.h"
#include "common/Text.h"
#include "download/DownloadMenu.h"
#include "platform/Prompter.h"
#include "store/DataModule.h"
#include "store/DatabaseError.h"
#include "ui/skin/Colours.h"
#include "ui/skin/FittedText.h"
#include "ui/skin/FlatButton.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QToolButton>
#include <QTreeView>

namespace {

// The caption label and the column entries keep at most this many characters.
constexpr int kLongestCaption = 40;

const QColor kPagingBar(192, 220, 192);

// A menu caption shows '&' as itself, not as an accelerator, and is not too long.
QString menuText(const QString &caption)
{
    return ShownText(caption, kLongestCaption).replace(u'&', QStringLiteral("&&"));
}

} // namespace

void TFrm_Main::buildFilesPanel()
{
    // Under the title bar the panel shows the system window colour.
    skin::fillBackground(pal_files, palette().color(QPalette::Base));
    lv_Files = new QTreeView(pal_files);
    lv_Files->setObjectName(QStringLiteral("lv_Files"));
    lv_Files->setGeometry(1, 23, 236, 221);
    lv_Files->setFrameShape(QFrame::NoFrame);
    lv_Files->setRootIsDecorated(false);
    lv_Files->setItemsExpandable(false);
    lv_Files->setUniformRowHeights(true);
    lv_Files->setSelectionBehavior(QAbstractItemView::SelectRows);
    lv_Files->setSelectionMode(QAbstractItemView::SingleSelection);
    lv_Files->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lv_Files->setMouseTracking(true);
    lv_Files->viewport()->setAttribute(Qt::WA_Hover);
    lv_Files->setContextMenuPolicy(Qt::CustomContextMenu);
    QPalette listPalette = lv_Files->palette();
    listPalette.setColor(QPalette::Base, Qt::white);
    listPalette.setColor(QPalette::Text, QColor(0, 128, 0));
    lv_Files->setPalette(listPalette);
    filesModel = new browse::ItemListModel(this);
    lv_Files->setModel(filesModel);
    lv_Files->setItemDelegate(new browse::ItemRowDelegate(itemIcons(), lv_Files));
    lv_Files->header()->setSectionsClickable(false);
    lv_Files->header()->setSectionsMovable(false);
    lv_Files->header()->setStretchLastSection(false);
    lv_Files->header()->resizeSection(0, 150);
    lv_Files->header()->resizeSection(1, 85);
    lv_Files->viewport()->installEventFilter(this);
    connect(lv_Files, &QTreeView::customContextMenuRequested, this, &TFrm_Main::lv_FilesContextPopup);

    auto *line = new QFrame(pal_files);
    line->setObjectName(QStringLiteral("Shape36"));
    line->setGeometry(0, 244, 238, 1);
    skin::fillBackground(line, Qt::black);

    auto *bar = new QWidget(pal_files);
    bar->setObjectName(QStringLiteral("Panel2"));
    bar->setGeometry(1, 245, 236, 25);
    skin::fillBackground(bar, kPagingBar);
    const std::pair<QToolButton **, std::pair<const char *, QString>> buttons[] = {
        {&sb_firstpage, {"sb_firstpage", QStringLiteral("首页")}},
        {&sb_priorpage, {"sb_priorpage", QStringLiteral("上页")}},
        {&sb_nextpage, {"sb_nextpage", QStringLiteral("下页")}},
        {&sb_lastpage, {"sb_lastpage", QStringLiteral("尾页")}},
        {&sb_subscribe, {"sb_subscribe", QStringLiteral("订阅")}},
    };
    const int lefts[] = {6, 39, 72, 105, 137};
    int i = 0;
    for (const auto &[field, entry] : buttons) {
        auto *b = new skin::FlatButton(QLatin1String(entry.first), entry.second, bar);
        b->setGeometry(lefts[i++], 1, 32, 22);
        b->setTextColour(skin::kNavy);
        *field = b;
    }
    connect(sb_firstpage, &QToolButton::clicked, this, &TFrm_Main::sb_firstpageClick);
    connect(sb_priorpage, &QToolButton::clicked, this, &TFrm_Main::sb_priorpageClick);
    connect(sb_nextpage, &QToolButton::clicked, this, &TFrm_Main::sb_nextpageClick);
    connect(sb_lastpage, &QToolButton::clicked, this, &TFrm_Main::sb_lastpageClick);

    lab_pagenum = new QLabel(QStringLiteral("第1页"), bar);
    lab_pagenum->setObjectName(QStringLiteral("lab_pagenum"));
    lab_pagenum->setGeometry(170, 7, 63, 12);
    lab_pagenum->setAlignment(Qt::AlignCenter);

    buildFilesMenu();
}

void TFrm_Main::buildFilesMenu()
{
    pm_Files = new QMenu(this);
    pm_Files->setObjectName(QStringLiteral("pm_Files"));
    mni_view = pm_Files->addMenu(QStringLiteral("查看"));
    mni_view->setObjectName(QStringLiteral("mni_view"));
    m_views = new QActionGroup(this);
    m_views->setExclusive(true);
    // Menu order; each entry carries its view number.
    const std::pair<QAction **, std::pair<const char *, int>> views[] = {
        {&smn_recent, {"smn_recent", 1}},         {&smn_all, {"smn_all", 0}},
        {&smn_clicked, {"smn_clicked", 2}},       {&smn_noneclicked, {"smn_noneclicked", 3}},
        {&smn_downloaded, {"smn_downloaded", 4}}, {&smn_nonedownload, {"smn_nonedownload", 5}},
    };
    for (const auto &[field, entry] : views) {
        QAction *a = mni_view->addAction(browse::viewCaption(entry.second));
        a->setObjectName(QLatin1String(entry.first));
        a->setCheckable(true);
        a->setData(entry.second);
        m_views->addAction(a);
        const int view = entry.second;
        connect(a, &QAction::triggered, this, [this, view] { selectView(view); });
        *field = a;
    }
    smn_all->setChecked(true);

    mni_Colume = pm_Files->addMenu(QStringLiteral("栏目"));
    mni_Colume->setObjectName(QStringLiteral("mni_Colume"));
    mni_Colume->setEnabled(false);

    const auto action = [this](const char *name, const QString &caption) {
        QAction *a = pm_Files->addAction(caption);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    mni_onlineview = action("mni_onlineview", QStringLiteral("打开(&O)"));
    mni_deleteFile = action("mni_deleteFile", QStringLiteral("删除(&R)"));
    mni_saveas = action("mni_saveas", QStringLiteral("文件另存(&S)"));
    T1 = action("T1", QStringLiteral("推荐给好友(T)"));
    pm_Files->addSeparator();
    mni_antdownload = action("mni_antdownload", QStringLiteral("下载->网络蚂蚁(&D)"));
    mni_flashgetdownload = action("mni_flashgetdownload", QStringLiteral("下载->网际快车[&F]"));
    pm_Files->addSeparator();
    mni_downall_ant = action("mni_downall_ant", QStringLiteral("下载所有未下载条目->网络蚂蚁(&H)"));
    mni_downall_flashget = action("mni_downall_flashget", QStringLiteral("下载所有未下载条目->网际快车(&I)"));
    pm_Files->addSeparator();
    mni_Loadnetant = action("mni_Loadnetant", QStringLiteral("启动网络蚂蚁(&A)"));
    mni_loadFlashget = action("mni_loadFlashget", QStringLiteral("启动网际快车[&G]"));
    connect(mni_onlineview, &QAction::triggered, this, &TFrm_Main::mni_onlineviewClick);
    connect(mni_saveas, &QAction::triggered, this, &TFrm_Main::mni_saveasClick);
    connect(mni_deleteFile, &QAction::triggered, this, &TFrm_Main::mni_deleteFileClick);
    download::HandOffSettings handOff;
    handOff.programs.ownManager = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("flashbar-dm"));
    downloadMenu = new download::DownloadMenu(
        m_prompter, handOff,
        [this] {
            return download::DownloadMenu::Target{m_dm, PopupListView, ProgramDir};
        },
        this);
    downloadMenu->bind(mni_antdownload, mni_flashgetdownload, mni_downall_ant, mni_downall_flashget, mni_Loadnetant,
                       mni_loadFlashget);

    saveFileChooser = [this](const QString &suggested) {
        const QString start = QDir(QStandardPaths::writableLocation(QStandardPaths::HomeLocation)).filePath(suggested);
        return QFileDialog::getSaveFileName(this, QStringLiteral("文件另存"), start,
                                            QStringLiteral("Flash文件 (*.swf);;JPG文件 (*.jpg);;Gif文件 (*.gif);;"
                                                           "全部文件 (*)"));
    };
}

void TFrm_Main::OpenFocusedItem(QTreeView *list)
{
    if (!list || !m_dm || !m_browser)
        return;
    const QModelIndex focused = list->currentIndex();
    const QModelIndex pointed = list->indexAt(ListMousePos);
    if (!focused.isValid() || !pointed.isValid() || pointed.row() != focused.row())
        return;
    auto *model = qobject_cast<browse::ItemListModel *>(list->model());
    if (!model)
        return;
    browse::ItemRow row = model->row(focused.row());
    m_browser->ShowItemPage(browse::itemAddress(row, ProgramDir, m_site), row.caption, row.fileId.toInt());
    if (browse::markViewed(*m_dm, row.fileId.toInt())) {
        row.viewed = QStringLiteral("true");
        model->updateRow(focused.row(), row);
    }
    list->viewport()->update();
}

void TFrm_Main::lv_FilesDblClick()
{
    OpenFocusedItem(lv_Files);
}

void TFrm_Main::mni_onlineviewClick()
{
    OpenFocusedItem(PopupListView);
}

void TFrm_Main::mni_saveasClick()
{
    if (!PopupListView || !m_dm || !PopupListView->currentIndex().isValid())
        return;
    const QString fileId = filesModel->row(PopupListView->currentIndex().row()).fileId;
    const browse::SaveResult result = browse::SaveLocalCopyAs(*m_dm, ProgramDir, fileId, saveFileChooser);
    const QString text = browse::saveResultText(result);
    if (!text.isEmpty())
        m_prompter.inform(QStringLiteral("提示"), text,
                          browse::saveResultIsError(result) ? platform::Prompter::Icon::Error
                                                            : platform::Prompter::Icon::Information);
}

void TFrm_Main::mni_deleteFileClick()
{
    if (!PopupListView || !m_dm || !PopupListView->currentIndex().isValid())
        return;
    if (!m_prompter.confirm(QStringLiteral("提示"), QStringLiteral("您确定要删除该文件吗？")))
        return;
    const int row = PopupListView->currentIndex().row();
    browse::markDeleted(*m_dm, filesModel->row(row).fileId.toInt());
    filesModel->removeRow(row);
}

QAction *TFrm_Main::viewAction(int view) const
{
    for (QAction *a : m_views->actions()) {
        if (a->data().toInt() == view)
            return a;
    }
    return nullptr;
}

void TFrm_Main::ListItems(const QString &title, int classNumber, int pageCommand)
{
    if (!m_dm)
        throw DatabaseError(QStringLiteral("没有数据模块"));
    const browse::ListPage page = browse::ListItems(*m_dm, *this, ProgramDir, title, classNumber, pageCommand);
    applyListPage(page);
    showPanel(pal_files);
}

void TFrm_Main::applyListPage(const browse::ListPage &page)
{
    // After a change of class the list shows all items; the mark says so.
    if (page.classChanged)
        smn_all->setChecked(true);
    lab_Files->setText(ShownText(page.caption, kLongestCaption));
    lab_Files->adjustSize();
    lab_Files->move((pal_files->width() - lab_Files->width()) / 2, lab_Files->y());
    rebuildColumnMenu(page.columnMenu, page.columnMenuEnabled);
    filesModel->setFirstHeader(QStringLiteral("条目名称"));
    filesModel->setRows(page.rows);
    sb_firstpage->setEnabled(page.paging.firstEnabled);
    sb_priorpage->setEnabled(page.paging.priorEnabled);
    sb_nextpage->setEnabled(page.paging.nextEnabled);
    sb_lastpage->setEnabled(page.paging.lastEnabled);
    skin::setFittedText(lab_pagenum, page.paging.label);
}

void TFrm_Main::rebuildColumnMenu(const QStringList &entries, bool enabled)
{
    mni_Colume->clear();
    for (const QString &name : entries) {
        QAction *a = mni_Colume->addAction(menuText(name));
        a->setData(name);
        connect(a, &QAction::triggered, this, [this, name] { SelectColumnFilter(name); });
    }
    mni_Colume->setEnabled(enabled);
}

void TFrm_Main::SelectColumnFilter(const QString &caption)
{
    const QString shown = ColumnFilter;
    ColumnFilter = caption == browse::kAllColumns ? QString() : caption;
    try {
        ListItems(CurrentTitle, CurrentClass, browse::FirstPage);
    } catch (...) {
        // The list still shows the column it showed.
        ColumnFilter = shown;
        throw;
    }
}

void TFrm_Main::selectView(int view)
{
    const int shown = CurrentView;
    CurrentView = view;
    if (QAction *a = viewAction(view))
        a->setChecked(true);
    try {
        ListItems(CurrentTitle, CurrentClass, browse::FirstPage);
    } catch (...) {
        // The list still shows the view it showed, and the mark stays with it.
        CurrentView = shown;
        if (QAction *a = viewAction(shown))
            a->setChecked(true);
        throw;
    }
}

void TFrm_Main::sb_firstpageClick()
{
    ListItems(CurrentTitle, CurrentClass, browse::FirstPage);
}

void TFrm_Main::sb_priorpageClick()
{
    ListItems(CurrentTitle, CurrentClass, browse::PriorPage);
}

void TFrm_Main::sb_nextpageClick()
{
    ListItems(CurrentTitle, CurrentClass, browse::NextPage);
}

void TFrm_Main::sb_lastpageClick()
{
    ListItems(CurrentTitle, CurrentClass, browse::LastPage);
}

void TFrm_Main::lv_FilesContextPopup(const QPoint &position)
{
    const QModelIndex index = lv_Files->indexAt(position);
    const bool onItem = index.isValid();
    if (onItem)
        lv_Files->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    for (QAction *a : {mni_onlineview, mni_antdownload, mni_deleteFile, mni_Loadnetant, mni_flashgetdownload,
                       mni_loadFlashget, mni_saveas, mni_downall_ant, mni_downall_flashget})
        a->setEnabled(onItem);
    // The list's own coordinates (its column header included) are taken as
    // the window's, then moved by the list panel's place: the menu opens at
    // the pointer.
    const QPoint inList = lv_Files->viewport()->mapTo(lv_Files, position);
    const QPoint at = mapToGlobal(inList + QPoint(pal_files->x() + 10, pal_files->y() + 72));
    PopupListView = lv_Files;
    pm_Files->popup(at);
}

bool TFrm_Main::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lv_Files->viewport()) {
        if (event->type() == QEvent::MouseButtonDblClick) {
            ListMousePos = static_cast<QMouseEvent *>(event)->position().toPoint();
            lv_FilesDblClick();
        } else if (event->type() == QEvent::MouseMove) {
            const QPoint p = static_cast<QMouseEvent *>(event)->position().toPoint();
            ListMousePos = p;
            // A hand over items, the arrow elsewhere.
            lv_Files->viewport()->setCursor(lv_Files->indexAt(p).isValid() ? Qt::PointingHandCursor : Qt::ArrowCursor);
        }
    }
    return SkinnedWindow::eventFilter(watched, event);
}
