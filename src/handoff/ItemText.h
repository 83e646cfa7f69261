#pragma once

#include <QString>

#include <optional>

// The item text of a download hand-off: the address, a comma, the absolute
// target (a file or a folder). The address ends at the first comma that is
// followed by '/': the target starts with '/', and such a comma inside an
// address is sent as "%2C", which means the same to a web server. Commas
// elsewhere in the address (a query) and anywhere in the target (a column
// or file name) are sent as they are.
namespace handoff {

QString itemText(const QString &address, const QString &target);

struct ItemParts
{
    QString address;
    QString target;
};
// Nothing when the text has no comma followed by '/'.
std::optional<ItemParts> splitItemText(const QString &item);

} // namespace handoff
