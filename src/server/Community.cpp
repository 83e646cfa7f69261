#include "server/Community.h"

#include "server/LoginState.h"

namespace server {

const QList<ClubEntry> &clubEntries()
{
    static const QList<ClubEntry> entries = {
        {QStringLiteral("社区主页"), 1, QStringLiteral("zc/index.asp")},
        {QStringLiteral("在线用户"), 3, QStringLiteral("zc/online.asp")},
        {QStringLiteral("发贴排行"), 3, QStringLiteral("zc/toplist.asp?orders=1")},
        {QStringLiteral("我的留言"), 4, QStringLiteral("zc/usersms.asp")},
        {QStringLiteral("查看新贴"), 3, QStringLiteral("zc/queryresult.asp?stype=3")},
        {QStringLiteral("个人信息"), 0, QStringLiteral("zc/MYMODIFY.ASP")},
        {QStringLiteral("好友列表"), 0, QStringLiteral("zc/friendlist.asp")},
        {QStringLiteral("我参与的主题"), 1, QStringLiteral("zc/topicwithme.asp?s=1")},
        {QStringLiteral("已被回复的我的发言"), 1, QStringLiteral("zc/topicwithme.asp?s=2")},
    };
    return entries;
}

FormPairs clubLoginForm(const LoginState &state)
{
    return {{QStringLiteral("username"), state.LoggedInUser}, {QStringLiteral("password"), state.LoggedInPassword}};
}

} // namespace server
