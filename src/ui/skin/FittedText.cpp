#include "ui/skin/FittedText.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>

namespace skin {
namespace {

// The label's font before any fitting, kept on the label.
constexpr const char *kOwnFont = "skinOwnFont";

} // namespace

void setFittedText(QLabel *label, const QString &text, int smallestPixels)
{
    QVariant own = label->property(kOwnFont);
    if (!own.isValid()) {
        own = label->font();
        label->setProperty(kOwnFont, own);
    }
    QFont font = own.value<QFont>();
    const int room = label->contentsRect().width();
    int pixels = QFontInfo(font).pixelSize();
    while (QFontMetrics(font).horizontalAdvance(text) > room && pixels > smallestPixels)
        font.setPixelSize(--pixels);
    const bool shrunk = font != own.value<QFont>();
    label->setFont(font);
    label->setText(text);
    label->setToolTip(shrunk ? text : QString());
}

} // namespace skin
