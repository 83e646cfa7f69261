#pragma once

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <optional>

class QAction;
class QWebEngineFullScreenRequest;
class QWebEngineHttpRequest;
class QWebEngineView;

namespace browser {

class FullScreenHost;
class PlayerServer;

// The browser control of the browser windows, over Qt WebEngine: navigation
// with an optional form body and extra headers, history, stop, reload, and
// notices of status text, progress, command state and title. The engine
// starts with the first navigation or with prewarm(), not before. A movie
// opened while the page is the player's own is handed to that page, which
// has the player loaded already. Back and forward go through the pages shown
// since the window was last shown, movies handed over included; the page
// kept ready is never one of them.
class WebView final : public QWidget
{
    Q_OBJECT
public:
    WebView(PlayerServer &player, QWidget *parent = nullptr);
    ~WebView() override;

    // Opens `address` (a web address or a local file path). A non-empty body
    // is sent as a POST; `headers` is header text, one "Name: value" a line.
    // A local SWF file plays in the Flash player under `title`.
    void navigate(const QString &address, const QByteArray &body = {}, const QString &headers = {},
                  const QString &title = {});
    // Starts the engine and loads the player into a page of its own, shown
    // nowhere and silent, so that the first movie starts at once.
    void prewarm();
    // Ends what the page shows and plays, keeping the engine and the player
    // ready for the next movie: its window was closed.
    void park();
    void back();
    void forward();
    void stop();
    void reload();
    // Fills the screen with the page shown, or gives it back to the window;
    // the page's own full screen (a movie's request) ends with it.
    void setFullScreen(bool on);
    bool isFullScreen() const { return m_fullScreen != nullptr; }
    // The movies' sound: louder or quieter by `step` percent, or muted and
    // back; Ctrl+Up, Ctrl+Down and Ctrl+M while watching.
    void changeVolume(int step);
    // Whether the page shows an item, which the player's menu can send to
    // a friend.
    void setShowsItem(bool item);
    void toggleMute();
    bool busy() const { return m_busy; }
    QUrl url() const;
    QString title() const;
    // The page's text, delivered later to `done`.
    void toPlainText(const std::function<void(const QString &)> &done);

    // The engine's view, once the first page was opened.
    QWebEngineView *engineView() const { return m_view; }

    // The address a navigation to `address` really loads.
    static QUrl addressToUrl(const QString &address);

protected:
    void resizeEvent(QResizeEvent *event) override;

signals:
    void statusTextChanged(const QString &text);
    void progressChanged(int progress, int maximum);
    // -1: busy may have changed; 1: forward enabled; 2: back enabled.
    void commandStateChanged(int command, bool enabled);
    void titleChanged(const QString &title);
    void documentComplete(const QUrl &url, bool ok);
    void fullScreenChanged(bool on);
    // "发送给好友" was chosen in the player's menu.
    void recommendChosen();

private:
    struct Movie
    {
        QString path;
        QString title;
    };

    QWebEngineView *view();
    // Loads a page in the view, shown and heard.
    void load(const QWebEngineHttpRequest &request);
    void connectView();
    void reportCommandState();
    // The history entry `step` entries (1 or -1) away from the one shown,
    // passing over the page kept ready; -1 when there is none to go to.
    int historyTarget(int step) const;
    void goInHistory(int step);
    // Once the first page shown after the window was parked has loaded,
    // the entries before it go.
    void forgetEarlierPages();
    // Loads a page of the player with a blank movie, silently.
    void loadReadyPage();
    // Ends the silence of a parked page: something is to be shown.
    void wake();
    // Covers the view in black, until uncoverWhenRedrawn() finds the page
    // redrawn after hand-over number `handover`, or a page has loaded.
    void cover();
    void uncoverWhenRedrawn(int handover, int tries = 0);
    // A movie shown takes the keyboard, with no click needed.
    void takeKeyboard();
    // Tells the player page shown whether it shows an item.
    void tellShowsItem();
    void addSoundKeys();
    // Gives the player page shown the movies' sound.
    void applySound();
    bool inPlayerPage() const;
    // Hands a movie to the player page shown.
    void handOver(const Movie &movie);
    // The movie in a player page of its own, loaded afresh.
    void playInOwnPage(const Movie &movie);
    void loadFinished(bool ok);
    // The page asks to fill the screen, or to stop.
    void fullScreenRequested(QWebEngineFullScreenRequest request);

    PlayerServer &m_player;
    QWebEngineView *m_view = nullptr;       // a child, made with the first page
    QWidget *m_cover = nullptr;             // over the view while it may show an old picture
    FullScreenHost *m_fullScreen = nullptr; // holds the view while it fills the screen
    QList<QAction *> m_soundKeys;           // in the window and in full screen
    bool m_pageFullScreen = false;          // the page itself is in full screen
    bool m_showsItem = false;
    int m_handovers = 0;
    bool m_ending = false; // the page's last answers come while it goes
    bool m_busy = false;
    bool m_loading = false;            // a page is loading (not a movie handed over)
    bool m_parked = false;             // the page is only kept ready: no notices
    bool m_earlierPagesHidden = false; // entries before the page opened since being parked
    std::optional<Movie> m_waiting;    // to hand over once the player page has loaded
};

} // namespace browser
