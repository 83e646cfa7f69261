#pragma once

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>

class QWebEngineView;

namespace browser {

class PlayerServer;

// The browser control of the browser windows, over Qt WebEngine: navigation
// with an optional form body and extra headers, history, stop, reload, and
// notices of status text, progress, command state and title. The engine
// starts with the first navigation, not before.
class WebView final : public QWidget
{
    Q_OBJECT
public:
    WebView(PlayerServer &player, QWidget *parent = nullptr);

    // Opens `address` (a web address or a local file path). A non-empty body
    // is sent as a POST; `headers` is header text, one "Name: value" a line.
    // A local SWF file plays in the Flash player under `title`.
    void navigate(const QString &address, const QByteArray &body = {}, const QString &headers = {},
                  const QString &title = {});
    void back();
    void forward();
    void stop();
    void reload();
    bool busy() const { return m_busy; }
    QUrl url() const;
    QString title() const;
    // The page's text, delivered later to `done`.
    void toPlainText(const std::function<void(const QString &)> &done);

    // The engine's view, once the first page was opened.
    QWebEngineView *engineView() const { return m_view; }

    // The address a navigation to `address` really loads.
    static QUrl addressToUrl(const QString &address);

signals:
    void statusTextChanged(const QString &text);
    void progressChanged(int progress, int maximum);
    // -1: busy may have changed; 1: forward enabled; 2: back enabled.
    void commandStateChanged(int command, bool enabled);
    void titleChanged(const QString &title);
    void documentComplete(const QUrl &url, bool ok);

private:
    QWebEngineView *view();
    void reportCommandState();

    PlayerServer &m_player;
    QWebEngineView *m_view = nullptr; // a child, made with the first page
    bool m_busy = false;
};

} // namespace browser
