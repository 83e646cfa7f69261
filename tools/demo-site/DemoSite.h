#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

#include <memory>
#include <vector>

struct FileSending;
class QHttpServer;
class QHttpServerRequest;
class QHttpServerResponse;
class QTcpServer;
class SiteAccounts;
class SiteArea;
class TDM_CDS;

// One request as it reached the site.
struct ReceivedRequest
{
    QByteArray method; // "GET", "POST", ...
    // Path and query, percent-encoded as the server's URL parser keeps them:
    // QUrl's tolerant form, so "%7e" comes back as "~", hex digits in upper
    // case, and a lone '%' gets every '%' of the part written as "%25".
    QByteArray target;
    QList<QPair<QByteArray, QByteArray>> headers; // in the order they came
    QByteArray body;

    // The first value of a header, its name compared without regard to case.
    QByteArray header(QByteArrayView name) const;
};

// The demo web site: a home page, the playing pages of the catalogue's
// items, their Flash files, the Ruffle player's files, an echo page, user
// accounts, and whatever other areas are registered (SiteArea.h). It reads
// the catalogue of a home directory (Data/info.db) and never writes it; its
// accounts and the items it publishes live in files of its own
// (site/accounts.db, site/published.db). It listens on
// 127.0.0.1 only. Requests are answered on the thread that owns the site.
class DemoSite final : public QObject
{
    Q_OBJECT

public:
    DemoSite(const QString &home, const QString &ruffleDir, QObject *parent = nullptr);
    ~DemoSite() override;

    // Starts listening on 127.0.0.1; port 0 picks a free port. On failure
    // errorString() says why.
    bool listen(quint16 port = 0);
    quint16 port() const;
    QString baseUrl() const; // "http://127.0.0.1:PORT/"
    QString errorString() const { return m_error; }

    QString home() const { return m_home; }
    QString ruffleDir() const { return m_ruffleDir; }

    // Empty when the catalogue opens and can be read, else why not.
    QString catalogueProblem();

    // The requests answered lately, oldest first: the last kKeptRequests,
    // their passwords (form fields named so, credentials headers) left out.
    static constexpr qsizetype kKeptRequests = 200;
    const QList<ReceivedRequest> &requests() const { return m_requests; }
    void clearRequests() { m_requests.clear(); }

    // How files go out to downloads (speed, a cut connection, ranges) and
    // the bytes sent so far; tests set and read it.
    FileSending &fileSending() { return *m_fileSending; }
    std::shared_ptr<FileSending> fileSendingShared() const { return m_fileSending; }

    // For the areas: the catalogue (read only), keeping a request, and the
    // home page's sections of every area in order.
    TDM_CDS &catalogue();
    // The items the site publishes (site/published.db, apart from the
    // home's catalogue): made on first use, from the home's catalogue. The
    // second one answers null while it has not been made.
    TDM_CDS &published();
    TDM_CDS *publishedIfAny();
    SiteAccounts &accounts() { return *m_accounts; }
    const ReceivedRequest &record(const QHttpServerRequest &request);
    QString homeSections();

private:
    QString m_home;
    QString m_ruffleDir;
    QString m_error;
    std::unique_ptr<TDM_CDS> m_dm;
    std::unique_ptr<TDM_CDS> m_published;
    std::unique_ptr<SiteAccounts> m_accounts;
    QHttpServer *m_server = nullptr;
    QTcpServer *m_listener = nullptr;
    QList<ReceivedRequest> m_requests;
    std::shared_ptr<FileSending> m_fileSending;
    std::vector<std::unique_ptr<SiteArea>> m_areas;
};
