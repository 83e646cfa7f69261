#include "ui/skin/FlatButton.h"

#include <QPixmap>
#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace skin {

FlatButton::FlatButton(const QString &name, const QString &caption, QWidget *parent) : QToolButton(parent)
{
    setObjectName(name);
    setText(caption);
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
}

void FlatButton::setTextColour(const QColor &colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Active, QPalette::ButtonText, colour);
    p.setColor(QPalette::Inactive, QPalette::ButtonText, colour);
    setPalette(p);
}

void FlatButton::paintEvent(QPaintEvent *event)
{
    if (isEnabled()) {
        QToolButton::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    // The white copy first, without the picture (an empty one keeps the
    // caption where the picture leaves it), then the button itself in grey.
    QStyleOptionToolButton etch = option;
    if (!option.icon.isNull()) {
        QPixmap blank(option.iconSize);
        blank.fill(Qt::transparent);
        etch.icon = QIcon(blank);
    }
    etch.palette.setColor(QPalette::ButtonText, kDisabledEtch);
    painter.save();
    painter.translate(1, 1);
    painter.drawControl(QStyle::CE_ToolButtonLabel, etch);
    painter.restore();
    option.palette.setColor(QPalette::ButtonText, kDisabledText);
    painter.drawComplexControl(QStyle::CC_ToolButton, option);
}

} // namespace skin
