#pragma once

#include <QFont>
#include <QPixmap>
#include <QStyledItemDelegate>

#include <array>

namespace browse {

// Draws an item-list row: the state icon, the caption and the column name,
// shortened to their columns, in grey (viewed), green, or navy under the
// pointer. Selection and focus are not drawn.
class ItemRowDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
public:
    // `icons` are the pictures for image index 0, 1 and 2.
    ItemRowDelegate(std::array<QPixmap, 3> icons, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    std::array<QPixmap, 3> m_icons;
    QFont m_font;
};

} // namespace browse
