#include "browser/BrowserWindow.h"

#include "browser/WebView.h"
#include "platform/Prompter.h"
#include "ui/skin/Bars.h"
#include "ui/skin/Colours.h"
#include "ui/skin/FlatButton.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>
#include <QVBoxLayout>

TFrm_Browser::TFrm_Browser(browser::PlayerServer &player, platform::Prompter &prompter, int onDemandMarker,
                           QWidget *parent)
    : SkinnedWindow(sizeableStyle(), parent), m_player(player), m_prompter(prompter), m_marker(onDemandMarker),
      m_programDir(QDir::currentPath())
{
    desktopOpener = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    setObjectName(QStringLiteral("Frm_Browser"));
    setWindowTitle(QStringLiteral("Zanto浏览器"));
    setMinimumSize(400, 300);
    if (m_marker == kOnDemandMarker)
        setAttribute(Qt::WA_DeleteOnClose);

    QWidget *toolbar = nullptr;
    QVBoxLayout *layout = skin::addToolBar(PanelBkGnd(), &toolbar);
    buildToolbar(toolbar);

    WebBrowser1 = new browser::WebView(m_player, PanelBkGnd());
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1Host"));
    layout->addWidget(WebBrowser1, 1);
    buildStatusBar();
    layout->addWidget(StatusBar2);

    connect(WebBrowser1, &browser::WebView::titleChanged, this, &TFrm_Browser::WebBrowser1TitleChange);
    connect(WebBrowser1, &browser::WebView::commandStateChanged, this, &TFrm_Browser::WebBrowser1CommandStateChange);
    connect(WebBrowser1, &browser::WebView::progressChanged, this, &TFrm_Browser::WebBrowser1ProgressChange);
    connect(WebBrowser1, &browser::WebView::statusTextChanged, statusPanels[0], &QLabel::setText);
    connect(WebBrowser1, &browser::WebView::recommendChosen, this,
            [this] { emit recommendRequested(CurrentFileID, CurrentItemName); });

    addFullScreenKey();
    setUpFrameForPanel(QSize(455, 349), [this](const QString &text) { m_prompter.showError(text); });
    centreOnScreen();
}

void TFrm_Browser::buildToolbar(QWidget *toolbar)
{
    const auto button = [toolbar](const char *name, const QString &caption, int left, int width) {
        auto *b = new skin::FlatButton(QLatin1String(name), caption, toolbar);
        b->setGeometry(left, 5, width, 22);
        return b;
    };
    sb_Back = button("sb_Back", QStringLiteral("后退"), 8, 49);
    sb_Forward = button("sb_Forward", QStringLiteral("前进"), 57, 49);
    sb_Stop = button("sb_Stop", QStringLiteral("停止"), 106, 49);
    sb_Refresh = button("sb_Refresh", QStringLiteral("刷新"), 155, 49);
    sb_recommend = button("sb_recommend", QStringLiteral("发送给好友"), 204, 77);
    connect(sb_Back, &QToolButton::clicked, this, [this] { WebBrowser1->back(); });
    connect(sb_Forward, &QToolButton::clicked, this, [this] { WebBrowser1->forward(); });
    connect(sb_Stop, &QToolButton::clicked, this, [this] { WebBrowser1->stop(); });
    connect(sb_Refresh, &QToolButton::clicked, this, [this] { WebBrowser1->reload(); });
    connect(sb_recommend, &QToolButton::clicked, this,
            [this] { emit recommendRequested(CurrentFileID, CurrentItemName); });
}

void TFrm_Browser::addFullScreenKey()
{
    // F11 fills the screen with the page; in full screen, F11 and Esc leave.
    auto *fullScreen = new QAction(this);
    fullScreen->setShortcut(QKeySequence(Qt::Key_F11));
    fullScreen->setShortcutContext(Qt::WindowShortcut);
    connect(fullScreen, &QAction::triggered, this, [this] { WebBrowser1->setFullScreen(true); });
    addAction(fullScreen);
}

void TFrm_Browser::buildStatusBar()
{
    StatusBar2 = skin::statusBar(PanelBkGnd(), {300, 100, 50}, statusPanels);
    ProgressBar2 = new QProgressBar(StatusBar2);
    ProgressBar2->setObjectName(QStringLiteral("ProgressBar2"));
    ProgressBar2->setRange(0, 100);
    ProgressBar2->setValue(0);
    ProgressBar2->setTextVisible(false);
    ProgressBar2->setGeometry(303, 1, 98, 17);
}

void TFrm_Browser::ShowItemPage(const QString &address, const QString &name, int fileId)
{
    const OpenAddress verdict = CheckOpenAddress(address, m_programDir);
    if (!verdict.refused()) {
        CurrentFileID = fileId;
        CurrentItemName = name;
    }
    sb_recommend->setVisible(true);
    WebBrowser1->setShowsItem(true);
    navigateChecked(verdict, address, {}, {}, name);
    if (!isVisible())
        show();
    // Opened to be watched: the window comes forward with the keyboard,
    // which its page hands to the movie.
    raise();
    activateWindow();
}

void TFrm_Browser::ShowPage(const QString &address, const QByteArray &body, const QString &headers)
{
    showPage(CheckOpenAddress(address, m_programDir), address, body, headers);
}

void TFrm_Browser::ShowOwnPage(const QString &path)
{
    OpenAddress own;
    own.kind = OpenAddress::LocalFile;
    own.url = QUrl::fromLocalFile(path);
    showPage(own, path, {}, {});
}

void TFrm_Browser::showPage(const OpenAddress &verdict, const QString &address, const QByteArray &body,
                            const QString &headers)
{
    sb_recommend->setVisible(false);
    WebBrowser1->setShowsItem(false);
    if (verdict.refused()) {
        // Nothing to open: the reason shows here rather than in a new window.
        navigateChecked(verdict, address, body, headers);
        if (!isVisible())
            show();
        return;
    }
    if (isVisible()) {
        auto *window = new TFrm_Browser(m_player, m_prompter, kOnDemandMarker);
        window->setProgramDir(m_programDir);
        window->desktopOpener = desktopOpener;
        emit pageWindowOpened(window);
        window->showPage(verdict, address, body, headers);
        return;
    }
    show();
    navigateChecked(verdict, address, body, headers);
}

void TFrm_Browser::navigateChecked(const OpenAddress &verdict, const QString &address, const QByteArray &body,
                                   const QString &headers, const QString &title)
{
    switch (verdict.kind) {
    case OpenAddress::Web:
        WebBrowser1->navigate(address, body, headers, title);
        break;
    case OpenAddress::LocalFile:
        WebBrowser1->navigate(verdict.url.toLocalFile(), body, headers, title);
        break;
    case OpenAddress::Mail:
        desktopOpener(verdict.url);
        break;
    case OpenAddress::Refused:
        statusPanels[0]->setText(verdict.reason);
        statusPanels[0]->setToolTip(verdict.reason);
        break;
    }
}

void TFrm_Browser::Prewarm()
{
    WebBrowser1->prewarm();
}

void TFrm_Browser::closeEvent(QCloseEvent *event)
{
    // The start-up window keeps its engine and player ready for the next
    // item; a window made for one page goes with its page.
    if (m_marker == kOnDemandMarker)
        WebBrowser1->navigate(QStringLiteral("about:blank"));
    else
        WebBrowser1->park();
    SkinnedWindow::closeEvent(event);
}

void TFrm_Browser::WebBrowser1TitleChange(const QString &title)
{
    // The frame fits the caption label to the width whenever the title changes.
    setWindowTitle(QStringLiteral("Zanto 浏览器[%1]").arg(title));
}

void TFrm_Browser::WebBrowser1CommandStateChange(int command, bool enabled)
{
    switch (command) {
    case -1:
        sb_Stop->setEnabled(WebBrowser1->busy());
        break;
    case 1:
        sb_Forward->setEnabled(enabled);
        break;
    case 2:
        sb_Back->setEnabled(enabled);
        break;
    default:
        break;
    }
}

void TFrm_Browser::WebBrowser1ProgressChange(int progress, int maximum)
{
    ProgressBar2->setMinimum(0);
    ProgressBar2->setMaximum(maximum);
    ProgressBar2->setValue(progress);
}
