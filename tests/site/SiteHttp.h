#pragma once

// Talking to the demo site the way browsers and the program do: any request
// on a plain socket, forms in GBK, and a demo home with a site on it.

#include "DemoSite.h"
#include "catalogue/DemoCatalogue.h"

#include "support/Wait.h"

#include <QDir>
#include <QHostAddress>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <utility>

namespace sitetest {

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
inline Answer exchange(quint16 port, const QByteArray &method, const QByteArray &target, const QByteArray &body = {},
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
inline QByteArray form(std::initializer_list<Field> fields)
{
    QStringEncoder gbk("GB18030");
    QList<QByteArray> pairs;
    for (const Field &f : fields)
        pairs << f.name + '=' + QByteArray(gbk.encode(f.value)).toPercentEncoding(" ").replace(' ', '+');
    return pairs.join('&');
}

inline QString elementText(const QString &html, const QString &id)
{
    const QRegularExpression element(QStringLiteral("id=\"%1\">(.*?)</").arg(QRegularExpression::escape(id)),
                                     QRegularExpression::DotMatchesEverythingOption);
    return element.match(html).captured(1);
}

// The markup from the element with the given id to the end of its list or table.
inline QString block(const QString &html, const QString &id)
{
    const qsizetype start = html.indexOf(QStringLiteral("id=\"%1\"").arg(id));
    if (start < 0)
        return {};
    static const QRegularExpression end(QStringLiteral("</(ul|ol|table)>"));
    return html.mid(start, html.indexOf(end, start) - start);
}

// The result code of an answer page: its first text.
inline int codeOf(const Answer &answer)
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
        m_site = std::make_unique<DemoSite>(home(), ruffleDir());
        EXPECT_TRUE(m_site->listen()) << m_site->errorString().toStdString();
    }

    QString home() const { return m_root.filePath(QStringLiteral("home")); }
    QString ruffleDir() const { return m_root.filePath(QStringLiteral("ruffle")); }
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

} // namespace sitetest
