#include "subscribe/RecommendPanel.h"

#include "store/DatabaseError.h"
#include "subscribe/Recommendations.h"
#include "ui/art/Artwork.h"
#include "ui/skin/ListPointer.h"

#include <QLabel>
#include <QListWidget>

namespace subscribe {

RecommendPanel::RecommendPanel(skin::ListPointer &pointer, QWidget *parent)
    : TitledPanel("pal_Recommend", QStringLiteral("特别推荐"), "lab_Recommend", parent), m_pointer(pointer)
{
    lab_Recommend = titleLabel();
    lv_Recommend = iconList("lv_Recommend");
    pointer.track(lv_Recommend, [this] { lv_RecommendDblClick(); });
    // The categories the panel shows until the catalogue's replace them.
    for (const char16_t *name : {u"精彩网站", u"影碟", u"图书", u"音碟", u"软件", u"游戏"})
        lv_Recommend->addItem(
            new QListWidgetItem(QIcon(QPixmap::fromImage(art::categoryIcon())), QString::fromUtf16(name)));
}

void RecommendPanel::LoadRecommendCategories()
{
    lv_Recommend->clear();
    if (!m_dm)
        throw DatabaseError(QStringLiteral("没有数据模块"));
    const QIcon icon(QPixmap::fromImage(art::categoryIcon()));
    for (const QString &category : subscribe::LoadRecommendCategories(*m_dm)) {
        auto *item = new QListWidgetItem(icon, category);
        item->setToolTip(category);
        lv_Recommend->addItem(item);
    }
}

QString RecommendPanel::focusedCategory() const
{
    const QListWidgetItem *item = lv_Recommend->currentItem();
    return item ? item->text() : QString();
}

void RecommendPanel::lv_RecommendDblClick()
{
    if (!m_pointer.focusedUnderPointer(lv_Recommend).isValid())
        return;
    emit categoryOpened();
}

} // namespace subscribe
