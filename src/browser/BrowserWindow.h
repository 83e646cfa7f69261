#pragma once

#include "ui/skin/SkinnedWindow.h"

#include "common/OpenAddress.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>

class QLabel;
class QProgressBar;
class QToolButton;

namespace browser {
class PlayerServer;
class WebView;
} // namespace browser

namespace platform {
class Prompter;
}

// The program's own browser window. One instance is made at start-up and
// hidden; it shows item pages. A server page asked for while it is visible
// opens in a further window made for it, which goes away when closed.
class TFrm_Browser final : public skin::SkinnedWindow
{
    Q_OBJECT
public:
    static constexpr int kOnDemandMarker = 112233;

    // Skin errors are reported through `prompter`.
    TFrm_Browser(browser::PlayerServer &player, platform::Prompter &prompter, int onDemandMarker = 0,
                 QWidget *parent = nullptr);

    // Opens an item's page (the site's playing page or its local copy).
    void ShowItemPage(const QString &address, const QString &name, int fileId);
    // Opens a server page, posting `body` with `headers` when there is a body.
    void ShowPage(const QString &address, const QByteArray &body = {}, const QString &headers = {});
    // Opens one of the program's own pages (the help), a local file that no
    // catalogue named, so it needs no check.
    void ShowOwnPage(const QString &path);

    // Starts the web engine and readies the player while the window stays
    // hidden, so that the first item opens at once.
    void Prewarm();

    // Local files open only inside this folder's local/ (the local copies);
    // the current directory at creation unless set.
    void setProgramDir(const QString &programDir) { m_programDir = programDir; }
    // Hands a mail address to the desktop; the desktop's own opener unless
    // replaced (tests).
    std::function<bool(const QUrl &)> desktopOpener;

    int CurrentFileID = 0;
    QString CurrentItemName;
    int onDemandMarker() const { return m_marker; }

    browser::WebView *WebBrowser1;
    QToolButton *sb_Back;
    QToolButton *sb_Forward;
    QToolButton *sb_Stop;
    QToolButton *sb_Refresh;
    QToolButton *sb_recommend;
    QWidget *StatusBar2;
    QLabel *statusPanels[3];
    QProgressBar *ProgressBar2;

signals:
    // A further window was made for a server page.
    void pageWindowOpened(TFrm_Browser *window);
    // "发送给好友" with the item shown.
    void recommendRequested(int fileId, const QString &name);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Shows a checked address here, or in a further window when this one is
    // in use.
    void showPage(const OpenAddress &verdict, const QString &address, const QByteArray &body, const QString &headers);
    // Opens a checked address: web pages and local copies here, mail with
    // the desktop; anything else only puts the reason in the status bar.
    void navigateChecked(const OpenAddress &verdict, const QString &address, const QByteArray &body,
                         const QString &headers, const QString &title = {});
    void buildToolbar(QWidget *toolbar);
    void buildStatusBar();
    void addFullScreenKey();
    void WebBrowser1TitleChange(const QString &title);
    void WebBrowser1CommandStateChange(int command, bool enabled);
    void WebBrowser1ProgressChange(int progress, int maximum);

    browser::PlayerServer &m_player;
    platform::Prompter &m_prompter;
    int m_marker;
    QString m_programDir;
};
