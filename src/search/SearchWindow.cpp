#include "search/SearchWindow.h"

#include "browse/ItemListModel.h"
#include "browse/OpenItem.h"
#include "browser/BrowserWindow.h"
#include "platform/Prompter.h"
#include "search/IndexLoader.h"
#include "search/LocalSearch.h"
#include "search/SearchResultModel.h"
#include "server/FormEncoding.h"
#include "store/DataModule.h"
#include "ui/art/Artwork.h"
#include "ui/skin/Bars.h"
#include "ui/skin/FlatButton.h"
#include "ui/skin/ListPointer.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <array>

namespace {

const QColor kGreen(0, 128, 0);

// Column widths of the result list; 0 for the hidden ones.
constexpr std::array<int, search::SearchResultModel::kColumns> kColumnWidths = {150, 80, 0, 0, 200, 50, 80, 0};

// The result list's cells: the state icon before the caption, green text.
class ResultDelegate final : public QStyledItemDelegate
{
public:
    explicit ResultDelegate(QObject *parent) : QStyledItemDelegate(parent)
    {
        for (int i = 0; i < 3; ++i)
            m_icons[size_t(i)] = QPixmap::fromImage(art::stateIcon(i));
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->palette.setColor(QPalette::Text, kGreen);
        option->palette.setColor(QPalette::HighlightedText, Qt::white);
        if (index.column() == 0) {
            const int image = index.data(browse::ItemListModel::ImageIndexRole).toInt();
            if (image >= 0 && image < 3) {
                option->icon = QIcon(m_icons[size_t(image)]);
                option->decorationSize = m_icons[size_t(image)].size();
                option->features |= QStyleOptionViewItem::HasDecoration;
            }
        }
    }

private:
    std::array<QPixmap, 3> m_icons;
};

QLabel *barLabel(const QString &text, int left, QWidget *bar)
{
    auto *label = new QLabel(text, bar);
    label->move(left, 9);
    label->adjustSize();
    return label;
}

} // namespace

TFrm_Search::TFrm_Search(platform::Prompter &prompter, TDM_CDS &dm, TFrm_Browser &browser, const QString &programDir,
                         const QString &site, QWidget *parent)
    : SkinnedWindow(sizeableStyle(), parent), m_dm(dm), m_browser(browser), m_programDir(programDir), m_site(site),
      m_loader(new search::IndexLoader(this))
{
    setObjectName(QStringLiteral("Frm_Search"));
    setWindowTitle(QStringLiteral("Flash 搜索器"));
    setMinimumSize(400, 300);

    QWidget *bar = nullptr;
    QVBoxLayout *layout = skin::addToolBar(PanelBkGnd(), &bar);
    buildTopBar(bar);

    Splitter1 = new QSplitter(Qt::Horizontal, PanelBkGnd());
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(5);
    Splitter1->setChildrenCollapsible(false);
    tv_class = new QTreeWidget(Splitter1);
    tv_class->setObjectName(QStringLiteral("tv_class"));
    tv_class->setHeaderHidden(true);
    tv_class->setIndentation(19);
    tv_class->setEditTriggers(QAbstractItemView::NoEditTriggers);
    buildResultList();
    Splitter1->addWidget(tv_class);
    Splitter1->addWidget(lv_Files);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({185, 607 - 185 - 5});
    layout->addWidget(Splitter1, 1);
    buildStatusBar();
    layout->addWidget(StatusBar2);

    connect(cb_class, &QComboBox::activated, this, &TFrm_Search::cb_classChange);
    connect(tv_class, &QTreeWidget::currentItemChanged, this, &TFrm_Search::tv_classChange);
    connect(SpeedButton1, &QToolButton::clicked, this, &TFrm_Search::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TFrm_Search::SpeedButton2Click);
    connect(ed_keyword, &QLineEdit::returnPressed, this, &TFrm_Search::SpeedButton1Click);
    connect(m_loader, &search::IndexLoader::progress, this, &TFrm_Search::indexProgress);
    connect(m_loader, &search::IndexLoader::finished, this, &TFrm_Search::indexFinished);

    setUpFrameForPanel(QSize(607, 405), [&prompter](const QString &text) { prompter.showError(text); });
    centreOnScreen();
}

TFrm_Search::~TFrm_Search() = default;

void TFrm_Search::buildTopBar(QWidget *bar)
{
    barLabel(QStringLiteral("类别："), 8, bar);
    cb_class = new QComboBox(bar);
    cb_class->setObjectName(QStringLiteral("cb_class"));
    cb_class->setGeometry(48, 5, 105, 20);
    cb_class->setMaxVisibleItems(12);
    cb_class->addItem(search::kAll);

    barLabel(QStringLiteral("栏目："), 160, bar);
    cb_colume = new QComboBox(bar);
    cb_colume->setObjectName(QStringLiteral("cb_colume"));
    cb_colume->setGeometry(200, 5, 113, 20);
    cb_colume->setMaxVisibleItems(20);
    cb_colume->addItem(search::kAll);

    barLabel(QStringLiteral("关键字："), 324, bar);
    ed_keyword = new QLineEdit(bar);
    ed_keyword->setObjectName(QStringLiteral("ed_keyword"));
    ed_keyword->setGeometry(376, 5, 97, 20);

    SpeedButton1 = new skin::FlatButton(QStringLiteral("SpeedButton1"), QStringLiteral("本地搜索"), bar);
    SpeedButton1->setGeometry(480, 4, 57, 22);
    SpeedButton2 = new skin::FlatButton(QStringLiteral("SpeedButton2"), QStringLiteral("在线搜索"), bar);
    SpeedButton2->setGeometry(543, 4, 57, 22);
}

void TFrm_Search::buildResultList()
{
    lv_Files = new QTableView(Splitter1);
    lv_Files->setObjectName(QStringLiteral("lv_Files"));
    filesModel = new search::SearchResultModel(this);
    lv_Files->setModel(filesModel);
    lv_Files->setItemDelegate(new ResultDelegate(lv_Files));
    lv_Files->setShowGrid(true);
    lv_Files->setSelectionBehavior(QAbstractItemView::SelectRows);
    lv_Files->setSelectionMode(QAbstractItemView::SingleSelection);
    lv_Files->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lv_Files->setWordWrap(false);
    lv_Files->verticalHeader()->hide();
    lv_Files->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lv_Files->verticalHeader()->setDefaultSectionSize(19);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    lv_Files->setFont(font);
    QHeaderView *header = lv_Files->horizontalHeader();
    header->setSectionsClickable(false);
    header->setSectionsMovable(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(0);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int i = 0; i < int(kColumnWidths.size()); ++i) {
        header->resizeSection(i, kColumnWidths[size_t(i)]);
        // A hidden column cannot be opened by dragging its edge.
        if (kColumnWidths[size_t(i)] == 0)
            header->setSectionResizeMode(i, QHeaderView::Fixed);
    }
    listPointer = new skin::ListPointer(this);
    listPointer->track(
        lv_Files, [this] { lv_FilesDblClick(); }, skin::ListPointer::Cursor::HandOverRows);
}

void TFrm_Search::buildStatusBar()
{
    StatusBar2 = skin::statusBar(PanelBkGnd(), {100, 100, 100, 150}, statusPanels);
}

void TFrm_Search::startIndexing()
{
    if (m_loader->ready() || m_loader->loading() || m_indexReadHere)
        return;
    m_indexClock.start();
    m_loader->start(m_dm.ac_info.path());
}

void TFrm_Search::sb_searchClick()
{
    show();
    raise();
    activateWindow();
}

void TFrm_Search::showEvent(QShowEvent *event)
{
    SkinnedWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFrm_Search::FormShow()
{
    LoadClassTree();
}

void TFrm_Search::LoadClassTree()
{
    m_tree = search::LoadClassTree(m_dm);
    const QSignalBlocker quiet(tv_class);
    tv_class->clear();
    for (const search::ClassNode &node : m_tree) {
        auto *top = new QTreeWidgetItem(tv_class, QStringList{node.name});
        for (const QString &column : node.columns)
            new QTreeWidgetItem(top, QStringList{column});
    }
    cb_class->clear();
    cb_class->addItem(search::kAll);
    for (const search::ClassNode &node : m_tree)
        cb_class->addItem(node.name);
    cb_class->setCurrentIndex(0);
}

void TFrm_Search::FillColumnCombo(const QString &className)
{
    cb_colume->clear();
    cb_colume->addItems(search::FillColumnCombo(m_tree, className));
    cb_colume->setCurrentIndex(0);
}

void TFrm_Search::cb_classChange()
{
    FillColumnCombo(cb_class->currentText());
}

void TFrm_Search::tv_classChange(QTreeWidgetItem *node)
{
    if (!node)
        return;
    QTreeWidgetItem *parent = node->parent();
    const QString className = parent ? parent->text(0) : node->text(0);
    cb_class->setCurrentIndex(cb_class->findText(className, Qt::MatchExactly));
    FillColumnCombo(className);
    if (parent)
        cb_colume->setCurrentIndex(cb_colume->findText(node->text(0), Qt::MatchExactly));
}

void TFrm_Search::SpeedButton1Click()
{
    if (m_loader->ready() || !m_loader->loading()) {
        runLocalSearch();
        return;
    }
    // The index is still being read: the search runs when it is there.
    m_searchPending = true;
    QApplication::setOverrideCursor(Qt::BusyCursor);
}

void TFrm_Search::runLocalSearch()
{
    search::NameIndex &index = m_loader->index();
    // Without an index read in the background (it failed, or was never
    // started), it is read here; an error reaches the error report.
    if (!m_loader->ready() && !m_indexReadHere) {
        index.load(m_dm.ac_info.handle());
        m_indexReadHere = true;
    }
    const QString keyword = ed_keyword->text();
    const search::LocalSearchResult result =
        search::LocalSearch(m_dm, index, keyword, cb_class->currentText(), cb_colume->currentText());
    for (int i = 0; i < 4; ++i)
        statusPanels[i]->setText(result.statusTexts.value(i));
    TDM_CDS *dm = &m_dm;
    const QString programDir = m_programDir;
    filesModel->setFirstHeader(QStringLiteral("条目名称"));
    filesModel->setResult(result.fileIds, [dm, programDir](const std::vector<qint64> &ids, size_t from, size_t count) {
        return search::searchRows(*dm, programDir, ids, from, count);
    });
    emit searched();
}

void TFrm_Search::indexProgress(int percent)
{
    // Shown only when reading takes longer than a second.
    if (m_indexClock.isValid() && m_indexClock.elapsed() > 1000 && percent < 100)
        statusPanels[3]->setText(QStringLiteral("正在建立索引 %1%").arg(percent));
}

void TFrm_Search::indexFinished(bool)
{
    if (statusPanels[3]->text().startsWith(QStringLiteral("正在建立索引")))
        statusPanels[3]->clear();
    if (m_searchPending) {
        m_searchPending = false;
        QApplication::restoreOverrideCursor();
        runLocalSearch();
    }
}

void TFrm_Search::SpeedButton2Click()
{
    // The keyword goes to the site's search page; class and column do not.
    const QByteArray body = QByteArrayLiteral("title=") + EncodeFormValue(ed_keyword->text());
    m_browser.ShowPage(m_site + QStringLiteral("flash/colume.asp"), body, server::formHeader());
}

void TFrm_Search::lv_FilesDblClick()
{
    // The press before a double-click has made the row under the pointer the focused one.
    const QModelIndex focused = listPointer->focusedUnderPointer(lv_Files);
    if (!focused.isValid())
        return;
    const browse::ItemRow &row = filesModel->row(focused.row());
    m_browser.ShowItemPage(browse::itemAddress(row, m_programDir, m_site), row.caption, row.fileId.toInt());
    lv_Files->viewport()->update();
}
