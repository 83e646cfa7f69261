#include "server/PostdataDialog.h"

#include "browser/WebView.h"
#include "platform/Prompter.h"
#include "server/ResultCode.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

TFrm_Postdata::TFrm_Postdata(platform::Prompter &prompter, browser::PlayerServer &player, const QString &site,
                             QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_prompter(prompter), m_site(site)
{
    setObjectName(QStringLiteral("Frm_Postdata"));
    setWindowTitle(QStringLiteral("提示"));
    setFixedSize(255, 101);

    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setGeometry(0, 0, 255, 101);
    Panel1 = panel;

    // The web view does the work out of sight.
    WebBrowser1 = new browser::WebView(player, this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setGeometry(17, 0, 10, 0);

    Label1 = new QLabel(QStringLiteral("状态：  正在发送..."), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(32, 16);
    Label2 = new QLabel(QStringLiteral("进度："), Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(32, 40);
    Label2->adjustSize();
    ProgressBar1 = new QProgressBar(Panel1);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(80, 37, 129, 18);
    Button2 = new QPushButton(QStringLiteral("取消&C)"), Panel1);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(136, 68, 75, 25);
    Button2->setDefault(true);
    Button2->setAutoDefault(true);

    connect(Button2, &QPushButton::clicked, this, &TFrm_Postdata::Button2Click);
    connect(WebBrowser1, &browser::WebView::progressChanged, this, &TFrm_Postdata::WebBrowser1ProgressChange);
    connect(WebBrowser1, &browser::WebView::documentComplete, this, [this](const QUrl &url, bool ok) {
        // The blank page that ends a post is no answer to the next one.
        if (url != QUrl(QStringLiteral("about:blank")))
            WebBrowser1DocumentComplete(ok);
    });
}

int TFrm_Postdata::PostForm(const QString &page, const QString &status, const server::FormPairs &pairs)
{
    const QByteArray body = server::buildFormBody(pairs);
    Label1->setText(status);
    Label1->adjustSize();
    ++m_post;
    m_waiting = true;
    WebBrowser1->navigate(m_site + page, body, server::formHeader());
    exec();
    const int code = GetResultCode();
    if (code != server::kSuccess)
        ShowResultMessage(m_prompter, code);
    return code;
}

void TFrm_Postdata::showEvent(QShowEvent *event)
{
    ResultCode = server::kNoAnswer;
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

void TFrm_Postdata::Button2Click()
{
    ResultCode = server::kNoAnswer;
    close();
}

void TFrm_Postdata::WebBrowser1ProgressChange(int progress, int maximum)
{
    ProgressBar1->setMaximum(maximum);
    ProgressBar1->setValue(progress);
}

// The first completed page ends the wait, whatever it holds.
void TFrm_Postdata::WebBrowser1DocumentComplete(bool ok)
{
    if (!m_waiting)
        return;
    m_waiting = false;
    const quint64 post = m_post;
    QPointer<TFrm_Postdata> self(this);
    WebBrowser1->toPlainText([self, post, ok](const QString &text) {
        if (!self || self->m_post != post || !self->isVisible())
            return;
        // A page that did not load at all stands for the engine's own error
        // page, which holds no code.
        self->ResultCode = ok || !text.isEmpty() ? server::readResultCode(text, self->ResultCode) : server::kUnreadable;
        self->close();
    });
}

// Every way of closing ends here: a load still under way is abandoned. A
// finished one is left alone, so that no late blank page can cut into the
// next post.
void TFrm_Postdata::done(int result)
{
    m_waiting = false;
    ++m_post;
    if (WebBrowser1->busy())
        WebBrowser1->navigate(QStringLiteral("about:blank"));
    QDialog::done(result);
}
