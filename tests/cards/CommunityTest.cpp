// The community panel through the whole program and the real demo site: its
// nine pages, each requested with a POST of the login of the moment.
#include "ModalScript.h"
#include "ProgramOnSite.h"

#include "SiteAccounts.h"
#include "browser/BrowserWindow.h"
#include "browser/WebView.h"
#include "server/ClubPanel.h"

#include <QListWidget>
#include <QMouseEvent>

namespace {

class Community : public ProgramOnSite
{
protected:
    QListWidget &list() { return *main->pal_Club->lv_Club; }
    // The pointer moves over the list with no button held.
    void hover(QPoint at)
    {
        QMouseEvent move(QEvent::MouseMove, at, list().viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(list().viewport(), &move);
    }
    QPoint centreOf(int entry) { return list().visualItemRect(list().item(entry)).center(); }

    // Double-clicks an entry with the mouse and waits for the page to be
    // asked for; answers the request, or nothing when none came.
    std::optional<ReceivedRequest> open(int entry)
    {
        siteHome().site->clearRequests();
        QTest::mouseClick(list().viewport(), Qt::LeftButton, {}, centreOf(entry));
        QTest::mouseDClick(list().viewport(), Qt::LeftButton, {}, centreOf(entry));
        if (!waitFor([] { return !requestsTo("POST", "/zc/").isEmpty(); }, 20000))
            return std::nullopt;
        return requestsTo("POST", "/zc/").constFirst();
    }
    QString pageText(const QString &wanted) { return pageTextWith(*program->Frm_Browser()->WebBrowser1, wanted); }
};

TEST_F(Community, ListsTheNinePagesAsLargeIcons)
{
    main->sbt_c5Click();
    EXPECT_EQ(main->frontPanel(), main->pal_Club);
    EXPECT_EQ(main->pal_Club->lab_Club->text(), QStringLiteral("Zanto社区-列表"));
    EXPECT_EQ(list().viewMode(), QListView::IconMode);
    const std::pair<QString, QString> pages[] = {
        {QStringLiteral("社区主页"), QStringLiteral("zc/index.asp")},
        {QStringLiteral("在线用户"), QStringLiteral("zc/online.asp")},
        {QStringLiteral("发贴排行"), QStringLiteral("zc/toplist.asp?orders=1")},
        {QStringLiteral("我的留言"), QStringLiteral("zc/usersms.asp")},
        {QStringLiteral("查看新贴"), QStringLiteral("zc/queryresult.asp?stype=3")},
        {QStringLiteral("个人信息"), QStringLiteral("zc/MYMODIFY.ASP")},
        {QStringLiteral("好友列表"), QStringLiteral("zc/friendlist.asp")},
        {QStringLiteral("我参与的主题"), QStringLiteral("zc/topicwithme.asp?s=1")},
        {QStringLiteral("已被回复的我的发言"), QStringLiteral("zc/topicwithme.asp?s=2")},
    };
    ASSERT_EQ(list().count(), int(std::size(pages)));
    for (int i = 0; i < list().count(); ++i) {
        EXPECT_EQ(list().item(i)->text(), pages[i].first);
        EXPECT_EQ(list().item(i)->data(Qt::UserRole).toString(), siteHome().base() + pages[i].second);
        EXPECT_FALSE(list().item(i)->icon().isNull());
    }
}

TEST_F(Community, EachPageIsPostedWithTheLoginOfTheMoment)
{
    TFrm_Browser &browser = *program->Frm_Browser();
    main->sbt_c5Click();

    // After the offline login at start: both names with nothing after them,
    // and the site shows its guest view.
    auto request = open(3);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->target, "/zc/usersms.asp");
    EXPECT_EQ(request->body, "username=&password=");
    EXPECT_TRUE(request->header("Content-Type").startsWith("application/x-www-form-urlencoded"));
    EXPECT_TRUE(pageText(QStringLiteral("需要先登陆")).contains(QStringLiteral("游客")));
    browser.close();

    // Only a double-click on the focused entry counts: not on another
    // entry, not on empty space.
    siteHome().site->clearRequests();
    list().setCurrentRow(1);
    for (const QPoint at : {centreOf(4), QPoint(list().viewport()->width() - 2, list().viewport()->height() - 2)}) {
        hover(at);
        main->pal_Club->lv_ClubDblClick();
    }
    list().setCurrentItem(nullptr);
    hover(centreOf(1));
    main->pal_Club->lv_ClubDblClick();
    QTest::qWait(300);
    for (const ReceivedRequest &r : requestsTo("POST", "/zc/"))
        ADD_FAILURE() << "asked for " << r.target.toStdString();
    EXPECT_FALSE(browser.isVisible());

    // A login made later, from the card question, is used from then on: a
    // Chinese name with a blank, a password with "&" and "=".
    const QString name = QStringLiteral("闪客 小明");
    const QString password = QStringLiteral("p&w=1");
    siteHome().site->accounts().create(name, password);
    ModalScript script;
    script.then(QStringLiteral("Frm_Login"), [&](QWidget *w) { logIn(w, name, password, false); })
        .then(QStringLiteral("Frm_Sendto"), [](QWidget *w) { w->close(); });
    prompter.answers = {platform::Prompter::Answer::Yes};
    recommendRow(0);
    ASSERT_TRUE(script.finished());
    ASSERT_TRUE(main->login.IsOnline);

    main->sbt_c5Click();
    // The site keeps no password; that the right one came shows in the
    // user's own view of the page below.
    const QByteArray body = "username=%C9%C1%BF%CD+%D0%A1%C3%F7&password=";
    for (int entry = 0; entry < list().count(); ++entry) {
        request = open(entry);
        ASSERT_TRUE(request) << entry;
        const QString path = list().item(entry)->data(Qt::UserRole).toString().mid(siteHome().base().size() - 1);
        EXPECT_EQ(request->target, path.toLatin1()) << "the query string stays in the address";
        EXPECT_EQ(request->body, body) << entry;
        if (entry == 5) {
            EXPECT_TRUE(pageText(QStringLiteral("注册日期")).contains(QStringLiteral("欢迎您，") + name));
            QTest::qWait(1000); // the page's first paint may come after its text
            keepPicture(*main, QStringLiteral("community-panel.png"));
            keepPicture(browser, QStringLiteral("community-page.png"));
        }
        browser.close();
    }
}

} // namespace
