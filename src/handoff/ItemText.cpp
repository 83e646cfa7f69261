#include "handoff/ItemText.h"

namespace handoff {

namespace {

const QString kSeparator = QStringLiteral(",/");

} // namespace

QString itemText(const QString &address, const QString &target)
{
    QString sent = address;
    sent.replace(kSeparator, QStringLiteral("%2C/"));
    return sent + u',' + target;
}

std::optional<ItemParts> splitItemText(const QString &item)
{
    const qsizetype at = item.indexOf(kSeparator);
    if (at < 0)
        return std::nullopt;
    return ItemParts{item.left(at), item.mid(at + 1)};
}

} // namespace handoff
