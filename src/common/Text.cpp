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

QString ShownText(const QString &text, int maximum, LineEnds lineEnds)
{
    QString shown = TruncateWithEllipsis(text, maximum);
    for (QChar &c : shown) {
        if (c.category() != QChar::Other_Control)
            continue;
        if (lineEnds == LineEnds::Keep && (c == u'\r' || c == u'\n'))
            continue;
        c = u' ';
    }
    return shown;
}
