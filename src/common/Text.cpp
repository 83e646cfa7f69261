#include "common/Text.h"

QString TruncateWithEllipsis(const QString &text, int maximum)
{
    if (text.isEmpty() || text.size() <= maximum)
        return text;
    const QString ellipsis = QStringLiteral("...");
    if (maximum <= 0)
        return ellipsis;
    return text.left(maximum - 1) + ellipsis;
}
