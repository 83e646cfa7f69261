#include "browser/WebView.h"

#include "browser/PlayerServer.h"
#include "browser/WebProfile.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEngineHttpRequest>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace browser {

WebView::WebView(PlayerServer &player, QWidget *parent) : QWidget(parent), m_player(player)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    setFocusPolicy(Qt::NoFocus);
}

QWebEngineView *WebView::view()
{
    if (m_view)
        return m_view;
    m_view = new QWebEngineView(this);
    m_view->setPage(new QWebEnginePage(webProfile(), m_view));
    m_view->setObjectName(QStringLiteral("WebBrowser1"));
    layout()->addWidget(m_view);
    QWebEngineSettings *settings = m_view->settings();
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);

    connect(m_view, &QWebEngineView::titleChanged, this, &WebView::titleChanged);
    connect(m_view, &QWebEngineView::loadStarted, this, [this] {
        m_busy = true;
        emit statusTextChanged(QStringLiteral("正在打开网页 %1...").arg(m_view->url().toDisplayString()));
        emit progressChanged(0, 100);
        reportCommandState();
    });
    connect(m_view, &QWebEngineView::loadProgress, this, [this](int progress) { emit progressChanged(progress, 100); });
    connect(m_view, &QWebEngineView::loadFinished, this, [this](bool ok) {
        m_busy = false;
        emit progressChanged(100, 100);
        emit statusTextChanged(ok ? QStringLiteral("完成") : QStringLiteral("无法打开网页"));
        reportCommandState();
        emit documentComplete(m_view->url(), ok);
    });
    connect(m_view, &QWebEngineView::urlChanged, this, [this] { reportCommandState(); });
    connect(m_view->page(), &QWebEnginePage::linkHovered, this,
            [this](const QString &url) { emit statusTextChanged(url); });
    return m_view;
}

void WebView::reportCommandState()
{
    emit commandStateChanged(-1, m_busy);
    const QWebEngineHistory *history = m_view->history();
    emit commandStateChanged(1, history->canGoForward());
    emit commandStateChanged(2, history->canGoBack());
}

QUrl WebView::addressToUrl(const QString &address)
{
    if (address.startsWith(u'/'))
        return QUrl::fromLocalFile(address);
    return QUrl::fromUserInput(address);
}

void WebView::navigate(const QString &address, const QByteArray &body, const QString &headers, const QString &title)
{
    QUrl url = addressToUrl(address);
    if (url.isLocalFile() && url.toLocalFile().endsWith(QLatin1String(".swf"), Qt::CaseInsensitive)) {
        const QString page = m_player.playerPageFor(url.toLocalFile(),
                                                    title.isEmpty() ? QFileInfo(url.toLocalFile()).fileName() : title);
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
    view()->load(request);
}

void WebView::back()
{
    if (m_view)
        m_view->back();
}

void WebView::forward()
{
    if (m_view)
        m_view->forward();
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
