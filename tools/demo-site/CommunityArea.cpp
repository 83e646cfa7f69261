// The community's pages: the forum's home, who is online, the top posters,
// messages, profile, friends and topics. Every page takes a GET or a POST;
// a POST with the name and password of an account ("username",
// "password") shows that user's own view, anything else the guest view.
#include "DemoSite.h"
#include "SiteAccounts.h"
#include "SiteArea.h"
#include "SiteFrame.h"

#include <QHttpServerRequest>
#include <QRegularExpression>
#include <QUrl>

#include <stdexcept>

namespace {

using namespace site;

struct Board
{
    const char16_t *name;
    const char16_t *about;
    int topics;
    int posts;
};

const Board kBoards[] = {
    {u"闪客茶馆", u"聊聊动画，也聊聊生活", 1286, 15320},
    {u"原创作品发布", u"自己做的 Flash 请发在这里", 742, 6903},
    {u"音乐 MTV", u"好听的歌配上好看的画面", 515, 4877},
    {u"小游戏天地", u"过关心得、秘籍和高分截图", 398, 3511},
    {u"技术交流", u"动作脚本、补间、元件，有问必答", 921, 10244},
};

struct Topic
{
    const char16_t *title;
    const char16_t *board;
    const char16_t *author;
    int replies;
    const char16_t *when;
};

const Topic kTopics[] = {
    {u"新人报到，请多关照！", u"闪客茶馆", u"小飞侠", 23, u"今天 09:12"},
    {u"【原创】我的第一个 MTV《东风破》", u"原创作品发布", u"阿木", 41, u"今天 08:47"},
    {u"补间动画为什么会变形？", u"技术交流", u"逗逗", 12, u"昨天 22:30"},
    {u"推荐几个好玩的小游戏", u"小游戏天地", u"青蛙王子", 35, u"昨天 20:05"},
    {u"大家最喜欢哪一部贺岁动画？", u"闪客茶馆", u"糖糖", 58, u"昨天 18:16"},
    {u"声音和画面不同步怎么办", u"技术交流", u"老猫", 9, u"昨天 15:41"},
};

const std::pair<const char16_t *, int> kTopPosters[] = {
    {u"老猫", 3821}, {u"阿木", 2954},  {u"糖糖", 2410},    {u"青蛙王子", 1876}, {u"小飞侠", 1502},
    {u"逗逗", 1133}, {u"木头人", 987}, {u"蓝色天空", 864}, {u"闪客小新", 702},  {u"大眼睛", 655},
};

const std::pair<const char16_t *, const char16_t *> kMessages[] = {
    {u"阿木", u"你上次说的那个动画我找到了，谢谢！"},
    {u"糖糖", u"周末的网友聚会你来吗？"},
    {u"老猫", u"补间的问题我在技术交流版回复你了，去看看。"},
};

const char16_t *const kFriends[] = {u"阿木", u"糖糖", u"老猫", u"青蛙王子"};

// Who the page is for: a user whose name and password came with the POST.
std::optional<QString> postedUser(DemoSite &site, const QHttpServerRequest &request)
{
    if (request.method() != QHttpServerRequest::Method::Post)
        return std::nullopt;
    const FormFields form = formFields(request);
    const QString name = form.value(u"username").value_or(QString());
    const QString password = form.value(u"password").value_or(QString());
    if (name.isEmpty() || password.isEmpty())
        return std::nullopt;
    try {
        if (site.accounts().check(name, password))
            return name;
    } catch (const std::exception &) {
        // Without the accounts nobody is known: the guest view.
    }
    return std::nullopt;
}

QString s(const char16_t *text)
{
    return QString::fromUtf16(text);
}

QString topicRows(int count, const QString &extraColumn = QString())
{
    QString rows;
    for (int i = 0; i < count && i < int(std::size(kTopics)); ++i) {
        const Topic &t = kTopics[i];
        rows += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td><td>%5</td>%6</tr>\n")
                    .arg(s(t.title), s(t.board), s(t.author))
                    .arg(t.replies)
                    .arg(s(t.when), extraColumn.isEmpty() ? QString() : QStringLiteral("<td>%1</td>").arg(extraColumn));
    }
    return rows;
}

QString loginNeeded(const QString &what)
{
    return QStringLiteral("<p id=\"need-login\">%1需要先登陆。请在 KelvoFlash吧 里登陆后再打开这一页。</p>\n")
        .arg(what);
}

// The text of a page body's first heading: the page's title.
QString headingOf(const QString &body)
{
    static const QRegularExpression heading(QStringLiteral("<h1>([^<]*)</h1>"));
    return heading.match(body).captured(1);
}

class CommunityArea final : public SiteArea
{
public:
    explicit CommunityArea(DemoSite &site) : m_site(site) {}

    void addRoutes(SiteRoutes &routes) override
    {
        const std::pair<const char *, QString (CommunityArea::*)(const QHttpServerRequest &, const QString *)> pages[] =
            {
                {"/zc/index\\.asp", &CommunityArea::home},
                {"/zc/online\\.asp", &CommunityArea::online},
                {"/zc/toplist\\.asp", &CommunityArea::topPosters},
                {"/zc/usersms\\.asp", &CommunityArea::messages},
                {"/zc/queryresult\\.asp", &CommunityArea::newPosts},
                {"/zc/MYMODIFY\\.ASP", &CommunityArea::profile},
                {"/zc/friendlist\\.asp", &CommunityArea::friends},
                {"/zc/topicwithme\\.asp", &CommunityArea::myTopics},
            };
        for (const auto &[pattern, build] : pages) {
            routes.form(QLatin1String(pattern), [this, build](const QHttpServerRequest &request) {
                const std::optional<QString> user = postedUser(m_site, request);
                const QString body = (this->*build)(request, user ? &*user : nullptr);
                return html(communityPage(user ? &*user : nullptr, headingOf(body), body));
            });
        }
    }

    QString homeSection() override
    {
        return QStringLiteral("<p><a href=\"/zc/index.asp\">Zanto社区</a>：论坛、留言和好友。</p>\n");
    }

private:
    // The community's frame: a greeting for the user (or the guest), the
    // links to every page, then `body`.
    static QString communityPage(const QString *user, const QString &title, const QString &body)
    {
        const QString greeting =
            user ? QStringLiteral("<p id=\"greeting\">欢迎您，<b id=\"user\">%1</b>！</p>\n").arg(escaped(*user))
                 : QStringLiteral("<p id=\"greeting\">欢迎光临，游客。登陆以后可以发贴、留言和加好友。</p>\n");
        const QString links = QStringLiteral(
            "<nav class=\"meta\"><a href=\"/zc/index.asp\">社区主页</a> · <a href=\"/zc/online.asp\">在线用户</a> · "
            "<a href=\"/zc/toplist.asp?orders=1\">发贴排行</a> · <a href=\"/zc/queryresult.asp?stype=3\">查看新贴</a>"
            "</nav>\n");
        return page(QStringLiteral("Zanto社区 - ") + title,
                    QStringLiteral("<main>\n%1%2%3</main>\n").arg(greeting, links, body));
    }

    QString home(const QHttpServerRequest &, const QString *)
    {
        QString rows;
        for (const Board &b : kBoards)
            rows +=
                QStringLiteral("<tr><td><b>%1</b><br><span class=\"meta\">%2</span></td><td>%3</td><td>%4</td></tr>\n")
                    .arg(s(b.name), s(b.about))
                    .arg(b.topics)
                    .arg(b.posts);
        return QStringLiteral(
                   "<h1>社区主页</h1>\n<table id=\"boards\">\n<tr><th>版面</th><th>主题</th><th>帖子</th></tr>\n"
                   "%1</table>\n")
            .arg(rows);
    }

    QString online(const QHttpServerRequest &, const QString *user)
    {
        QStringList names;
        if (user)
            names << *user;
        try {
            for (const QString &name : m_site.accounts().names(20))
                if (!names.contains(name))
                    names << name;
        } catch (const std::exception &) {
            // The fixed regulars are online anyway.
        }
        for (const auto &[name, posts] : kTopPosters) {
            Q_UNUSED(posts);
            if (names.size() < 12 && !names.contains(s(name)))
                names << s(name);
        }
        QString list;
        for (const QString &name : std::as_const(names))
            list += QStringLiteral("<li>%1</li>\n").arg(escaped(name));
        return QStringLiteral(
                   "<h1>在线用户</h1>\n<p>现在共有 %1 位会员和 37 位游客在线。</p>\n<ul id=\"online\">\n%2</ul>\n")
            .arg(names.size())
            .arg(list);
    }

    QString topPosters(const QHttpServerRequest &, const QString *)
    {
        QString rows;
        int rank = 0;
        for (const auto &[name, posts] : kTopPosters)
            rows += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>\n").arg(++rank).arg(s(name)).arg(posts);
        return QStringLiteral(
                   "<h1>发贴排行</h1>\n<table id=\"toplist\">\n<tr><th>名次</th><th>会员</th><th>发贴数</th></tr>\n"
                   "%1</table>\n")
            .arg(rows);
    }

    QString messages(const QHttpServerRequest &, const QString *user)
    {
        if (!user)
            return QStringLiteral("<h1>我的留言</h1>\n") + loginNeeded(QStringLiteral("查看留言"));
        QString list;
        for (const auto &[from, text] : kMessages)
            list += QStringLiteral("<li><b>%1</b>：%2</li>\n").arg(s(from), s(text));
        return QStringLiteral("<h1>我的留言</h1>\n<p>%1，您有 %2 条新留言。</p>\n<ul id=\"messages\">\n%3</ul>\n")
            .arg(escaped(*user))
            .arg(std::size(kMessages))
            .arg(list);
    }

    QString newPosts(const QHttpServerRequest &, const QString *)
    {
        return QStringLiteral(
                   "<h1>查看新贴</h1>\n<table id=\"topics\">\n"
                   "<tr><th>主题</th><th>版面</th><th>作者</th><th>回复</th><th>最后发表</th></tr>\n%1</table>\n")
            .arg(topicRows(int(std::size(kTopics))));
    }

    QString profile(const QHttpServerRequest &, const QString *user)
    {
        if (!user)
            return QStringLiteral("<h1>个人信息</h1>\n") + loginNeeded(QStringLiteral("修改个人信息"));
        QString since;
        try {
            since = m_site.accounts().created(*user).value_or(QString()).left(10);
        } catch (const std::exception &) {
            since = QStringLiteral("不详");
        }
        return QStringLiteral("<h1>个人信息</h1>\n<table id=\"profile\">\n"
                              "<tr><th>用户名</th><td>%1</td></tr>\n<tr><th>注册日期</th><td>%2</td></tr>\n"
                              "<tr><th>等级</th><td>闪客新人</td></tr>\n<tr><th>发贴数</th><td>0</td></tr>\n"
                              "</table>\n<p class=\"meta\">要修改口令和资料，请在网页上编辑后保存。</p>\n")
            .arg(escaped(*user), escaped(since));
    }

    QString friends(const QHttpServerRequest &, const QString *user)
    {
        if (!user)
            return QStringLiteral("<h1>好友列表</h1>\n") + loginNeeded(QStringLiteral("查看好友"));
        QString list;
        for (const char16_t *name : kFriends)
            if (s(name) != *user)
                list += QStringLiteral("<li>%1</li>\n").arg(s(name));
        return QStringLiteral("<h1>好友列表</h1>\n<p>%1 的好友：</p>\n<ul id=\"friends\">\n%2</ul>\n")
            .arg(escaped(*user), list);
    }

    QString myTopics(const QHttpServerRequest &request, const QString *user)
    {
        const bool replied = queryValue(request.url(), u"s").value_or(QString()) == QLatin1String("2");
        const QString title = replied ? QStringLiteral("已被回复的我的发言") : QStringLiteral("我参与的主题");
        if (!user)
            return QStringLiteral("<h1>%1</h1>\n").arg(title) + loginNeeded(QStringLiteral("查看自己的发言"));
        return QStringLiteral(
                   "<h1>%1</h1>\n<table id=\"topics\">\n"
                   "<tr><th>主题</th><th>版面</th><th>作者</th><th>回复</th><th>最后发表</th><th>%2</th></tr>\n"
                   "%3</table>\n")
            .arg(title, replied ? QStringLiteral("回复人") : QStringLiteral("我的发言"),
                 topicRows(replied ? 2 : 4, replied ? QStringLiteral("阿木") : QStringLiteral("1 帖")));
    }

    DemoSite &m_site;
};

const SiteAreaRegistration kCommunity("community", [](DemoSite &site) -> std::unique_ptr<SiteArea> {
    return std::make_unique<CommunityArea>(site);
});

} // namespace
