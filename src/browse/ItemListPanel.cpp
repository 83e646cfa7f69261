// The item list panel's widgets: the list, the paging bar and the context menu.
#include "browse/ItemListPanel.h"

#include "browse/ItemListModel.h"
#include "browse/ItemRowDelegate.h"
#include "browse/ListQuery.h"
#include "download/DownloadMenu.h"
#include "ui/skin/Colours.h"
#include "ui/skin/FlatButton.h"
#include "ui/skin/ListPointer.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QStandardPaths>
#include <QToolButton>
#include <QTreeView>

namespace browse {
namespace {

const QColor kPagingBar(192, 220, 192);
// The view that lists the latest ten items of a class.
constexpr int kLatestTenView = 1;

} // namespace

ItemListPanel::ItemListPanel(platform::Prompter &prompter, const QString &programDir, const QString &site,
                             skin::ListPointer &pointer, const std::array<QPixmap, 3> &icons, QWidget *parent)
    : TitledPanel("pal_files", QString(), "lab_Files", parent), m_prompter(prompter), m_programDir(programDir),
      m_site(site), m_pointer(pointer)
{
    lab_Files = titleLabel();
    // Under the title bar the panel shows the system window colour.
    skin::fillBackground(this, palette().color(QPalette::Base));
    buildList(icons);
    buildPagingBar();
    buildMenu();

    saveFileChooser = [this](const QString &suggested) {
        const QString start = QDir(QStandardPaths::writableLocation(QStandardPaths::HomeLocation)).filePath(suggested);
        return QFileDialog::getSaveFileName(this, QStringLiteral("文件另存"), start,
                                            QStringLiteral("Flash文件 (*.swf);;JPG文件 (*.jpg);;Gif文件 (*.gif);;"
                                                           "全部文件 (*)"));
    };
}

void ItemListPanel::buildList(const std::array<QPixmap, 3> &icons)
{
    lv_Files = new QTreeView(this);
    lv_Files->setObjectName(QStringLiteral("lv_Files"));
    lv_Files->setGeometry(1, 23, 236, 221);
    lv_Files->setFrameShape(QFrame::NoFrame);
    lv_Files->setRootIsDecorated(false);
    lv_Files->setItemsExpandable(false);
    lv_Files->setUniformRowHeights(true);
    lv_Files->setSelectionBehavior(QAbstractItemView::SelectRows);
    lv_Files->setSelectionMode(QAbstractItemView::SingleSelection);
    lv_Files->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lv_Files->viewport()->setAttribute(Qt::WA_Hover);
    lv_Files->setContextMenuPolicy(Qt::CustomContextMenu);
    QPalette listPalette = lv_Files->palette();
    listPalette.setColor(QPalette::Base, Qt::white);
    listPalette.setColor(QPalette::Text, QColor(0, 128, 0));
    lv_Files->setPalette(listPalette);
    filesModel = new ItemListModel(this);
    lv_Files->setModel(filesModel);
    lv_Files->setItemDelegate(new ItemRowDelegate(icons, lv_Files));
    lv_Files->header()->setSectionsClickable(false);
    lv_Files->header()->setSectionsMovable(false);
    lv_Files->header()->setStretchLastSection(false);
    lv_Files->header()->resizeSection(0, 150);
    lv_Files->header()->resizeSection(1, 85);
    m_pointer.track(
        lv_Files, [this] { lv_FilesDblClick(); }, skin::ListPointer::Cursor::HandOverRows);
    connect(lv_Files, &QTreeView::customContextMenuRequested, this, &ItemListPanel::lv_FilesContextPopup);
}

void ItemListPanel::buildPagingBar()
{
    auto *line = new QFrame(this);
    line->setObjectName(QStringLiteral("Shape36"));
    line->setGeometry(0, 244, 238, 1);
    skin::fillBackground(line, Qt::black);

    auto *bar = new QWidget(this);
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
    connect(sb_firstpage, &QToolButton::clicked, this, &ItemListPanel::sb_firstpageClick);
    connect(sb_priorpage, &QToolButton::clicked, this, &ItemListPanel::sb_priorpageClick);
    connect(sb_nextpage, &QToolButton::clicked, this, &ItemListPanel::sb_nextpageClick);
    connect(sb_lastpage, &QToolButton::clicked, this, &ItemListPanel::sb_lastpageClick);

    lab_pagenum = new QLabel(QStringLiteral("第1页"), bar);
    lab_pagenum->setObjectName(QStringLiteral("lab_pagenum"));
    lab_pagenum->setGeometry(170, 7, 63, 12);
    lab_pagenum->setAlignment(Qt::AlignCenter);
}

void ItemListPanel::buildViewMenu()
{
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
        QAction *a = mni_view->addAction(viewCaption(entry.second));
        a->setObjectName(QLatin1String(entry.first));
        a->setCheckable(true);
        a->setData(entry.second);
        m_views->addAction(a);
        const int view = entry.second;
        connect(a, &QAction::triggered, this, [this, view] { selectView(view); });
        *field = a;
    }
    smn_all->setChecked(true);
}

void ItemListPanel::buildMenu()
{
    pm_Files = new QMenu(this);
    pm_Files->setObjectName(QStringLiteral("pm_Files"));
    buildViewMenu();
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
    connect(mni_onlineview, &QAction::triggered, this, &ItemListPanel::mni_onlineviewClick);
    connect(mni_saveas, &QAction::triggered, this, &ItemListPanel::mni_saveasClick);
    connect(mni_deleteFile, &QAction::triggered, this, &ItemListPanel::mni_deleteFileClick);
    connect(T1, &QAction::triggered, this, &ItemListPanel::T1Click);

    download::HandOffSettings handOff;
    handOff.programs.ownManager = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("flashbar-dm"));
    downloadMenu = new download::DownloadMenu(
        m_prompter, handOff,
        [this] {
            return download::DownloadMenu::Target{m_dm, PopupListView, m_programDir};
        },
        this);
    downloadMenu->bind(mni_antdownload, mni_flashgetdownload, mni_downall_ant, mni_downall_flashget, mni_Loadnetant,
                       mni_loadFlashget);
}

QAction *ItemListPanel::viewAction(int view) const
{
    for (QAction *a : m_views->actions()) {
        if (a->data().toInt() == view)
            return a;
    }
    return nullptr;
}

void ItemListPanel::startWithLatest()
{
    state.CurrentView = kLatestTenView;
    smn_recent->setChecked(true);
}

} // namespace browse
