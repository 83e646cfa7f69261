#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QLocalServer;

// Conversations with services in the manner of DDE requests, over Unix
// domain sockets.
//
// A service is a socket named after it in the service directory
// (serviceDirectory(); the directory is the user's alone, mode 0700). One
// conversation is one connection; what goes over it is framed as
// handoff/Framing.h says. No answer within the time-out is a refusal.
namespace platform::dde {

// The time-out of one request.
constexpr int kRequestTimeoutMs = 10000;

// $FLASHBAR_DDE_DIR when set, else flashbar-dde in the user's runtime
// directory (or in the temporary directory, with the user's number).
QString serviceDirectory();
// Creates the service directory when missing and makes it the user's alone;
// false with `error` set when that cannot be done or another user owns it.
bool prepareServiceDirectory(QString *error);
QString servicePath(const QString &service);

struct Reply
{
    enum Outcome { NoConversation, NoData, Data };
    Outcome outcome = NoConversation;
    QString data;
};

// One request. While it waits the event loop runs, so windows keep painting,
// but user input waits until it is done.
Reply request(const QString &service, const QString &topic, const QString &item, int timeoutMs = kRequestTimeoutMs);

// Whether a service takes connections now.
bool serviceAnswers(const QString &service);
// Waits (with the event loop running as in request()) until the service
// takes connections; false when `timeoutMs` passes first.
bool waitForService(const QString &service, int timeoutMs);

// A service: answers each request through its handler. A handler that
// returns nothing refuses the request.
class Server final : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<std::optional<QString>(const QString &topic, const QString &item)>;

    Server(const QString &service, Handler handler, QObject *parent = nullptr);
    ~Server() override;

    // Starts serving. False with `error` set when another program already
    // serves the name or the socket cannot be made; a socket left behind by
    // a program that has gone is taken over.
    bool listen(QString *error);
    // Stops taking conversations; the socket goes.
    void close();
    QString service() const { return m_service; }

private:
    void acceptConnections();

    QString m_service;
    Handler m_handler;
    QLocalServer *m_server;
};

} // namespace platform::dde
