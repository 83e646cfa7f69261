// The echo page: shows a request as it arrived (method, target, headers,
// body), for trying out forms.
#include "DemoSite.h"
#include "SiteArea.h"
#include "SiteFrame.h"

namespace {

using namespace site;

class EchoArea final : public SiteArea
{
public:
    explicit EchoArea(DemoSite &site) : m_site(site) {}

    void addRoutes(SiteRoutes &routes) override
    {
        routes.form(QStringLiteral("/echo"),
                    [this](const QHttpServerRequest &) { return echoPage(m_site.requests().constLast()); });
    }

    QString homeSection() override
    {
        return QStringLiteral("<p class=\"meta\"><a href=\"/echo\">表单测试页</a></p>\n");
    }

private:
    static QHttpServerResponse echoPage(const ReceivedRequest &r)
    {
        QString headers;
        for (const auto &[name, value] : r.headers)
            headers += QString::fromLatin1(name) + QStringLiteral(": ") + QString::fromLatin1(value) + u'\n';
        const QString body = QStringLiteral("<main>\n<h1>收到的请求</h1>\n<table>\n"
                                            "<tr><th>方法</th><td id=\"method\">%1</td></tr>\n"
                                            "<tr><th>地址</th><td id=\"target\">%2</td></tr>\n"
                                            "<tr><th>Content-Type</th><td id=\"content-type\">%3</td></tr>\n"
                                            "<tr><th>正文</th><td><pre id=\"body\">%4</pre></td></tr>\n"
                                            "<tr><th>请求头</th><td><pre id=\"headers\">%5</pre></td></tr>\n"
                                            "</table>\n"
                                            "<form method=\"post\" action=\"/echo\">\n"
                                            "<input name=\"q\" value=\"动画\"> <button type=\"submit\">提交</button>\n"
                                            "</form>\n</main>\n")
                                 .arg(escaped(QString::fromLatin1(r.method)), escaped(QString::fromLatin1(r.target)),
                                      escaped(QString::fromLatin1(r.header("Content-Type"))), escaped(bodyText(r.body)),
                                      escaped(headers));
        return html(page(QStringLiteral("echo"), body));
    }

    DemoSite &m_site;
};

const SiteAreaRegistration kEcho("echo", [](DemoSite &site) -> std::unique_ptr<SiteArea> {
    return std::make_unique<EchoArea>(site);
});

} // namespace
