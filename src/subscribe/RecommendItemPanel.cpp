#include "subscribe/RecommendItemPanel.h"

#include "platform/Prompter.h"
#include "store/DatabaseError.h"
#include "subscribe/RecommendPanel.h"
#include "ui/art/Artwork.h"
#include "ui/skin/ListPointer.h"

#include <QActionGroup>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QToolTip>
#include <QTreeWidget>

namespace subscribe {
namespace {

constexpr int kRowRole = Qt::UserRole;

} // namespace

RecommendItemPanel::RecommendItemPanel(platform::Prompter &prompter, RecommendPanel &categories,
                                       skin::ListPointer &pointer, QString &currentCategory, QWidget *parent)
    : TitledPanel("pal_RecommendItem", QStringLiteral("特别推荐"), "lab_RecommendItem", parent), m_prompter(prompter),
      m_categories(categories), m_pointer(pointer), m_currentCategory(currentCategory)
{
    lab_RecommendItem = titleLabel();
    lv_RecommendItem = new QTreeWidget(this);
    lv_RecommendItem->setObjectName(QStringLiteral("lv_RecommendItem"));
    lv_RecommendItem->setGeometry(1, 23, 236, 247);
    lv_RecommendItem->setFrameShape(QFrame::NoFrame);
    lv_RecommendItem->setColumnCount(2);
    lv_RecommendItem->setHeaderLabels({QStringLiteral("条目名称"), QStringLiteral("类别")});
    lv_RecommendItem->header()->setSectionsClickable(false);
    lv_RecommendItem->header()->setSectionsMovable(false);
    lv_RecommendItem->header()->setStretchLastSection(false);
    lv_RecommendItem->header()->resizeSection(0, 160);
    lv_RecommendItem->header()->resizeSection(1, 60);
    lv_RecommendItem->setRootIsDecorated(false);
    lv_RecommendItem->setItemsExpandable(false);
    lv_RecommendItem->setUniformRowHeights(true);
    lv_RecommendItem->setSelectionBehavior(QAbstractItemView::SelectRows);
    lv_RecommendItem->setSelectionMode(QAbstractItemView::SingleSelection);
    lv_RecommendItem->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lv_RecommendItem->setIconSize(QSize(24, 19));
    lv_RecommendItem->setContextMenuPolicy(Qt::CustomContextMenu);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    lv_RecommendItem->setFont(font);
    QPalette p = lv_RecommendItem->palette();
    p.setColor(QPalette::Text, QColor(0, 128, 0));
    lv_RecommendItem->setPalette(p);
    pointer.track(
        lv_RecommendItem, [this] { lv_RecommendItemDblClick(); }, skin::ListPointer::Cursor::HandOverRows);
    lv_RecommendItem->viewport()->installEventFilter(this);
    connect(lv_RecommendItem, &QTreeWidget::customContextMenuRequested, this,
            &RecommendItemPanel::lv_RecommendItemContextPopup);
    buildMenu();
}

void RecommendItemPanel::buildMenu()
{
    pm_Recommend = new QMenu(this);
    pm_Recommend->setObjectName(QStringLiteral("pm_Recommend"));
    mni_Recommend_View = pm_Recommend->addMenu(QStringLiteral("查看"));
    mni_Recommend_View->setObjectName(QStringLiteral("mni_Recommend_View"));
    auto *views = new QActionGroup(this);
    views->setExclusive(true);
    const auto view = [&](const char *name, const QString &caption) {
        QAction *a = mni_Recommend_View->addAction(caption);
        a->setObjectName(QLatin1String(name));
        a->setCheckable(true);
        views->addAction(a);
        return a;
    };
    N101 = view("N101", QStringLiteral("最新20条"));
    N9 = view("N9", QStringLiteral("已收藏条目"));
    N5 = view("N5", QStringLiteral("所有条目"));
    N101->setChecked(true);
    mni_Recommend_Delete = pm_Recommend->addMenu(QStringLiteral("删除"));
    mni_Recommend_Delete->setObjectName(QStringLiteral("mni_Recommend_Delete"));
    N7 = mni_Recommend_Delete->addAction(QStringLiteral("当前条目"));
    N7->setObjectName(QStringLiteral("N7"));
    N8 = mni_Recommend_Delete->addAction(QStringLiteral("全部条目"));
    N8->setObjectName(QStringLiteral("N8"));
    pm_Recommend->addSeparator();
    mni_Recommend_AddToFavorite = pm_Recommend->addAction(QStringLiteral("收藏"));
    mni_Recommend_AddToFavorite->setObjectName(QStringLiteral("mni_Recommend_AddToFavorite"));
    connect(N101, &QAction::triggered, this, &RecommendItemPanel::N101Click);
    connect(N9, &QAction::triggered, this, &RecommendItemPanel::N9Click);
    connect(N5, &QAction::triggered, this, &RecommendItemPanel::N5Click);
    connect(N7, &QAction::triggered, this, &RecommendItemPanel::N7Click);
    connect(N8, &QAction::triggered, this, &RecommendItemPanel::N8Click);
    connect(mni_Recommend_AddToFavorite, &QAction::triggered, this,
            &RecommendItemPanel::mni_Recommend_AddToFavoriteClick);
}

TDM_CDS &RecommendItemPanel::dataModule() const
{
    if (!m_dm)
        throw DatabaseError(QStringLiteral("没有数据模块"));
    return *m_dm;
}

void RecommendItemPanel::LoadRecommendItems(int view)
{
    const QString category = m_categories.focusedCategory();
    lv_RecommendItem->clear();
    const RecommendList list = subscribe::LoadRecommendItems(dataModule(), category, view);
    const QIcon icons[] = {QIcon(QPixmap::fromImage(art::stateIcon(0))), QIcon(QPixmap::fromImage(art::stateIcon(1)))};
    for (const RecommendRow &row : list.rows) {
        auto *item = new QTreeWidgetItem(lv_RecommendItem, QStringList{row.caption, row.className});
        item->setIcon(0, icons[row.favorite ? 1 : 0]);
        item->setData(0, kRowRole,
                      QVariant::fromValue(
                          QStringList{row.className, row.description, row.other1, row.other2, row.url, row.itemId}));
    }
    m_currentCategory = category;
    setTitle(list.title);
}

RecommendRow RecommendItemPanel::rowOf(const QTreeWidgetItem *item) const
{
    RecommendRow row;
    if (!item)
        return row;
    const QStringList sub = item->data(0, kRowRole).toStringList();
    row.caption = item->text(0);
    if (sub.size() == 6) {
        row.className = sub.at(0);
        row.description = sub.at(1);
        row.other1 = sub.at(2);
        row.other2 = sub.at(3);
        row.url = sub.at(4);
        row.itemId = sub.at(5);
    }
    return row;
}

QString RecommendItemPanel::lv_RecommendItemInfoTip(QTreeWidgetItem *item) const
{
    return recommendTip(rowOf(item));
}

void RecommendItemPanel::lv_RecommendItemDblClick()
{
    if (!m_pointer.focusedUnderPointer(lv_RecommendItem).isValid())
        return;
    const RecommendRow row = rowOf(lv_RecommendItem->currentItem());
    emit openItemPage(row.url, row.caption);
}

QPoint RecommendItemPanel::lv_RecommendItemContextPopup(const QPoint &position)
{
    QTreeWidgetItem *item = lv_RecommendItem->itemAt(position);
    if (item)
        lv_RecommendItem->setCurrentItem(item);
    mni_Recommend_Delete->setEnabled(item != nullptr);
    mni_Recommend_AddToFavorite->setEnabled(item != nullptr);
    const QPoint at = popupPoint ? popupPoint(position) : lv_RecommendItem->viewport()->mapToGlobal(position);
    pm_Recommend->popup(at);
    return at;
}

void RecommendItemPanel::selectView(QAction *entry, int view)
{
    entry->setChecked(true);
    LoadRecommendItems(view);
}

void RecommendItemPanel::N101Click()
{
    selectView(N101, LatestItems);
}

void RecommendItemPanel::N9Click()
{
    selectView(N9, FavoriteItems);
}

void RecommendItemPanel::N5Click()
{
    selectView(N5, AllItems);
}

void RecommendItemPanel::N7Click()
{
    QTreeWidgetItem *item = lv_RecommendItem->currentItem();
    if (!item || !m_prompter.confirm(QStringLiteral("提示"), QStringLiteral("您确定要删除该条目吗？")))
        return;
    deleteRecommendItem(dataModule(), rowOf(item).itemId);
    delete item;
}

void RecommendItemPanel::N8Click()
{
    if (!m_prompter.confirm(QStringLiteral("提示"), QStringLiteral("您确定要删除所有条目吗？")))
        return;
    deleteRecommendCategory(dataModule(), m_currentCategory);
    lv_RecommendItem->clear();
}

void RecommendItemPanel::mni_Recommend_AddToFavoriteClick()
{
    QTreeWidgetItem *item = lv_RecommendItem->currentItem();
    if (!item)
        return;
    markFavorite(dataModule(), rowOf(item).itemId);
    item->setIcon(0, QIcon(QPixmap::fromImage(art::stateIcon(1))));
}

bool RecommendItemPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lv_RecommendItem->viewport()) {
        // Its tips: the pointer and double-clicks are followed by the pointer tracker.
        if (event->type() == QEvent::ToolTip) {
            auto *help = static_cast<QHelpEvent *>(event);
            if (QTreeWidgetItem *item = lv_RecommendItem->itemAt(help->pos())) {
                // Shown without the carriage returns, which a tip would draw as boxes.
                QToolTip::showText(help->globalPos(), lv_RecommendItemInfoTip(item).remove(u'\r'),
                                   lv_RecommendItem->viewport());
            } else {
                QToolTip::hideText();
            }
            return true;
        }
    }
    return TitledPanel::eventFilter(watched, event);
}

} // namespace subscribe
