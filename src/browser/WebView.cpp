#include "browser/WebView.h"

#include "browser/EnginePage.h"
#include "browser/FullScreen.h"
#include "browser/PlayerServer.h"
#include "browser/WebProfile.h"

#include <QAction>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPalette>
#include <QPointer>
#include <QRegularExpression>
#include <QResizeEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineHistory>
#include <QWebEngineHttpRequest>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <algorithm>
#include <utility>

namespace browser {

WebView::WebView(PlayerServer &player, QWidget *parent) : QWidget(parent), m_player(player)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // Black as the player's page.
    m_cover = new QWidget(this);
    QPalette black = m_cover->palette();
    black.setColor(QPalette::Window, Qt::black);
    m_cover->setPalette(black);
    m_cover->setAutoFillBackground(true);
    m_cover->hide();
    setFocusPolicy(Qt::NoFocus);
    addSoundKeys();
    connect(&m_player, &PlayerServer::soundChanged, this, &WebView::applySound);
}

WebView::~WebView()
{
    // A page that goes answers its scripts still waiting; they find this
    // object whole and leave it alone.
    m_ending = true;
    delete m_fullScreen;
    if (m_view) {
        m_view->page()->disconnect(this);
        m_view->disconnect(this);
        delete m_view;
    }
}

QWebEngineView *WebView::view()
{
    if (m_view)
        return m_view;
    m_view = new QWebEngineView(this);
    auto *page = new EnginePage(webProfile(), m_view);
    m_view->setPage(page);
    connect(page, &EnginePage::recommendChosen, this, [this] {
        if (inPlayerPage() && m_showsItem)
            emit recommendChosen();
    });
    connect(page, &EnginePage::soundSet, this, [this](int volume, bool muted) {
        if (inPlayerPage())
            m_player.setSound({volume, muted});
    });
    m_view->setObjectName(QStringLiteral("WebBrowser1"));
    layout()->addWidget(m_view);
    QWebEngineSettings *settings = m_view->settings();
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, true);
    connectView();
    return m_view;
}

void WebView::connectView()
{
    // A parked page loads and changes without a word to the window.
    connect(m_view, &QWebEngineView::titleChanged, this, [this](const QString &title) {
        if (!m_parked)
            emit titleChanged(title);
    });
    connect(m_view, &QWebEngineView::loadStarted, this, [this] {
        m_loading = true;
        if (m_parked)
            return;
        m_busy = true;
        emit statusTextChanged(QStringLiteral("正在打开网页 %1...").arg(m_view->url().toDisplayString()));
        emit progressChanged(0, 100);
        reportCommandState();
    });
    connect(m_view, &QWebEngineView::loadProgress, this, [this](int progress) {
        if (!m_parked)
            emit progressChanged(progress, 100);
    });
    connect(m_view, &QWebEngineView::loadFinished, this, &WebView::loadFinished);
    connect(m_view, &QWebEngineView::urlChanged, this, [this] {
        if (!m_parked)
            reportCommandState();
    });
    connect(m_view->page(), &QWebEnginePage::linkHovered, this,
            [this](const QString &url) { emit statusTextChanged(url); });
    connect(m_view->page(), &QWebEnginePage::fullScreenRequested, this, &WebView::fullScreenRequested);
}

void WebView::loadFinished(bool ok)
{
    m_loading = false;
    if (m_waiting) {
        const Movie movie = *m_waiting;
        m_waiting.reset();
        if (ok && inPlayerPage()) {
            handOver(movie);
            return;
        }
        // The page failed: the movie gets a page of its own.
        playInOwnPage(movie);
        return;
    }
    if (m_parked) {
        // The next movie starts a history of its own.
        m_view->history()->clear();
        return;
    }
    forgetEarlierPages();
    m_busy = false;
    m_cover->hide();
    if (ok) {
        takeKeyboard();
        tellShowsItem();
    }
    emit progressChanged(100, 100);
    emit statusTextChanged(ok ? QStringLiteral("完成") : QStringLiteral("无法打开网页"));
    reportCommandState();
    emit documentComplete(m_view->url(), ok);
}

void WebView::reportCommandState()
{
    emit commandStateChanged(-1, m_busy);
    emit commandStateChanged(1, historyTarget(1) >= 0);
    emit commandStateChanged(2, historyTarget(-1) >= 0);
}

int WebView::historyTarget(int step) const
{
    if (!m_view || m_parked || m_earlierPagesHidden)
        return -1;
    const QWebEngineHistory *history = m_view->history();
    for (int i = history->currentItemIndex() + step; i >= 0 && i < history->count(); i += step) {
        if (!m_player.isReadyPage(history->itemAt(i).url()))
            return i;
    }
    return -1;
}

void WebView::goInHistory(int step)
{
    // By the entry's place: the engine's own steps pass over a page that
    // went on to another without a click, and every page shown counts.
    const int target = historyTarget(step);
    if (target >= 0)
        m_view->history()->goToItem(m_view->history()->itemAt(target));
}

void WebView::forgetEarlierPages()
{
    if (!m_earlierPagesHidden)
        return;
    m_earlierPagesHidden = false;
    m_view->history()->clear();
}

QUrl WebView::addressToUrl(const QString &address)
{
    if (address.startsWith(u'/'))
        return QUrl::fromLocalFile(address);
    return QUrl::fromUserInput(address);
}

void WebView::navigate(const QString &address, const QByteArray &body, const QString &headers, const QString &title)
{
    // The next page opens in the window.
    setFullScreen(false);
    QUrl url = addressToUrl(address);
    if (url.isLocalFile() && url.toLocalFile().endsWith(QLatin1String(".swf"), Qt::CaseInsensitive)) {
        const Movie movie{url.toLocalFile(), title.isEmpty() ? QFileInfo(url.toLocalFile()).fileName() : title};
        if (m_view && inPlayerPage() && body.isEmpty()) {
            if (m_loading)
                m_waiting = movie; // handed over once the page has loaded
            else
                handOver(movie);
            return;
        }
        const QString page = m_player.playerPageFor(movie.path, movie.title);
        if (!page.isEmpty())
            url = QUrl(page);
    }
    QWebEngineHttpRequest request(url, body.isEmpty() ? QWebEngineHttpRequest::Get : QWebEngineHttpRequest::Post);
    if (!body.isEmpty())
        request.setPostData(body);
    // Header text: one "Name: value" a line; line ends may be LF, CR or both.
    static const QRegularExpression lineEnds(QStringLiteral("[\r\n]+"));
    for (const QString &line : headers.split(lineEnds, Qt::SkipEmptyParts)) {
        const qsizetype colon = line.indexOf(u':');
        if (colon <= 0)
            continue;
        request.setHeader(line.left(colon).trimmed().toLatin1(), line.mid(colon + 1).trimmed().toUtf8());
    }
    load(request);
}

void WebView::load(const QWebEngineHttpRequest &request)
{
    m_waiting.reset();
    view();
    // A page kept ready stays covered until the new one has loaded.
    if (!m_parked)
        m_cover->hide();
    wake();
    m_view->load(request);
}

bool WebView::inPlayerPage() const
{
    return m_player.isPlayerPage(m_view->url());
}

void WebView::playInOwnPage(const Movie &movie)
{
    const QString page = m_player.playerPageFor(movie.path, movie.title);
    load(QWebEngineHttpRequest(page.isEmpty() ? QUrl::fromLocalFile(movie.path) : QUrl(page)));
}

void WebView::handOver(const Movie &movie)
{
    wake();
    cover();
    const PlayerServer::Handover next = m_player.handOver(movie.path, movie.title);
    // A page whose load was cut short has no player to take the movie.
    const QString script = QStringLiteral("typeof flashbarPlay===\"function\"&&(flashbarPlay(%1),true)")
                               .arg(QString::fromUtf8(QJsonDocument(QJsonArray{next.movie, movie.title, next.page})
                                                          .toJson(QJsonDocument::Compact)
                                                          .mid(1)
                                                          .chopped(1)));
    m_busy = true;
    emit statusTextChanged(QStringLiteral("正在打开网页 %1...").arg(movie.title));
    emit progressChanged(0, 100);
    emit commandStateChanged(-1, true);
    m_view->page()->runJavaScript(
        script, [self = QPointer<WebView>(this), movie, handover = m_handovers](const QVariant &played) {
            if (!self || self->m_ending || self->m_parked)
                return;
            if (!played.toBool()) {
                if (handover == self->m_handovers && self->inPlayerPage())
                    self->playInOwnPage(movie);
                return;
            }
            self->forgetEarlierPages();
            self->takeKeyboard();
            self->tellShowsItem();
            self->m_busy = false;
            self->uncoverWhenRedrawn(self->m_handovers);
            emit self->progressChanged(100, 100);
            emit self->statusTextChanged(QStringLiteral("完成"));
            self->reportCommandState();
            emit self->documentComplete(self->m_view->url(), true);
        });
}

void WebView::takeKeyboard()
{
    // The page shown has the keyboard: a player page gives it to its movie,
    // and so may a site's page; the view has to have it for that to count.
    m_view->setFocus(Qt::OtherFocusReason);
}

void WebView::addSoundKeys()
{
    const auto key = [this](const QKeySequence &keys, auto act) {
        auto *action = new QAction(this);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(action, &QAction::triggered, this, act);
        addAction(action);
        m_soundKeys << action;
    };
    key(QKeySequence(Qt::CTRL | Qt::Key_Up), [this] { changeVolume(10); });
    key(QKeySequence(Qt::CTRL | Qt::Key_Down), [this] { changeVolume(-10); });
    key(QKeySequence(Qt::CTRL | Qt::Key_M), [this] { toggleMute(); });
}

void WebView::changeVolume(int step)
{
    common::PlayerSound sound = m_player.sound();
    sound.volume = std::clamp(sound.volume + step, 0, 100);
    sound.muted = false;
    m_player.setSound(sound);
}

void WebView::toggleMute()
{
    common::PlayerSound sound = m_player.sound();
    sound.muted = !sound.muted;
    m_player.setSound(sound);
}

void WebView::applySound()
{
    const common::PlayerSound sound = m_player.sound();
    if (!m_parked && !m_ending)
        emit statusTextChanged(sound.muted ? QStringLiteral("静音") : QStringLiteral("音量：%1%").arg(sound.volume));
    if (!m_view || !inPlayerPage())
        return;
    m_view->page()->runJavaScript(QStringLiteral("typeof flashbarSetSound===\"function\"&&flashbarSetSound(%1,%2)")
                                      .arg(sound.volume)
                                      .arg(sound.muted ? QStringLiteral("true") : QStringLiteral("false")));
}

void WebView::setShowsItem(bool item)
{
    m_showsItem = item;
    tellShowsItem();
}

void WebView::tellShowsItem()
{
    if (m_view && !m_parked && inPlayerPage())
        m_view->page()->runJavaScript(
            QStringLiteral("flashbarItem=%1").arg(m_showsItem ? QStringLiteral("true") : QStringLiteral("false")));
}

void WebView::cover()
{
    ++m_handovers;
    m_cover->setGeometry(rect());
    m_cover->raise();
    m_cover->show();
}

void WebView::uncoverWhenRedrawn(int handover, int tries)
{
    // The page notes when three frames were drawn after the movie changed
    // (frames are drawn only while it is shown); until then the view may
    // still hold the previous movie's picture.
    m_view->page()->runJavaScript(QStringLiteral("window.flashbarRedrawn===true"),
                                  [self = QPointer<WebView>(this), handover, tries](const QVariant &redrawn) {
                                      if (!self || self->m_ending || self->m_parked || handover != self->m_handovers)
                                          return;
                                      // Redrawn, then a moment for the picture to reach the
                                      // window; a page that never says so is shown after a
                                      // few seconds.
                                      if (tries >= 300) {
                                          self->m_cover->hide();
                                      } else if (redrawn.toBool()) {
                                          QTimer::singleShot(40, self, [self, handover] {
                                              if (self && handover == self->m_handovers)
                                                  self->m_cover->hide();
                                          });
                                      } else {
                                          QTimer::singleShot(10, self, [self, handover, tries] {
                                              if (self)
                                                  self->uncoverWhenRedrawn(handover, tries + 1);
                                          });
                                      }
                                  });
}

void WebView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_cover->setGeometry(rect());
}

void WebView::wake()
{
    // What the page did while parked, and what was shown before, is no
    // history of the pages shown from now on.
    if (m_parked)
        m_earlierPagesHidden = true;
    m_parked = false;
    m_view->page()->setAudioMuted(false);
}

void WebView::loadReadyPage()
{
    const QString page = m_player.readyPage();
    if (page.isEmpty())
        return;
    // Loading from now, not from the engine's first word of it: a movie
    // handed over before then would meet the page it replaces.
    m_loading = true;
    m_view->load(QUrl(page));
}

void WebView::prewarm()
{
    if (m_view)
        return;
    view();
    m_parked = true;
    cover();
    m_view->page()->setAudioMuted(true);
    loadReadyPage();
}

void WebView::park()
{
    if (!m_view)
        return;
    setFullScreen(false);
    m_parked = true;
    m_busy = false;
    m_waiting.reset();
    cover();
    m_view->page()->setAudioMuted(true);
    if (!m_loading && inPlayerPage())
        m_view->page()->runJavaScript(QStringLiteral("flashbarPlay(\"\",\"\",\"\")"));
    else
        loadReadyPage();
}

void WebView::back()
{
    goInHistory(-1);
}

void WebView::forward()
{
    goInHistory(1);
}

void WebView::stop()
{
    if (m_view)
        m_view->stop();
}

void WebView::reload()
{
    if (m_view)
        m_view->reload();
}

void WebView::fullScreenRequested(QWebEngineFullScreenRequest request)
{
    // The engine asks only on the user's action (a click or key in the
    // movie, or its menu); a request made on its own never comes.
    if (m_parked || m_ending) {
        request.reject();
        return;
    }
    request.accept();
    m_pageFullScreen = request.toggleOn();
    setFullScreen(request.toggleOn());
}

void WebView::setFullScreen(bool on)
{
    if (on == isFullScreen() || (on && !m_view))
        return;
    if (on) {
        m_fullScreen = new FullScreenHost(m_view, this);
        m_fullScreen->addActions(m_soundKeys);
        connect(m_fullScreen, &FullScreenHost::leaveRequested, this, [this] { setFullScreen(false); });
        emit fullScreenChanged(true);
        return;
    }
    if (m_pageFullScreen) {
        m_pageFullScreen = false;
        m_view->triggerPageAction(QWebEnginePage::ExitFullScreen);
    }
    // Asked from the host's own keys: it goes once they are handled.
    FullScreenHost *host = std::exchange(m_fullScreen, nullptr);
    host->giveBack();
    host->deleteLater();
    m_cover->raise();
    emit fullScreenChanged(false);
}

QUrl WebView::url() const
{
    return m_view ? m_view->url() : QUrl();
}

QString WebView::title() const
{
    return m_view ? m_view->title() : QString();
}

void WebView::toPlainText(const std::function<void(const QString &)> &done)
{
    if (!m_view) {
        done(QString());
        return;
    }
    m_view->page()->toPlainText(done);
}

} // namespace browser
