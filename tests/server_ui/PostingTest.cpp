// Posting a form through the hidden web view and reading the site's answer,
// over real HTTP: every code, pages that hold none, a site that is down, and
// cancelling while the answer is held back.
#include "ScriptedPrompter.h"
#include "SiteHome.h"
#include "Wait.h"

#include "browser/WebView.h"
#include "server/PostdataDialog.h"
#include "server/ResultCode.h"

#include <QHostAddress>
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// A page of a server that answers with the text it is told to, and keeps
// what each post brought.
struct AnswerServer
{
    AnswerServer()
    {
        http.route(QStringLiteral("/answer"), [this](const QHttpServerRequest &request) {
            bodies << request.body();
            for (const auto &[name, value] : request.headers()) {
                if (name.compare("Content-Type", Qt::CaseInsensitive) == 0)
                    contentTypes << value;
            }
            methods << (request.method() == QHttpServerRequest::Method::Post ? "POST" : "other");
            return QHttpServerResponse(QByteArrayLiteral("text/html; charset=utf-8"), answer.toUtf8());
        });
        auto *listener = new QTcpServer(&http);
        if (!listener->listen(QHostAddress::LocalHost))
            ADD_FAILURE() << "cannot listen";
        http.bind(listener);
        base = QStringLiteral("http://127.0.0.1:%1/").arg(listener->serverPort());
    }
    QHttpServer http;
    QString base;
    QString answer;
    QByteArrayList bodies;
    QByteArrayList contentTypes;
    QByteArrayList methods;
};

class Posting : public ::testing::Test
{
protected:
    int post(TFrm_Postdata &dialog, const server::FormPairs &pairs)
    {
        return dialog.PostForm(QStringLiteral("answer"), QStringLiteral("状态：  正在发送..."), pairs);
    }
    ScriptedPrompter prompter;
};

TEST_F(Posting, LaysOutTheWaitingDialog)
{
    TFrm_Postdata dialog(prompter, siteHome().player, siteHome().base());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("提示"));
    EXPECT_EQ(dialog.size(), QSize(255, 101));
    EXPECT_TRUE(dialog.windowFlags() & Qt::Tool);
    EXPECT_EQ(dialog.Label1->text(), QStringLiteral("状态：  正在发送..."));
    EXPECT_EQ(dialog.Label1->pos(), QPoint(32, 16));
    EXPECT_EQ(dialog.Label2->text(), QStringLiteral("进度："));
    EXPECT_EQ(dialog.Label2->pos(), QPoint(32, 40));
    EXPECT_EQ(dialog.ProgressBar1->geometry(), QRect(80, 37, 129, 18));
    EXPECT_EQ(dialog.Button2->geometry(), QRect(136, 68, 75, 25));
    EXPECT_EQ(dialog.Button2->text(), QStringLiteral("取消&C)"));
    EXPECT_TRUE(dialog.Button2->isDefault());
    EXPECT_EQ(dialog.GetResultCode(), server::kNoAnswer);
}

TEST_F(Posting, EveryAnswerReachesItsOutcome)
{
    AnswerServer server;
    TFrm_Postdata dialog(prompter, siteHome().player, server.base);
    const QString failed = QStringLiteral("对不起，数据发送失败!");
    const QString unknown = QStringLiteral("不明错误，请通知管理员！");
    struct Case
    {
        QString page;
        int code;
        QString message; // empty: none
    };
    const Case cases[] = {
        {QStringLiteral("0"), 0, {}},
        {QStringLiteral("<p>  0 </p><p>欢迎</p>"), 0, {}},
        {QStringLiteral("1"), 1, QStringLiteral("对不起，您输入的参数不足!")},
        {QStringLiteral("2"), 2, QStringLiteral("对不起，您的用户名已经存在，请重新填写！")},
        {QStringLiteral("3<br>用户名或口令不正确"), 3, QStringLiteral("对不起，您的用户名或密码不正确！")},
        {QStringLiteral("4"), 4, QStringLiteral("对不起，您的口令不正确！")},
        {QStringLiteral("5"), 5, unknown},
        {QStringLiteral("99999"), 99999, {}},
        {QStringLiteral("OK"), -1, failed},
        {QString(), 99999, {}},
    };
    // The bar's values as each post goes: from nothing back up to full.
    QList<int> barValues;
    QObject::connect(dialog.ProgressBar1, &QProgressBar::valueChanged, [&barValues](int v) { barValues << v; });
    for (const Case &c : cases) {
        server.answer = c.page;
        prompter.asked.clear();
        const int code = post(dialog, {{QStringLiteral("a"), QStringLiteral("中 文&=%+")}, {QStringLiteral("b"), {}}});
        EXPECT_EQ(code, c.code) << c.page.toStdString();
        EXPECT_FALSE(dialog.isVisible());
        if (c.message.isEmpty()) {
            EXPECT_TRUE(prompter.asked.isEmpty()) << c.page.toStdString();
        } else {
            ASSERT_EQ(prompter.asked.size(), 1) << c.page.toStdString();
            EXPECT_EQ(prompter.asked.constFirst().text, c.message);
            EXPECT_EQ(prompter.asked.constFirst().title, QStringLiteral("提示"));
            EXPECT_EQ(prompter.asked.constFirst().icon, platform::Prompter::Icon::Error);
        }
    }
    // Each was one real POST of the GBK body with one well-formed header.
    ASSERT_EQ(server.bodies.size(), std::size(cases));
    for (qsizetype i = 0; i < server.bodies.size(); ++i) {
        EXPECT_EQ(server.methods.at(i), "POST");
        EXPECT_EQ(server.bodies.at(i), "a=%D6%D0+%CE%C4%26%3D%25%2B&b=");
        EXPECT_EQ(server.contentTypes.at(i), "application/x-www-form-urlencoded");
    }
    // The bar followed the engine's progress: each post ran it from empty to full.
    EXPECT_EQ(dialog.ProgressBar1->maximum(), 100);
    EXPECT_EQ(dialog.ProgressBar1->value(), 100);
    EXPECT_GE(barValues.count(0), qsizetype(std::size(cases)) - 1) << "the bar starts afresh with each post";
    EXPECT_EQ(barValues.count(100), qsizetype(std::size(cases)));
}

TEST_F(Posting, ASiteThatIsDownGivesTheFailureMessage)
{
    // A port that was just free: nothing listens there.
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    TFrm_Postdata dialog(prompter, siteHome().player, QStringLiteral("http://127.0.0.1:%1/").arg(port));
    EXPECT_EQ(post(dialog, {{QStringLiteral("x"), QStringLiteral("1")}}), server::kUnreadable);
    ASSERT_EQ(prompter.asked.size(), 1);
    EXPECT_EQ(prompter.asked.constFirst().text, QStringLiteral("对不起，数据发送失败!"));
}

TEST_F(Posting, CancelEnterAndClosingEndTheWaitWithoutAMessage)
{
    // A server that takes the request and never answers.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    QList<QTcpSocket *> held;
    QObject::connect(&silent, &QTcpServer::newConnection, [&] {
        while (QTcpSocket *s = silent.nextPendingConnection())
            held << s;
    });
    TFrm_Postdata dialog(prompter, siteHome().player, QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort()));
    const std::function<void()> ways[] = {
        [&] { QTest::mouseClick(dialog.Button2, Qt::LeftButton); },
        [&] { QTest::keyClick(&dialog, Qt::Key_Return); },
        [&] { dialog.close(); },
    };
    for (const auto &way : ways) {
        const qsizetype before = held.size();
        // Once the request is held, the user gives up.
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (held.size() > before && dialog.isVisible()) {
                poll.stop();
                way();
            }
        });
        poll.start(20);
        EXPECT_EQ(post(dialog, {{QStringLiteral("x"), QStringLiteral("1")}}), server::kNoAnswer);
        EXPECT_TRUE(prompter.asked.isEmpty());
        EXPECT_GT(held.size(), before);
        // The load was abandoned for a blank page.
        EXPECT_TRUE(waitFor([&] { return dialog.WebBrowser1->url() == QUrl(QStringLiteral("about:blank")); }));
    }
    qDeleteAll(held);
}

} // namespace
