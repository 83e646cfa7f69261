#pragma once

#include <QWebEnginePage>

namespace browser {

// The page of a browser view; it hears what the player page tells the
// program through its console.
class EnginePage final : public QWebEnginePage
{
    Q_OBJECT
public:
    using QWebEnginePage::QWebEnginePage;

signals:
    // The user set the movies' sound in the player's own controls.
    void soundSet(int volume, bool muted);
    // "发送给好友" in the player's menu.
    void recommendChosen();

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int line,
                                  const QString &source) override;
};

} // namespace browser
