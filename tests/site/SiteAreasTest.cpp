// The demo site's areas over real HTTP on 127.0.0.1: accounts, cards,
// community pages and search.
#include "SiteHttp.h"
#include "samples/SampleSwf.h"

#include <QDateTime>
#include <QSet>

#include "CatalogueRows.h"

namespace {

using namespace sitetest;

TEST(SiteAccounts, RegisterThenLogInAndTheAccountsOutliveTheSite)
{
    SiteHome h(20);
    const Answer formPage = h.get("/zc/Reg.ASP");
    EXPECT_EQ(formPage.status, 200);
    EXPECT_TRUE(formPage.text().contains(QStringLiteral("id=\"register\" method=\"post\"")));
    EXPECT_TRUE(h.get("/").text().contains(QStringLiteral("id=\"demo-account\"")));

    const struct
    {
        QString name;
        QString password;
        int code;
    } registrations[] = {
        {QString(), QString(), 1},
        {QStringLiteral("   "), QStringLiteral("x"), 1},
        {QStringLiteral("闪客 新人"), QString(), 1},
        {QStringLiteral("闪客 新人"), QStringLiteral("口令 1"), 0},
        {QStringLiteral("闪客 新人"), QStringLiteral("another"), 2},
        {QStringLiteral("demo"), QStringLiteral("x"), 2},
        {QStringLiteral("<i>老王</i>"), QStringLiteral("p&q=r"), 0},
    };
    for (const auto &r : registrations) {
        SCOPED_TRACE(r.name.toStdString());
        const Answer answer =
            h.post("/zc/Reg.ASP", form({{"Username", r.name}, {"Password", r.password}, {"Other", "1"}}));
        EXPECT_EQ(answer.status, 200);
        EXPECT_EQ(codeOf(answer), r.code);
        if (r.code != 1) {
            EXPECT_TRUE(elementText(answer.text(), QStringLiteral("message")).contains(r.name.toHtmlEscaped()));
        }
    }

    const struct
    {
        QString name;
        QString password;
        int code;
    } logins[] = {
        {QStringLiteral("demo"), QStringLiteral("demo"), 0},
        {QStringLiteral("闪客 新人"), QStringLiteral("口令 1"), 0},
        {QStringLiteral("<i>老王</i>"), QStringLiteral("p&q=r"), 0},
        {QStringLiteral("闪客 新人"), QStringLiteral("another"), 3},
        {QStringLiteral("闪客 新人"), QStringLiteral("口令 1 "), 3},
        {QStringLiteral("Demo"), QStringLiteral("demo"), 3},
        {QStringLiteral("nobody"), QStringLiteral("demo"), 3},
        {QStringLiteral("demo"), QString(), 1},
        {QString(), QStringLiteral("demo"), 1},
    };
    for (int round = 0; round < 2; ++round) { // the second time on a new site of the same home
        QSet<QByteArray> sessions;
        for (const auto &l : logins) {
            SCOPED_TRACE(l.name.toStdString() + " / " + l.password.toStdString());
            const Answer answer =
                h.post("/zc/Zanto_chklogin.asp", form({{"username", l.name}, {"PASSWORD", l.password}}));
            EXPECT_EQ(codeOf(answer), l.code);
            const QByteArray cookie = answer.header("Set-Cookie");
            EXPECT_EQ(!cookie.isEmpty(), l.code == 0);
            if (l.code == 0) {
                EXPECT_TRUE(cookie.startsWith("ZantoSession=")) << cookie.constData();
                EXPECT_TRUE(elementText(answer.text(), QStringLiteral("message")).contains(l.name.toHtmlEscaped()));
                sessions.insert(cookie);
            }
        }
        EXPECT_EQ(sessions.size(), 3); // each login its own session
        h.start();
    }
    // The form may come in the query as well.
    EXPECT_EQ(codeOf(h.get("/zc/Zanto_chklogin.asp?Username=demo&Password=demo")), 0);
    EXPECT_EQ(codeOf(h.get("/zc/Zanto_chklogin.asp?Username=demo&Password=nope")), 3);
}

TEST(SiteCards, PostedCardsAreKeptAndShownNewestFirst)
{
    SiteHome h(20);
    const QString item = catalogueRows(h.home(), QStringLiteral("SELECT FileID, DisplayName FROM qry_files"
                                                                " ORDER BY FileID LIMIT 1"))
                             .at(0);
    const QString itemId = item.section(u'|', 0, 0);
    const QString itemName = item.section(u'|', 1);
    EXPECT_TRUE(elementText(h.get("/Cards/Mailbox.asp").text(), QStringLiteral("cards")).contains(u"还没有贺卡"));

    const auto card = [&](const QString &to, const QString &fileId) {
        return form({{"ToMail", QStringLiteral("friend@example.org")},
                     {"ToName", to},
                     {"ToBody", QStringLiteral("新年快乐！\r\n<b>万事如意</b>\r第三行")},
                     {"FromName", QStringLiteral("小明")},
                     {"FileID", fileId}});
    };
    // Only a logged-in user may post a card.
    EXPECT_EQ(codeOf(h.post("/Cards/PostCards.asp", card(QStringLiteral("甲"), itemId))), 3);
    EXPECT_EQ(codeOf(h.post("/Cards/PostCards.asp", card(QStringLiteral("甲"), itemId), "ZantoSession=forged")), 3);
    const QByteArray session = h.logIn(QStringLiteral("demo"), QStringLiteral("demo"));
    ASSERT_FALSE(session.isEmpty());

    for (const QByteArray &incomplete :
         {card(QStringLiteral("  "), itemId), card(QStringLiteral("甲"), QStringLiteral("abc")),
          card(QStringLiteral("甲"), QStringLiteral("-3")), card(QStringLiteral("甲"), QString()),
          form({{"ToMail", "a@b.c"}, {"ToName", "x"}, {"FromName", "y"}, {"FileID", "1"}})}) {
        SCOPED_TRACE(incomplete.constData());
        EXPECT_EQ(codeOf(h.post("/Cards/PostCards.asp", incomplete, session)), 1);
        const Answer preview = h.post("/Cards/PreviewCard.asp", incomplete);
        EXPECT_EQ(preview.status, 400);
    }

    // An item of the catalogue, a recommended page (0) and a number no item has.
    const std::pair<QString, QString> sent[] = {{QStringLiteral("<甲>"), itemId},
                                                {QStringLiteral("乙"), QStringLiteral("0")},
                                                {QStringLiteral("丙"), QStringLiteral("99999")}};
    for (const auto &[to, fileId] : sent) {
        const Answer answer = h.post("/Cards/PostCards.asp", card(to, fileId), session);
        EXPECT_EQ(codeOf(answer), 0) << answer.body.constData();
        EXPECT_TRUE(elementText(answer.text(), QStringLiteral("message")).contains(to.toHtmlEscaped()));
    }
    h.start(); // the mailbox is a file: the cards are still there after a restart
    const QString mailbox = h.get("/Cards/Mailbox.asp").text();
    static const QRegularExpression toName(QStringLiteral("class=\"to-name\">([^<]*)</b>"));
    QStringList order;
    for (const auto &m : toName.globalMatch(mailbox))
        order << m.captured(1);
    EXPECT_EQ(order, (QStringList{QStringLiteral("丙"), QStringLiteral("乙"), QStringLiteral("&lt;甲&gt;")}));
    EXPECT_EQ(mailbox.count(QStringLiteral("新年快乐！<br>\n&lt;b&gt;万事如意&lt;/b&gt;<br>\n第三行")), 3);
    EXPECT_EQ(mailbox.count(QStringLiteral("由 demo 寄出")), 3);
    EXPECT_TRUE(mailbox.contains(
        QStringLiteral("<a href=\"/flash/openflash.asp?fileid=%1\">%2</a>").arg(itemId, itemName.toHtmlEscaped())));
    EXPECT_TRUE(mailbox.contains(QStringLiteral("随卡附上：一个推荐的网页")));
    EXPECT_TRUE(mailbox.contains(QStringLiteral("随卡附上：动画 99999")));
    EXPECT_FALSE(mailbox.contains(QStringLiteral("<b>万事如意")));

    // The preview plays the card's item when there is one, by GET or POST.
    const Answer withItem = h.get("/Cards/PreviewCard.asp?" + card(QStringLiteral("甲"), itemId));
    EXPECT_EQ(withItem.status, 200);
    static const QRegularExpression player(QStringLiteral("id=\"player\" data-swf=\"([^\"]+)\""));
    const QString swf = player.match(withItem.text()).captured(1);
    ASSERT_FALSE(swf.isEmpty());
    EXPECT_EQ(h.get(swf.toLatin1()).body, samples::sampleSwf(itemId.toInt()));
    EXPECT_TRUE(withItem.text().contains(QStringLiteral("/ruffle/ruffle.js")));
    for (const QString &noItem : {QStringLiteral("0"), QStringLiteral("99999")}) {
        const Answer plain = h.post("/Cards/PreviewCard.asp", card(QStringLiteral("甲"), noItem));
        EXPECT_EQ(plain.status, 200);
        EXPECT_FALSE(plain.text().contains(QStringLiteral("ruffle.js")));
        EXPECT_TRUE(plain.text().contains(QStringLiteral("<title>贺卡预览 - 甲</title>")));
    }
}

TEST(SiteCommunity, GuestsAndUsersEachGetTheirOwnView)
{
    SiteHome h(20);
    ASSERT_EQ(codeOf(h.post("/zc/Reg.ASP", form({{"Username", "阿木"}, {"Password", "mu"}}))), 0);
    const struct
    {
        const char *path;
        const char *heading;
        bool needsLogin;
    } pages[] = {
        {"/zc/index.asp", "社区主页", false},
        {"/zc/online.asp", "在线用户", false},
        {"/zc/toplist.asp?orders=1", "发贴排行", false},
        {"/zc/usersms.asp", "我的留言", true},
        {"/zc/queryresult.asp?stype=3", "查看新贴", false},
        {"/zc/MYMODIFY.ASP", "个人信息", true},
        {"/zc/friendlist.asp", "好友列表", true},
        {"/zc/topicwithme.asp", "我参与的主题", true},
        {"/zc/topicwithme.asp?s=2", "已被回复的我的发言", true},
    };
    const QByteArray wrong = form({{"username", "阿木"}, {"password", "MU"}});
    const QByteArray right = form({{"username", "阿木"}, {"password", "mu"}});
    for (const auto &p : pages) {
        SCOPED_TRACE(p.path);
        const QString title = QStringLiteral("<title>Zanto社区 - %1</title>").arg(QString::fromUtf8(p.heading));
        for (const Answer &guest :
             {h.get(p.path), h.post(p.path, wrong), h.post(p.path, "username=demo"), h.post(p.path, "password=mu")}) {
            EXPECT_EQ(guest.status, 200);
            EXPECT_TRUE(guest.text().contains(title));
            EXPECT_TRUE(elementText(guest.text(), QStringLiteral("greeting")).contains(u"游客"));
            EXPECT_EQ(guest.text().contains(QStringLiteral("id=\"need-login\"")), p.needsLogin);
        }
        const Answer user = h.post(p.path, right);
        EXPECT_TRUE(user.text().contains(title));
        EXPECT_EQ(elementText(user.text(), QStringLiteral("user")), QStringLiteral("阿木"));
        EXPECT_FALSE(user.text().contains(QStringLiteral("id=\"need-login\"")));
    }

    const auto rowsOf = [](const Answer &answer) {
        return block(answer.text(), QStringLiteral("topics")).count(QStringLiteral("<tr><td>"));
    };
    // The user's own pages: the registration day, friends but not oneself.
    const QString profile = h.post("/zc/MYMODIFY.ASP", right).text();
    EXPECT_TRUE(profile.contains(
        QStringLiteral("<th>注册日期</th><td>%1</td>").arg(QDateTime::currentDateTimeUtc().toString(u"yyyy-MM-dd"))))
        << profile.toStdString();
    const QString friends = block(h.post("/zc/friendlist.asp", right).text(), QStringLiteral("friends"));
    EXPECT_EQ(friends.count(QStringLiteral("<li>")), 3);
    EXPECT_FALSE(friends.contains(QStringLiteral("阿木")));
    EXPECT_EQ(block(h.post("/zc/usersms.asp", right).text(), QStringLiteral("messages")).count(u"<li>"), 3);
    EXPECT_EQ(rowsOf(h.post("/zc/topicwithme.asp?s=2", right)), 2);
    EXPECT_EQ(rowsOf(h.post("/zc/topicwithme.asp", right)), 4);
    EXPECT_EQ(rowsOf(h.get("/zc/queryresult.asp")), 6);

    // Who is online: the user first, then the accounts, then the regulars
    // who are not among them, twelve at most.
    for (const char *name : {"木头人", "新手", "路人"})
        ASSERT_EQ(codeOf(h.post("/zc/Reg.ASP", form({{"Username", name}, {"Password", "pw"}}))), 0);
    const QString online = block(h.post("/zc/online.asp", right).text(), QStringLiteral("online"));
    QStringList names;
    static const QRegularExpression li(QStringLiteral("<li>([^<]*)</li>"));
    for (const auto &m : li.globalMatch(online))
        names << m.captured(1);
    ASSERT_EQ(names.size(), 12) << online.toStdString();
    EXPECT_EQ(names.at(0), QStringLiteral("阿木"));
    EXPECT_EQ(names.removeDuplicates(), 0);
    EXPECT_EQ(
        QStringList(names.mid(1, 4)).filter(QRegularExpression(QStringLiteral("^(demo|木头人|新手|路人)$"))).size(), 4);
    EXPECT_EQ(names.mid(5), (QStringList{QStringLiteral("老猫"), QStringLiteral("糖糖"), QStringLiteral("青蛙王子"),
                                         QStringLiteral("小飞侠"), QStringLiteral("逗逗"), QStringLiteral("蓝色天空"),
                                         QStringLiteral("闪客小新")}));
    const QString ranks = block(h.get("/zc/toplist.asp").text(), QStringLiteral("toplist"));
    EXPECT_TRUE(ranks.contains(QStringLiteral("<tr><td>1</td><td>老猫</td><td>3821</td></tr>")));
    EXPECT_TRUE(ranks.contains(QStringLiteral("<tr><td>10</td><td>大眼睛</td><td>655</td></tr>")));
}

TEST(SiteSearch, FindsTheItemsWhoseNamesHoldTheKeyword)
{
    SiteHome h(150);
    const QStringList names = catalogueRows(h.home(), QStringLiteral("SELECT DisplayName FROM qry_files"));
    ASSERT_GT(names.size(), 100);
    const QString keyword = names.at(3).left(2);
    static const QRegularExpression link(
        QStringLiteral("<li><a href=\"(/flash/openflash\\.asp\\?fileid=\\d+)\">([^<]*)</a>"));
    const auto results = [](const Answer &answer) {
        QStringList out;
        for (const auto &m : link.globalMatch(answer.text()))
            out << m.captured(2);
        return out;
    };
    const struct
    {
        QString keyword;
        qsizetype found;
    } cases[] = {
        {keyword, names.filter(keyword).size()},
        {QStringLiteral("%"), names.filter(QStringLiteral("%")).size()},
        {QStringLiteral("_"), names.filter(QStringLiteral("_")).size()},
        {QStringLiteral("<script>"), 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.keyword.toStdString());
        for (const Answer &answer : {h.post("/flash/colume.asp", form({{"title", c.keyword}})),
                                     h.get("/flash/colume.asp?" + form({{"TITLE", c.keyword}}))}) {
            EXPECT_EQ(answer.status, 200);
            const QStringList found = results(answer);
            EXPECT_EQ(found.size(), c.found);
            for (const QString &name : found)
                EXPECT_TRUE(name.contains(c.keyword.toHtmlEscaped())) << name.toStdString();
            const QString summary = elementText(answer.text(), QStringLiteral("summary"));
            EXPECT_TRUE(summary.contains(c.keyword.toHtmlEscaped()));
            EXPECT_EQ(summary.contains(u"没有找到"), c.found == 0);
            EXPECT_TRUE(
                answer.text().contains(QStringLiteral("name=\"title\" value=\"%1\"").arg(c.keyword.toHtmlEscaped())));
            EXPECT_FALSE(answer.text().contains(QStringLiteral("<script>")));
        }
    }
    ASSERT_GT(cases[0].found, 0);
    const Answer first = h.post("/flash/colume.asp", form({{"title", keyword}}));
    const QString path = link.match(first.text()).captured(1);
    EXPECT_EQ(h.get(path.toLatin1()).status, 200);
}

} // namespace
