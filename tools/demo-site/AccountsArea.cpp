// Accounts: the login check that the program posts to, and registration.
#include "DemoSite.h"
#include "SiteAccounts.h"
#include "SiteArea.h"
#include "SiteFrame.h"

#include <QHttpServerRequest>

#include <stdexcept>

namespace {

using namespace site;

// The answer when the accounts file cannot be used: no code in it.
QHttpServerResponse accountsUnavailable(const std::exception &e)
{
    return problemPage(QStringLiteral("帐号服务暂时无法使用"),
                       QStringLiteral("网站读不到用户帐号，请稍后再试。（%1）").arg(QString::fromUtf8(e.what())),
                       Status::ServiceUnavailable);
}

class AccountsArea final : public SiteArea
{
public:
    explicit AccountsArea(DemoSite &site) : m_site(site) {}

    void addRoutes(SiteRoutes &routes) override
    {
        routes.form(QStringLiteral("/zc/Zanto_chklogin\\.asp"),
                    [this](const QHttpServerRequest &request) { return checkLogin(request); });
        routes.form(QStringLiteral("/zc/Reg\\.ASP"),
                    [this](const QHttpServerRequest &request) { return registration(request); });
    }

    QString homeSection() override
    {
        return QStringLiteral("<h2>用户</h2>\n<p id=\"demo-account\">演示帐号：用户名 <b>demo</b>，口令 <b>demo</b>。"
                              "没有帐号？<a href=\"/zc/Reg.ASP\">注册新用户</a></p>\n");
    }

private:
    QHttpServerResponse checkLogin(const QHttpServerRequest &request)
    {
        const FormFields form = formFields(request);
        const QString name = form.value(u"Username").value_or(QString());
        const QString password = form.value(u"Password").value_or(QString());
        if (name.isEmpty() || password.isEmpty())
            return answerPage(1, QStringLiteral("登陆"), QStringLiteral("用户名和口令都要填写。"));
        try {
            if (!m_site.accounts().check(name, password))
                return answerPage(3, QStringLiteral("登陆"), QStringLiteral("用户名或口令不正确。"));
        } catch (const std::exception &e) {
            return accountsUnavailable(e);
        }
        QHttpServerResponse answer =
            answerPage(0, QStringLiteral("登陆"), QStringLiteral("登陆成功，欢迎您，%1！").arg(name));
        answer.addHeader(QByteArrayLiteral("Set-Cookie"), QByteArray(SiteAccounts::kSessionCookie) + '=' +
                                                              m_site.accounts().openSession(name) +
                                                              QByteArrayLiteral("; Path=/; HttpOnly"));
        return answer;
    }

    QHttpServerResponse registration(const QHttpServerRequest &request)
    {
        if (request.method() != QHttpServerRequest::Method::Post)
            return html(page(QStringLiteral("注册新用户 - Flash吧"), registrationForm()));
        const FormFields form = formFields(request);
        const QString name = form.value(u"Username").value_or(QString());
        const QString password = form.value(u"Password").value_or(QString());
        const QString back = QStringLiteral("<p><a href=\"/zc/Reg.ASP\">返回注册页</a></p>\n");
        if (name.trimmed().isEmpty() || password.isEmpty())
            return answerPage(1, QStringLiteral("注册"), QStringLiteral("用户名和口令都要填写。"), back);
        try {
            if (!m_site.accounts().create(name, password)) {
                return answerPage(2, QStringLiteral("注册"),
                                  QStringLiteral("用户名“%1”已经有人用了，请换一个。").arg(name), back);
            }
        } catch (const std::exception &e) {
            return accountsUnavailable(e);
        }
        return answerPage(0, QStringLiteral("注册"),
                          QStringLiteral("注册成功！请回到 KelvoFlash吧 里用“%1”登陆。").arg(name));
    }

    static QString registrationForm()
    {
        // The form goes out in GBK, as the program's own posts do.
        return QStringLiteral(
            "<main>\n<h1>注册新用户</h1>\n"
            "<form id=\"register\" method=\"post\" action=\"/zc/Reg.ASP\" accept-charset=\"GBK\">\n"
            "<p><label>用户名：<input name=\"Username\" maxlength=\"40\"></label></p>\n"
            "<p><label>口令：<input name=\"Password\" type=\"password\" maxlength=\"40\"></label></p>\n"
            "<p><button type=\"submit\">注册</button></p>\n"
            "</form>\n<p class=\"meta\">注册以后回到程序里登陆。</p>\n</main>\n");
    }

    DemoSite &m_site;
};

const SiteAreaRegistration kAccounts("accounts", [](DemoSite &site) -> std::unique_ptr<SiteArea> {
    return std::make_unique<AccountsArea>(site);
});

} // namespace
