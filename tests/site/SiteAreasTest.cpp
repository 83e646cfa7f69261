// The demo site's areas over real HTTP on 127.0.0.1: accounts, cards,
// community pages, search, the feed, and what the site does when its own
// files or the catalogue cannot be used.
#include "DemoSite.h"
#include "catalogue/DemoCatalogue.h"
#include "catalogue/PublishedCatalogue.h"
#include "samples/SampleSwf.h"
#include "update/Feed.h"

#include "store/Connection.h"
#include "support/Wait.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <QStringEncoder>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUrl>

#include "CatalogueRows.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <utility>

namespace {

struct Answer
{
    int status = 0;
    QList<std::pair<QByteArray, QByteArray>> headers;
    QByteArray body;

    QString text() const { return QString::fromUtf8(body); }
    QByteArray header(const QByteArray &name) const
    {
        for (const auto &[key, value] : headers) {
            if (key.compare(name, Qt::CaseInsensitive) == 0)
                return value;
        }
        return {};
    }
};

// One request on its own connection, sent byte for byte, any method.
Answer exchange(quint16 port, const QByteArray &method, const QByteArray &target, const QByteArray &body = {},
                const QList<QByteArray> &headers = {})
{
    Answer answer;
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!waitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }, 5000)) {
        ADD_FAILURE() << "cannot connect";
        return answer;
    }
    QByteArray request = method + ' ' + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
    for (const QByteArray &header : headers)
        request += header + "\r\n";
    if (!body.isEmpty() || method == "POST")
        request += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    socket.write(request + "\r\n" + body);
    QByteArray data;
    qsizetype headEnd = -1;
    qsizetype length = 0;
    const bool whole = waitFor(
        [&] {
            data += socket.readAll();
            if (headEnd < 0 && (headEnd = data.indexOf("\r\n\r\n")) >= 0) {
                for (const QByteArray &line : data.left(headEnd).split('\n').mid(1)) {
                    const qsizetype colon = line.indexOf(':');
                    answer.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
                }
                length = method == "HEAD" ? 0 : answer.header("Content-Length").toLongLong();
            }
            return headEnd >= 0 && data.size() >= headEnd + 4 + length;
        },
        10000);
    if (!whole) {
        ADD_FAILURE() << "no whole answer to " << method.constData() << ' ' << target.constData();
        return answer;
    }
    answer.status = data.mid(data.indexOf(' ') + 1, 3).toInt();
    answer.body = data.mid(headEnd + 4);
    return answer;
}

struct Field
{
    Field(const char *n, const QString &v) : name(n), value(v) {}
    Field(const char *n, const char *v) : name(n), value(QString::fromUtf8(v)) {}
    QByteArray name;
    QString value;
};

// Form fields as the program posts them: GBK, URL-encoded, '+' for a space.
QByteArray form(std::initializer_list<Field> fields)
{
    QStringEncoder gbk("GB18030");
    QList<QByteArray> pairs;
    for (const Field &f : fields)
        pairs << f.name + '=' + QByteArray(gbk.encode(f.value)).toPercentEncoding(" ").replace(' ', '+');
    return pairs.join('&');
}

QString elementText(const QString &html, const QString &id)
{
    const QRegularExpression element(QStringLiteral("id=\"%1\">(.*?)</").arg(QRegularExpression::escape(id)),
                                     QRegularExpression::DotMatchesEverythingOption);
    return element.match(html).captured(1);
}

// The markup from the element with the given id to the end of its list or table.
QString block(const QString &html, const QString &id)
{
    const qsizetype start = html.indexOf(QStringLiteral("id=\"%1\"").arg(id));
    if (start < 0)
        return {};
    static const QRegularExpression end(QStringLiteral("</(ul|ol|table)>"));
    return html.mid(start, html.indexOf(end, start) - start);
}

// The result code of an answer page: its first text.
int codeOf(const Answer &answer)
{
    bool ok = false;
    const int code = elementText(answer.text(), QStringLiteral("code")).toInt(&ok);
    return ok ? code : -1;
}

// A home with a demo catalogue and a site on it.
class SiteHome
{
public:
    explicit SiteHome(int items = 150, bool withCatalogue = true)
    {
        EXPECT_TRUE(m_root.isValid());
        QDir().mkpath(home());
        if (withCatalogue) {
            catalogue::DemoOptions options;
            options.items = items;
            catalogue::writeDemoCatalogue(home(), options);
        }
        start();
    }

    // The site anew on the same home, as after a restart.
    void start()
    {
        m_site.reset();
        m_site = std::make_unique<DemoSite>(home(), m_root.filePath(QStringLiteral("ruffle")));
        EXPECT_TRUE(m_site->listen()) << m_site->errorString().toStdString();
    }

    QString home() const { return m_root.filePath(QStringLiteral("home")); }
    DemoSite &site() { return *m_site; }

    Answer get(const QByteArray &target, const QList<QByteArray> &headers = {})
    {
        return exchange(m_site->port(), "GET", target, {}, headers);
    }
    Answer post(const QByteArray &target, const QByteArray &body, const QByteArray &cookie = {})
    {
        QList<QByteArray> headers{"Content-Type: application/x-www-form-urlencoded"};
        if (!cookie.isEmpty())
            headers << "Cookie: theme=red; " + cookie;
        return exchange(m_site->port(), "POST", target, body, headers);
    }
    // Logs in and answers the session's cookie ("name=value").
    QByteArray logIn(const QString &name, const QString &password)
    {
        const Answer answer = post("/zc/Zanto_chklogin.asp", form({{"Username", name}, {"Password", password}}));
        EXPECT_EQ(codeOf(answer), 0) << answer.body.constData();
        return answer.header("Set-Cookie").split(';').value(0);
    }

private:
    QTemporaryDir m_root;
    std::unique_ptr<DemoSite> m_site;
};

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
        for (const Answer &guest : {h.get(p.path), h.post(p.path, wrong), h.post(p.path, "username=demo")}) {
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

TEST(SiteFeed, PagesThroughThePublishedItemsAndPlaysNewOnes)
{
    SiteHome h(30);
    for (const char *query : {"?since=yesterday", "?since=2001-02-03", "?after=-1", "?after=x", "?limit=0",
                              "?limit=1001", "?limit=ten", "?after=99999999999"}) {
        SCOPED_TRACE(query);
        const Answer bad = h.get(QByteArray("/feed/items.json") + query);
        EXPECT_EQ(bad.status, 400);
        EXPECT_TRUE(bad.header("Content-Type").startsWith("text/html"));
    }
    EXPECT_FALSE(QFileInfo::exists(catalogue::publishedPath(h.home()))); // made on first use only

    const int first = catalogue::publishItems(h.home(), 4);
    QList<int> ids;
    QString query = QStringLiteral("?limit=7");
    for (int pages = 0; pages < 20 && !query.isEmpty(); ++pages) {
        const Answer answer = h.get("/feed/items.json" + query.toLatin1());
        ASSERT_EQ(answer.status, 200);
        EXPECT_EQ(answer.header("Content-Type"), "application/json");
        const update::FeedPage page = update::parseFeedPage(answer.body);
        EXPECT_LE(page.items.size(), 7);
        for (const update::FeedItem &item : page.items)
            ids << item.id;
        query = page.next ? QStringLiteral("?since=%1&after=%2&limit=7")
                                .arg(QString::fromLatin1(QUrl::toPercentEncoding(page.next->since)))
                                .arg(page.next->after)
                          : QString();
    }
    EXPECT_TRUE(query.isEmpty());
    store::Connection published(catalogue::publishedPath(h.home()));
    QSqlQuery all(published.database());
    ASSERT_TRUE(all.exec(QStringLiteral("SELECT FileID FROM tb_Files WHERE Deleted = 0 ORDER BY UploadDate, FileID")));
    QList<int> expected;
    {
        QSqlQuery d(published.database());
        d.exec(
            QStringLiteral("SELECT typeof(f.UploadDate), f.UploadDate, c.ColumeParent, (SELECT count(*) FROM "
                           "tb_Class), f.UploadDate > '' FROM tb_Files f JOIN tb_Colume c ON c.ColumeID=f.ColumeID"));
    }
    while (all.next())
        expected << all.value(0).toInt();
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(ids.mid(ids.size() - 4), (QList<int>{first, first + 1, first + 2, first + 3}));

    // An empty `since`, like none, asks for everything.
    EXPECT_EQ(update::parseFeedPage(h.get("/feed/items.json?since=&limit=1000").body).items.size(), expected.size());

    // From a time on: the items published then or later. The default page
    // holds them all.
    const update::FeedPage latest = update::parseFeedPage(
        h.get("/feed/items.json?since=" + QUrl::toPercentEncoding(QStringLiteral("2000-01-01 00:00:00"))).body);
    EXPECT_EQ(latest.items.size(), expected.size());
    EXPECT_FALSE(latest.next);
    const update::FeedItem newest = latest.items.constLast();
    EXPECT_EQ(newest.id, first + 3);
    EXPECT_TRUE(update::parseFeedPage(h.get("/feed/items.json?since=" + QUrl::toPercentEncoding(newest.uploaded) +
                                            "&after=" + QByteArray::number(newest.id))
                                          .body)
                    .items.isEmpty());

    // A newly published item is only in the site's own catalogue, and plays.
    const Answer playing = h.get("/flash/openflash.asp?fileid=" + QByteArray::number(newest.id));
    EXPECT_EQ(playing.status, 200);
    EXPECT_TRUE(playing.text().contains(newest.name.toHtmlEscaped()));
    const Answer file = h.get(QUrl(newest.url).path(QUrl::FullyEncoded).toLatin1());
    EXPECT_EQ(file.status, 200);
    EXPECT_EQ(file.body, samples::sampleSwf(newest.id));
}

TEST(SiteFiles, UnusableFilesGiveUnavailablePagesAndTheRestGoesOn)
{
    // The mailbox and the published items cannot be opened: the accounts still work.
    {
        SiteHome h(20);
        QDir().mkpath(h.home() + QStringLiteral("/site/mailbox.db"));
        QDir().mkpath(h.home() + QStringLiteral("/site/published.db"));
        const QByteArray session = h.logIn(QStringLiteral("demo"), QStringLiteral("demo"));
        const QByteArray card =
            form({{"ToMail", "a@b.c"}, {"ToName", "x"}, {"ToBody", "y"}, {"FromName", "z"}, {"FileID", "0"}});
        for (const Answer &answer : {h.post("/Cards/PostCards.asp", card, session), h.get("/Cards/Mailbox.asp"),
                                     h.get("/feed/items.json"), h.get("/flash/openflash.asp?fileid=999999")}) {
            EXPECT_EQ(answer.status, 503) << answer.body.constData();
            EXPECT_EQ(codeOf(answer), -1); // no result code: the program must not read one
        }
        EXPECT_EQ(h.get("/").status, 200);
    }
    // The accounts cannot be opened: no login, no registration, guests only.
    {
        SiteHome h(20);
        QDir().mkpath(h.home() + QStringLiteral("/site/accounts.db"));
        h.start();
        for (const Answer &answer :
             {h.post("/zc/Zanto_chklogin.asp", form({{"Username", "demo"}, {"Password", "demo"}})),
              h.post("/zc/Reg.ASP", form({{"Username", "new"}, {"Password", "new"}}))}) {
            EXPECT_EQ(answer.status, 503);
            EXPECT_EQ(codeOf(answer), -1);
            EXPECT_TRUE(answer.header("Set-Cookie").isEmpty());
        }
        const Answer online = h.post("/zc/online.asp", form({{"username", "demo"}, {"password", "demo"}}));
        EXPECT_TRUE(elementText(online.text(), QStringLiteral("greeting")).contains(u"游客"));
        EXPECT_EQ(block(online.text(), QStringLiteral("online")).count(u"<li>"), 10);
    }
    // No catalogue: the pages that read it say so; a card still goes out.
    {
        SiteHome h(0, false);
        for (const QByteArray &target :
             {QByteArrayLiteral("/flash/colume.asp?title=a"), QByteArrayLiteral("/recommend/"),
              QByteArrayLiteral("/recommend/item1.html"),
              QByteArrayLiteral("/Cards/PreviewCard.asp?ToMail=a&ToName=b&ToBody=c&FromName=d&FileID=1")}) {
            SCOPED_TRACE(target.constData());
            const Answer answer = h.get(target);
            EXPECT_EQ(answer.status, 503);
            EXPECT_EQ(elementText(answer.text(), QStringLiteral("problem")), QStringLiteral("动画库暂时无法使用"));
        }
        const QByteArray session = h.logIn(QStringLiteral("demo"), QStringLiteral("demo"));
        EXPECT_EQ(
            codeOf(h.post(
                "/Cards/PostCards.asp",
                form({{"ToMail", "a@b.c"}, {"ToName", "x"}, {"ToBody", "y"}, {"FromName", "z"}, {"FileID", "1001"}}),
                session)),
            0);
        const Answer mailbox = h.get("/Cards/Mailbox.asp");
        EXPECT_EQ(mailbox.status, 200);
        EXPECT_TRUE(mailbox.text().contains(QStringLiteral("随卡附上：动画 1001")));
    }
}

TEST(SiteRecords, EveryMethodIsAnsweredAndKeptWithoutSecrets)
{
    SiteHome h(20);
    DemoSite &site = h.site();
    EXPECT_FALSE(site.listen());
    EXPECT_TRUE(site.errorString().contains(QString::number(site.port()))) << site.errorString().toStdString();

    site.clearRequests();
    const QByteArray methods[] = {"PUT", "DELETE", "OPTIONS", "PATCH", "HEAD", "GET"};
    for (const QByteArray &method : methods) {
        SCOPED_TRACE(method.constData());
        const Answer answer = exchange(site.port(), method, "/nowhere?x=1", method == "PUT" ? "data" : "");
        EXPECT_EQ(answer.status, 404);
        EXPECT_EQ(answer.header("Content-Type"), "text/html; charset=utf-8");
        EXPECT_EQ(answer.body.isEmpty(), method == "HEAD");
        EXPECT_GT(answer.header("Content-Length").toInt(), 0);
    }
    ASSERT_EQ(site.requests().size(), qsizetype(std::size(methods)));
    for (qsizetype i = 0; i < site.requests().size(); ++i) {
        EXPECT_EQ(site.requests().at(i).method, methods[i]);
        EXPECT_EQ(site.requests().at(i).target, "/nowhere?x=1");
    }
    EXPECT_EQ(site.requests().at(0).body, "data");

    // Credentials, password fields however spelt, and bodies that speak of
    // passwords are not kept; a long body only in part.
    site.clearRequests();
    const QList<QByteArray> secretHeaders{"Authorization: Basic ZGVtbzpkZW1v", "proxy-authorization: Basic eHl6",
                                          "X-Other: kept"};
    exchange(site.port(), "GET", "/echo?a=1&my%50ASS=hunter2&Pwd+2=hunter2&b", {}, secretHeaders);
    exchange(site.port(), "POST", "/echo", "user=me&old%5Fpwd=hunter2&NEWPASSWORD=hunter2",
             {"Content-Type: Application/X-WWW-Form-URLencoded; charset=GBK"});
    exchange(site.port(), "POST", "/echo", "{\"PassPhrase\": \"hunter2\"}", {"Content-Type: application/json"});
    const QByteArray longBody(100 * 1024, 'a');
    exchange(site.port(), "POST", "/echo", longBody, {"Content-Type: text/plain"});
    const Answer echoed =
        exchange(site.port(), "POST", "/echo", QByteArray("caf\xe9 \xff", 6), {"Content-Type: text/plain"});
    EXPECT_EQ(elementText(echoed.text(), QStringLiteral("body")), QStringLiteral("caf\\xe9 \\xff"));
    ASSERT_EQ(site.requests().size(), 5);
    const ReceivedRequest &query = site.requests().at(0);
    EXPECT_EQ(query.target, "/echo?a=1&myPASS=&Pwd+2=&b");
    EXPECT_TRUE(query.header("Authorization").isEmpty());
    EXPECT_TRUE(query.header("Proxy-Authorization").isEmpty());
    EXPECT_EQ(query.header("x-other"), "kept");
    EXPECT_EQ(site.requests().at(1).body, "user=me&old%5Fpwd=&NEWPASSWORD=");
    EXPECT_TRUE(site.requests().at(2).body.isEmpty());
    EXPECT_EQ(site.requests().at(3).body, longBody.left(64 * 1024));
    EXPECT_EQ(site.requests().at(4).body, QByteArray("caf\xe9 \xff", 6));
    for (const ReceivedRequest &r : site.requests()) {
        EXPECT_FALSE(r.target.contains("hunter2") || r.body.contains("hunter2"));
        for (const auto &[name, value] : r.headers)
            EXPECT_FALSE(value.contains("ZGVtbzpkZW1v") || value.contains("eHl6"));
    }
}

} // namespace
