#include "browse/ItemRowDelegate.h"

#include "browse/ItemListModel.h"
#include "browse/RowText.h"
#include "ui/art/WindowFont.h"

#include <QColor>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace browse {

namespace {
constexpr int kMinimumRowHeight = 19;
}

ItemRowDelegate::ItemRowDelegate(std::array<QPixmap, 3> icons, QObject *parent)
    : QStyledItemDelegate(parent), m_icons(std::move(icons)), m_font(art::windowFont())
{
}

void ItemRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QRect cell = option.rect;
    if (!index.isValid() || cell.isEmpty())
        return;

    // The cell is composed off screen and copied in one go, so the view's own
    // selection and focus drawing never shows through.
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    QPixmap canvas(cell.size() * ratio);
    canvas.setDevicePixelRatio(ratio);
    canvas.fill(Qt::white);

    QPainter p(&canvas);
    p.setFont(m_font);
    const QFontMetrics fm(m_font);
    const art::TextBox box = art::textBox(m_font);
    const int letterHeight = box.height;
    const int columnWidth = cell.width();

    const bool hot = option.state.testFlag(QStyle::State_MouseOver);
    const Rgb colour = rowTextColour(hot, index.data(ItemListModel::ViewedRole).toBool());
    p.setPen(QColor(colour.red, colour.green, colour.blue));

    const QString text = index.data(Qt::DisplayRole).toString();
    int x = 0;
    int available = columnNameSpace(columnWidth);
    if (index.column() == 0) {
        bool ok = false;
        const int image = index.data(ItemListModel::ImageIndexRole).toInt(&ok);
        if (ok && image >= 0 && image < int(m_icons.size()))
            p.drawPixmap(0, 0, m_icons[std::size_t(image)]);
        x = kStateIconWidth;
        available = captionSpace(columnWidth);
    }
    const QString shown = fitCellText(text, fm.horizontalAdvance(text), available, columnWidth, letterHeight);
    const int y = (cell.height() - box.height) / 2;
    p.drawText(x, y + box.ascent, shown);
    p.end();

    painter->drawPixmap(cell.topLeft(), canvas);
}

QSize ItemRowDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const
{
    const QFontMetrics fm(m_font);
    const int height = std::max(kMinimumRowHeight, fm.lineSpacing() + 4);
    const int lead = index.column() == 0 ? kStateIconWidth : 0;
    return {lead + fm.horizontalAdvance(index.data(Qt::DisplayRole).toString()) + 3, height};
}

} // namespace browse
