#include "subscribe/SubscribePanel.h"

#include "store/DatabaseError.h"
#include "subscribe/ClassRowDelegate.h"
#include "ui/skin/Colours.h"

#include <QHeaderView>
#include <QLabel>
#include <QToolButton>
#include <QTreeWidget>

namespace subscribe {
namespace {

constexpr int kColumnIdRole = Qt::UserRole;
constexpr int kDescriptionRole = Qt::UserRole + 1;
constexpr int kClassIdRole = Qt::UserRole;

QTreeWidget *plainList(QWidget *parent, const char *name, const QRect &geometry, int columnWidth)
{
    auto *list = new QTreeWidget(parent);
    list->setObjectName(QLatin1String(name));
    list->setGeometry(geometry);
    list->setColumnCount(1);
    list->header()->hide();
    list->header()->resizeSection(0, columnWidth);
    list->setFrameShape(QFrame::NoFrame);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    return list;
}

} // namespace

SubscribePanel::SubscribePanel(QWidget *parent)
    : TitledPanel("pal_Subscribe", QStringLiteral("订阅"), "lab_Subscribe", parent)
{
    lab_Subscribe = titleLabel();

    lv_subscribe_Class = plainList(this, "lv_subscribe_Class", QRect(3, 23, 70, 225), 70);
    lv_subscribe_Class->setItemDelegate(new ClassRowDelegate(lv_subscribe_Class));
    lv_subscribe_Class->setMouseTracking(true);
    lv_subscribe_Class->viewport()->setCursor(Qt::PointingHandCursor);
    lv_subscribe_Class->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (const SubscribeClass &c : subscribeClasses()) {
        auto *item = new QTreeWidgetItem(lv_subscribe_Class, QStringList{c.caption});
        item->setData(0, kClassIdRole, c.classId);
    }
    connect(lv_subscribe_Class, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current) { lv_subscribe_ClassSelectItem(current, current != nullptr); });

    lv_subscribe_Colume = plainList(this, "lv_subscribe_Colume", QRect(74, 23, 163, 228), 140);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    lv_subscribe_Colume->setFont(font);
    QPalette p = lv_subscribe_Colume->palette();
    p.setColor(QPalette::Text, skin::kNavy);
    lv_subscribe_Colume->setPalette(p);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    skin::fillBackground(Panel1, skin::kSkyBlue);
    Panel1->setGeometry(1, 252, 236, 18);
    const std::pair<QToolButton **, std::pair<const char *, QString>> buttons[] = {
        {&sb_SelectAll, {"sb_SelectAll", QStringLiteral("全选")}},
        {&sb_CancelAll, {"sb_CancelAll", QStringLiteral("全撤")}},
        {&sb_Saveall, {"sb_Saveall", QStringLiteral("保存")}},
        {&sb_Restore, {"sb_Restore", QStringLiteral("恢复")}},
    };
    int left = 27;
    for (const auto &[field, entry] : buttons) {
        auto *b = new QToolButton(Panel1);
        b->setObjectName(QLatin1String(entry.first));
        b->setText(entry.second);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry(left, 0, 40, 18);
        QPalette bp = b->palette();
        bp.setColor(QPalette::ButtonText, skin::kNavy);
        b->setPalette(bp);
        *field = b;
        left += 48;
    }
    connect(sb_SelectAll, &QToolButton::clicked, this, &SubscribePanel::sb_SelectAllClick);
    connect(sb_CancelAll, &QToolButton::clicked, this, &SubscribePanel::sb_CancelAllClick);
    connect(sb_Saveall, &QToolButton::clicked, this, &SubscribePanel::sb_SaveallClick);
    connect(sb_Restore, &QToolButton::clicked, this, &SubscribePanel::sb_RestoreClick);
}

TDM_CDS &SubscribePanel::dataModule() const
{
    if (!m_dm)
        throw DatabaseError(QStringLiteral("没有数据模块"));
    return *m_dm;
}

void SubscribePanel::lv_subscribe_ClassSelectItem(QTreeWidgetItem *item, bool selected)
{
    if (!selected || !item)
        return;
    setTitle(QStringLiteral("订阅——") + item->text(0));
    LoadSubscribeColumns(item->data(0, kClassIdRole).toInt());
}

void SubscribePanel::LoadSubscribeColumns(int classId)
{
    const QList<ColumnRow> rows = subscribe::LoadSubscribeColumns(dataModule(), classId);
    setColumnRows(rows);
}

QList<ColumnRow> SubscribePanel::columnRows() const
{
    QList<ColumnRow> rows;
    for (int i = 0; i < lv_subscribe_Colume->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = lv_subscribe_Colume->topLevelItem(i);
        rows.append({item->text(0), item->checkState(0) == Qt::Checked, item->data(0, kColumnIdRole).toString(),
                     item->data(0, kDescriptionRole).toString()});
    }
    return rows;
}

void SubscribePanel::setColumnRows(const QList<ColumnRow> &rows)
{
    lv_subscribe_Colume->clear();
    for (const ColumnRow &row : rows) {
        auto *item = new QTreeWidgetItem(lv_subscribe_Colume, QStringList{row.name});
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(0, row.subscribed ? Qt::Checked : Qt::Unchecked);
        item->setData(0, kColumnIdRole, row.columnId);
        item->setData(0, kDescriptionRole, row.description);
    }
}

void SubscribePanel::checkAll(bool checked)
{
    for (int i = 0; i < lv_subscribe_Colume->topLevelItemCount(); ++i)
        lv_subscribe_Colume->topLevelItem(i)->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void SubscribePanel::sb_SelectAllClick()
{
    checkAll(true);
}

void SubscribePanel::sb_CancelAllClick()
{
    checkAll(false);
}

void SubscribePanel::sb_SaveallClick()
{
    saveSubscriptions(dataModule(), columnRows());
}

void SubscribePanel::sb_RestoreClick()
{
    QList<ColumnRow> rows = columnRows();
    restoreSubscriptions(dataModule(), rows);
    for (int i = 0; i < rows.size(); ++i)
        lv_subscribe_Colume->topLevelItem(i)->setCheckState(0, rows.at(i).subscribed ? Qt::Checked : Qt::Unchecked);
}

} // namespace subscribe
