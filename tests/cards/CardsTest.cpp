// Greeting cards through the whole program and the real demo site: the
// offer of a login to an offline user, the checks of the four inputs, what
// the site receives, the record of each card, the preview, and the card
// asked for from the browser window.
#include "ModalScript.h"
#include "PlayerColour.h"
#include "ProgramOnSite.h"
#include "samples/SampleSwf.h"

#include "SiteFrame.h"
#include "browser/BrowserWindow.h"
#include "browser/WebView.h"
#include "server/PostdataDialog.h"
#include "server/SendtoDialog.h"

#include <QAction>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include <memory>

namespace {

const QString kOfflineQuestion = QStringLiteral("您现在处于离线状态不能发送贺卡，需要重新登陆,您现在准备登陆吗！");

// Texts that need care on the way: quotes, "&", "=", "%", "+", Chinese,
// several lines.
const QString kMail = QStringLiteral("o'neil+tag@例子.cn");
const QString kName = QStringLiteral("张 & 李 = 100%");
const QString kBody = QStringLiteral("第一行\r\n\"第二行\" a=b&c\r\n%20");
const QString kFrom = QStringLiteral("小明");
// The same as the site must receive them: GBK bytes, URL-encoded.
const QByteArray kEncodedTexts = "&ToMail=o'neil%2Btag@%C0%FD%D7%D3.cn&ToName=%D5%C5+%26+%C0%EE+%3D+100%25"
                                 "&ToBody=%B5%DA%D2%BB%D0%D0%0D%0A%22%B5%DA%B6%FE%D0%D0%22+a%3Db%26c%0D%0A%2520"
                                 "&FromName=%D0%A1%C3%F7";

class Cards : public ProgramOnSite
{
protected:
    TFrm_Sendto &cards() { return *program->Frm_Sendto(); }

    // Types the four inputs as a person does, the message line by line.
    void type(const QString &mail, const QString &name, const QString &body, const QString &from)
    {
        typeInto(cards().ed_ToEmail, mail);
        typeInto(cards().ed_ToName, name);
        const QStringList lines = body.split(QStringLiteral("\r\n"));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(cards().ed_Memo, Qt::Key_Return);
            typeInto(cards().ed_Memo, lines.at(i));
        }
        typeInto(cards().ed_Fromname, from);
    }
    static QStringList sentCards()
    {
        return rows(QStringLiteral("SELECT ToName, Filename, ToMail, FromName, Tobody, SendFlag, SendDate"
                                   " FROM tb_SendCards ORDER BY CardID"));
    }
    static QString record(const QString &item, const QString &sent = QString())
    {
        return QStringList{kName, item, kMail, kFrom, kBody, QStringLiteral("1"), sent}.join(u'|');
    }
    // The records' texts without their dates.
    static QStringList withoutDates(QStringList records)
    {
        for (QString &r : records)
            r = r.left(r.lastIndexOf(u'|') + 1);
        return records;
    }
    // Whatever happens, the posting dialog must not wait for ever: past 30 s
    // the test fails and the dialog is closed.
    std::unique_ptr<QTimer> guardPosting()
    {
        auto guard = std::make_unique<QTimer>();
        guard->setSingleShot(true);
        QObject::connect(guard.get(), &QTimer::timeout, [this] {
            ADD_FAILURE() << "the posting dialog waited on";
            program->Frm_Postdata()->close();
        });
        guard->start(30000);
        return guard;
    }
};

TEST_F(Cards, TheDialogIsLaidOutWithItsTabOrder)
{
    TFrm_Sendto &d = cards();
    EXPECT_EQ(d.windowTitle(), QStringLiteral("发送"));
    EXPECT_EQ(d.size(), QSize(325, 275));
    const std::tuple<QWidget *, QRect, QString> places[] = {
        {d.ed_Filename, QRect(104, 24, 185, 20), QStringLiteral("发送：")},
        {d.ed_ToEmail, QRect(104, 53, 185, 20), QStringLiteral("对方Email：")},
        {d.ed_ToName, QRect(104, 85, 185, 20), QStringLiteral("对方称呼：")},
        {d.ed_Memo, QRect(104, 117, 185, 68), QStringLiteral("留言：")},
        {d.ed_Fromname, QRect(104, 197, 185, 20), QStringLiteral("签名：")},
        {d.btn_Preview, QRect(40, 232, 75, 25), QStringLiteral("预览(&P)")},
        {d.btn_Send, QRect(128, 232, 75, 25), QStringLiteral("发送(&S)")},
        {d.btn_Cancel, QRect(216, 232, 75, 25), QStringLiteral("关闭(&C)")},
    };
    for (const auto &[widget, place, caption] : places) {
        EXPECT_EQ(widget->geometry(), place) << caption.toStdString();
        if (auto *button = qobject_cast<QPushButton *>(widget)) {
            EXPECT_EQ(button->text(), caption);
        } else {
            const auto *label = d.findChild<QLabel *>(QStringLiteral("lab_") + widget->objectName());
            ASSERT_TRUE(label);
            EXPECT_EQ(label->text(), caption);
            EXPECT_EQ(label->x(), 32);
        }
    }
    EXPECT_TRUE(d.btn_Send->isDefault());
    EXPECT_FALSE(d.ed_Filename->isEnabled());
    const QList<QWidget *> order = {d.ed_ToEmail, d.ed_ToName,  d.ed_Memo,     d.ed_Fromname,
                                    d.btn_Send,   d.btn_Cancel, d.ed_Filename, d.btn_Preview};
    for (qsizetype i = 0; i + 1 < order.size(); ++i) {
        // Labels and the memo's own parts do not take the focus.
        QWidget *next = order.at(i)->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus || order.at(i)->isAncestorOf(next))
            next = next->nextInFocusChain();
        EXPECT_EQ(next, order.at(i + 1)) << i;
    }
}

TEST_F(Cards, AnOfflineUserIsOfferedALoginAndGetsTheDialogOnlyOnceOnline)
{
    ModalScript script;
    bool dialogShown = false;
    const auto noDialog = [&](QWidget *w) {
        dialogShown = true;
        w->close();
    };

    // No: nothing more.
    prompter.answers = {platform::Prompter::Answer::No};
    recommendRow(0);
    ASSERT_EQ(prompter.asked.size(), 1);
    EXPECT_EQ(prompter.asked.at(0).title, QStringLiteral("提示"));
    EXPECT_EQ(prompter.asked.at(0).text, kOfflineQuestion);
    EXPECT_EQ(prompter.asked.at(0).icon, platform::Prompter::Icon::Information);
    EXPECT_EQ(prompter.asked.at(0).buttons, platform::Prompter::Buttons::YesNo);

    // Yes, then the login is cancelled, or made offline again.
    script
        .then(QStringLiteral("Frm_Login"),
              [](QWidget *w) {
                  QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("Button2")), Qt::LeftButton);
              })
        .then(QStringLiteral("Frm_Login"), [](QWidget *w) { logIn(w, QString(), QString(), true); })
        .then(QStringLiteral("Frm_Sendto"), noDialog);
    for (int i = 0; i < 2; ++i) {
        prompter.answers = {platform::Prompter::Answer::Yes};
        recommendRow(0);
    }
    EXPECT_EQ(script.pending(), 1) << "both logins were shown";
    EXPECT_FALSE(main->login.IsOnline);
    EXPECT_EQ(prompter.asked.size(), 3);

    // Yes, then an online login: the dialog comes for the same item, empty.
    const QString item = rowName(2);
    script.clear();
    script
        .then(QStringLiteral("Frm_Login"),
              [](QWidget *w) { logIn(w, QStringLiteral("demo"), QStringLiteral("demo"), false); })
        .then(QStringLiteral("Frm_Sendto"), [&](QWidget *w) {
            EXPECT_EQ(cards().ed_Filename->text(), item);
            EXPECT_FALSE(cards().ed_Filename->isEnabled());
            EXPECT_EQ(cards().CardFileID, rowId(2));
            EXPECT_TRUE(cards().ed_ToEmail->text().isEmpty());
            EXPECT_EQ(QApplication::focusWidget(), cards().ed_ToEmail);
            type(QStringLiteral("a@b.cn"), QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z"));
            w->close();
        });
    prompter.answers = {platform::Prompter::Answer::Yes};
    recommendRow(2);
    EXPECT_TRUE(script.finished());
    EXPECT_TRUE(main->login.IsOnline);
    EXPECT_EQ(main->login.LoggedInUser, QStringLiteral("demo"));

    // Online now: straight to the dialog, whose inputs start empty again.
    script.clear();
    script.then(QStringLiteral("Frm_Sendto"), [&](QWidget *w) {
        EXPECT_EQ(cards().ed_Filename->text(), rowName(1));
        for (const QLineEdit *edit : {cards().ed_ToEmail, cards().ed_ToName, cards().ed_Fromname})
            EXPECT_TRUE(edit->text().isEmpty());
        EXPECT_TRUE(cards().ed_Memo->toPlainText().isEmpty());
        w->close();
    });
    recommendRow(1);
    EXPECT_TRUE(script.finished());
    EXPECT_FALSE(dialogShown);
    EXPECT_EQ(prompter.asked.size(), 4) << "no question when online";
    EXPECT_TRUE(sentCards().isEmpty());
}

TEST_F(Cards, SendingChecksTheInputsPostsThemByteExactAndRecordsEachCard)
{
    // A site that does not know the session refuses the card: nothing is
    // recorded and the inputs stay.
    main->login.IsOnline = true;
    ModalScript script;
    script.then(QStringLiteral("Frm_Sendto"), [&](QWidget *w) {
        type(kMail, kName, kBody, kFrom);
        QTest::mouseClick(cards().btn_Send, Qt::LeftButton);
        ASSERT_FALSE(prompter.asked.isEmpty());
        EXPECT_EQ(prompter.asked.constLast().text, QStringLiteral("对不起，您的用户名或密码不正确！"));
        EXPECT_EQ(cards().ed_ToName->text(), kName);
        w->close();
    });
    recommendRow(0);
    ASSERT_TRUE(script.finished());
    EXPECT_TRUE(sentCards().isEmpty());
    main->login.IsOnline = false;

    const QString item = rowName(3);
    const QByteArray expectedBody = "FileID=" + QByteArray::number(rowId(3)) + kEncodedTexts;
    prompter.asked.clear();
    script.clear();
    script
        .then(QStringLiteral("Frm_Login"),
              [](QWidget *w) { logIn(w, QStringLiteral("demo"), QStringLiteral("demo"), false); })
        .then(QStringLiteral("Frm_Sendto"), [&](QWidget *w) {
            prompter.asked.clear();
            siteHome().site->clearRequests();
            // Each blank input in turn: its message, the focus on it, nothing sent.
            const std::pair<QWidget *, QString> checks[] = {
                {cards().ed_ToEmail, QStringLiteral("对方Email不能为空，请重新填写。")},
                {cards().ed_ToName, QStringLiteral("对方称呼不能为空，请重新填写。")},
                {cards().ed_Memo, QStringLiteral("留言不能为空，请重新填写。")},
                {cards().ed_Fromname, QStringLiteral("签名不能为空，请重新填写。")},
            };
            // Blanks, lines of blanks included, count as empty.
            typeInto(cards().ed_ToEmail, QStringLiteral("   "));
            cards().ed_Memo->setPlainText(QStringLiteral("  \n "));
            for (const auto &[field, message] : checks) {
                QTest::mouseClick(cards().btn_Send, Qt::LeftButton);
                ASSERT_FALSE(prompter.asked.isEmpty());
                EXPECT_EQ(prompter.asked.constLast().text, message);
                EXPECT_EQ(prompter.asked.constLast().icon, platform::Prompter::Icon::None);
                EXPECT_EQ(QApplication::focusWidget(), field);
                if (auto *line = qobject_cast<QLineEdit *>(field))
                    line->setText(QStringLiteral("x"));
                else
                    static_cast<QPlainTextEdit *>(field)->setPlainText(QStringLiteral("x"));
            }
            EXPECT_EQ(prompter.asked.size(), 4);
            EXPECT_TRUE(requestsTo("POST", "/Cards/").isEmpty());

            for (QLineEdit *edit : {cards().ed_ToEmail, cards().ed_ToName, cards().ed_Fromname})
                edit->clear();
            cards().ed_Memo->clear();
            type(kMail, kName, kBody, kFrom);
            EXPECT_TRUE(requestsTo("POST", "/Cards/").isEmpty()) << "Enter in the message is a new line";
            keepPicture(*w, QStringLiteral("card-dialog.png"));
            prompter.asked.clear();
            QTest::mouseClick(cards().btn_Send, Qt::LeftButton);
            QTest::keyClick(cards().ed_ToEmail, Qt::Key_Return); // the default button: a second send
            ASSERT_EQ(prompter.asked.size(), 2);
            for (const auto &asked : std::as_const(prompter.asked)) {
                EXPECT_EQ(asked.text, QStringLiteral("贺卡已经发送到对方的邮箱！"));
                EXPECT_EQ(asked.icon, platform::Prompter::Icon::Information);
            }
            const auto posts = requestsTo("POST", "/Cards/PostCards.asp");
            ASSERT_EQ(posts.size(), 2);
            for (const ReceivedRequest &post : posts) {
                EXPECT_EQ(post.body, expectedBody);
                EXPECT_TRUE(post.header("Content-Type").startsWith("application/x-www-form-urlencoded"));
            }
            EXPECT_EQ(cards().ed_ToName->text(), kName) << "the inputs stay after a send";

            // The preview: a plain GET of the same fields; nothing recorded.
            program->Frm_Browser()->resize(640, 560);
            QTest::mouseClick(cards().btn_Preview, Qt::LeftButton);
            EXPECT_TRUE(waitFor([] { return !requestsTo("GET", "/Cards/PreviewCard.asp?").isEmpty(); }, 20000));
            w->close();
        });
    prompter.answers = {platform::Prompter::Answer::Yes};
    recommendRow(3);
    ASSERT_TRUE(script.finished());

    const QStringList records = sentCards();
    EXPECT_EQ(withoutDates(records), withoutDates({record(item), record(item)}));
    ASSERT_EQ(records.size(), 2);
    EXPECT_NE(records.at(0), records.at(1)) << "each card has its own time";

    const auto previews = requestsTo("GET", "/Cards/PreviewCard.asp?");
    ASSERT_EQ(previews.size(), 1);
    EXPECT_TRUE(previews.at(0).body.isEmpty());
    const QByteArray query = previews.at(0).target.mid(previews.at(0).target.indexOf('?') + 1);
    EXPECT_EQ(site::parseForm(query).pairs, site::parseForm(expectedBody).pairs);
    TFrm_Browser &browser = *program->Frm_Browser();
    EXPECT_TRUE(browser.isVisible());
    const QString text = pageTextWith(*browser.WebBrowser1, QStringLiteral("第二行"));
    EXPECT_TRUE(text.contains(QStringLiteral("亲爱的 ") + kName)) << text.toStdString();
    EXPECT_EQ(sentCards().size(), 2) << "a preview records nothing";
    EXPECT_GT(waitForColour(browser, backgroundOf(samples::sampleSwf(rowId(3)))), 200) << "the item plays";
    keepPicture(browser, QStringLiteral("card-preview.png"));
    browser.close();
}

TEST_F(Cards, TheBrowserWindowSendsThePageItShowsAndARecordThatFailsIsReported)
{
    // A recommended page is shown with item number 0.
    TFrm_Browser &browser = *program->Frm_Browser();
    browser.ShowItemPage(siteHome().base() + QStringLiteral("echo"), QStringLiteral("精彩网站推荐"), 0);
    ASSERT_TRUE(browser.sb_recommend->isVisible());

    ModalScript script;
    script
        .then(QStringLiteral("Frm_Login"),
              [](QWidget *w) { logIn(w, QStringLiteral("demo"), QStringLiteral("demo"), false); })
        .then(QStringLiteral("Frm_Sendto"), [&](QWidget *w) {
            EXPECT_EQ(cards().ed_Filename->text(), QStringLiteral("精彩网站推荐"));
            EXPECT_EQ(cards().CardFileID, 0);
            type(kMail, kName, kBody, kFrom);
            siteHome().site->clearRequests();
            QTest::mouseClick(cards().btn_Send, Qt::LeftButton);
            // The table of sent cards is gone when the second card is recorded.
            execute(QStringLiteral("ALTER TABLE tb_SendCards RENAME TO tb_SendCards_aside"));
            QTest::mouseClick(cards().btn_Send, Qt::LeftButton);
            execute(QStringLiteral("ALTER TABLE tb_SendCards_aside RENAME TO tb_SendCards"));
            w->close();
        });
    prompter.answers = {platform::Prompter::Answer::Yes};
    QTest::mouseClick(browser.sb_recommend, Qt::LeftButton);
    ASSERT_TRUE(script.finished());

    const auto posts = requestsTo("POST", "/Cards/PostCards.asp");
    ASSERT_EQ(posts.size(), 2);
    EXPECT_EQ(posts.at(0).body, "FileID=0" + kEncodedTexts);
    // The first send is recorded; the second is told as sent, then the error.
    EXPECT_EQ(withoutDates(sentCards()), withoutDates({record(QStringLiteral("精彩网站推荐"))}));
    ASSERT_EQ(prompter.asked.size(), 4); // the question, sent, sent, the error
    EXPECT_EQ(prompter.asked.at(2).text, QStringLiteral("贺卡已经发送到对方的邮箱！"));
    EXPECT_EQ(prompter.asked.at(3).title, QStringLiteral("错误"));
    EXPECT_FALSE(prompter.asked.at(3).text.isEmpty());
    browser.close();
}

// A site that takes every request and never answers it; closed, it refuses
// them.
class SilentSite final
{
public:
    SilentSite()
    {
        server.listen(QHostAddress::LocalHost);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *socket = server.nextPendingConnection())
                QObject::connect(socket, &QTcpSocket::readyRead, [this, socket] { read(socket); });
        });
    }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1/").arg(server.serverPort()); }
    // Posts of cards that reached the site so far.
    int cardPosts() const { return int(received.count("POST /Cards/PostCards.asp")); }
    void stop() { server.close(); }
    // From now on each whole request is answered with the success code.
    void answerFromNow() { answering = true; }

private:
    void read(QTcpSocket *socket)
    {
        const QByteArray bytes = socket->readAll();
        received += bytes;
        QByteArray &mine = pending[socket];
        mine += bytes;
        const qsizetype head = mine.indexOf("\r\n\r\n");
        if (!answering || head < 0)
            return;
        const qsizetype at = mine.toLower().indexOf("content-length:");
        const qsizetype length = at < 0 ? 0 : mine.mid(at + 15, mine.indexOf("\r\n", at) - at - 15).trimmed().toInt();
        if (mine.size() - head - 4 < length)
            return;
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 1\r\nConnection: close\r\n\r\n0");
        socket->disconnectFromHost();
    }

    QTcpServer server;
    QByteArray received;
    QHash<QTcpSocket *, QByteArray> pending;
    bool answering = false;
};

TEST_F(Cards, ACancelledSendOrASiteThatIsDownRecordsNothing)
{
    SilentSite site;
    const QString down = site.base();
    site.stop();
    // The program on a site that is down, then on one that never answers.
    for (const QString &address : {down, QString()}) {
        const bool cancelled = address.isEmpty();
        SCOPED_TRACE(cancelled ? "cancelled" : "site down");
        SilentSite silent;
        startProgram(cancelled ? silent.base() : address);
        main->login.IsOnline = true;
        prompter.asked.clear();
        TFrm_Postdata &poster = *program->Frm_Postdata();
        int code = 0;
        ModalScript script;
        script.then(QStringLiteral("Frm_Sendto"), [&](QWidget *w) {
            type(kMail, kName, kBody, kFrom);
            const auto guard = guardPosting();
            QTest::mouseClick(cards().btn_Send, Qt::LeftButton);
            code = poster.GetResultCode();
            EXPECT_EQ(cards().ed_ToName->text(), kName) << "the inputs stay";
            w->close();
        });
        if (cancelled) {
            // The person gives up while the site holds the card.
            script.then(QStringLiteral("Frm_Postdata"), [&](QWidget *w) {
                EXPECT_TRUE(waitFor([&] { return silent.cardPosts() == 1; }, 20000)) << "the card went out";
                EXPECT_EQ(poster.Label1->text(), QStringLiteral("状态：  正在发送..."));
                QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("Button2")), Qt::LeftButton);
            });
        }
        recommendRow(0);
        ASSERT_TRUE(script.finished()) << script.pending() << " steps left";

        if (cancelled) {
            EXPECT_EQ(code, 99999);
            EXPECT_TRUE(prompter.asked.isEmpty()) << "a cancelled send says nothing";
        } else {
            EXPECT_EQ(code, -1);
            ASSERT_EQ(prompter.asked.size(), 1);
            EXPECT_EQ(prompter.asked.at(0).title, QStringLiteral("提示"));
            EXPECT_EQ(prompter.asked.at(0).text, QStringLiteral("对不起，数据发送失败!"));
            EXPECT_EQ(prompter.asked.at(0).icon, platform::Prompter::Icon::Error);
        }
        EXPECT_TRUE(sentCards().isEmpty()) << "no card was recorded";
    }
}

TEST_F(Cards, ASendRightAfterACancelledOneGoesOut)
{
    SilentSite site;
    startProgram(site.base());
    main->login.IsOnline = true;
    prompter.asked.clear();
    ModalScript script;
    script.then(QStringLiteral("Frm_Sendto"), [&](QWidget *w) {
        type(kMail, kName, kBody, kFrom);
        const auto guard = guardPosting();
        QTest::mouseClick(cards().btn_Send, Qt::LeftButton);
        // Given up on; the site answers from now on, and the person sends again at once.
        site.answerFromNow();
        QTest::mouseClick(cards().btn_Send, Qt::LeftButton);
        w->close();
    });
    script.then(QStringLiteral("Frm_Postdata"), [&](QWidget *w) {
        EXPECT_TRUE(waitFor([&] { return site.cardPosts() == 1; }, 20000)) << "the first card went out";
        QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("Button2")), Qt::LeftButton);
    });
    recommendRow(0);
    ASSERT_TRUE(script.finished()) << script.pending() << " steps left";
    EXPECT_EQ(site.cardPosts(), 2);
    ASSERT_EQ(prompter.asked.size(), 1);
    EXPECT_EQ(prompter.asked.at(0).text, QStringLiteral("贺卡已经发送到对方的邮箱！"));
    EXPECT_EQ(sentCards().size(), 1) << "the card sent is recorded once";
}

} // namespace
