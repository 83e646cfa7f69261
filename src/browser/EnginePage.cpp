#include "browser/EnginePage.h"

#include <QRegularExpression>

namespace browser {

void EnginePage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int line,
                                          const QString &source)
{
    static const QRegularExpression sound(QStringLiteral("^flashbar-sound (\\d{1,3}) ([01])$"));
    if (message == QLatin1String("flashbar-recommend")) {
        emit recommendChosen();
        return;
    }
    const QRegularExpressionMatch match = sound.match(message);
    if (match.hasMatch()) {
        emit soundSet(match.captured(1).toInt(), match.captured(2) == QLatin1String("1"));
        return;
    }
    QWebEnginePage::javaScriptConsoleMessage(level, message, line, source);
}

} // namespace browser
