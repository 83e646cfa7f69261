#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QLocalServer;
class QLocalSocket;

// Conversations with services in the manner of DDE requests, over Unix
// domain sockets.
//
// A service is a socket named after it in the service directory
// (serviceDirectory(); the directory is the user's alone, mode 0700). One
// conversation is one connection:
//
//   client -> service   frame(topic) frame(item)
//   service -> client   frame(data), then it closes    the request is accepted
//                       it closes, nothing sent         the request is refused
//
// A frame is a length of 4 bytes (unsigned, big-endian) followed by that many
// bytes of UTF-8 text; no frame is longer than kMaxFrame bytes. The client
// takes the first whole frame as the answer and reads no further; an answer
// that announces a longer frame, or no answer within the time-out, is a
// refusal.
namespace platform::dde {

constexpr qint64 kMaxFrame = 64 * 1024;
// The time-out of one request.
constexpr int kRequestTimeoutMs = 10000;

// The topic of a download hand-off, and of a program's start request (the
// item is kStartItem; the program shows itself).
inline const QString kOpenUrlTopic = QStringLiteral("WWW_OPENURL");
inline const QString kAutomationTopic = QStringLiteral("FLASHBAR_AUTOMATION");
inline const QString kStartItem = QStringLiteral("start 0");

// $FLASHBAR_DDE_DIR when set, else flashbar-dde in the user's runtime
// directory (or in the temporary directory, with the user's number).
QString serviceDirectory();
// Creates the service directory when missing and makes it the user's alone;
// false with `error` set when that cannot be done or another user owns it.
bool prepareServiceDirectory(QString *error);
QString servicePath(const QString &service);

QByteArray frame(const QString &text);

// Reads frames from a stream of bytes as they arrive.
class FrameReader final
{
public:
    void append(const QByteArray &bytes) { m_buffer += bytes; }
    // The next whole frame, if there is one.
    std::optional<QString> next();
    // A frame longer than kMaxFrame was announced: the stream is not ours.
    bool broken() const { return m_broken; }

private:
    QByteArray m_buffer;
    bool m_broken = false;
};

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
    void readRequest(QLocalSocket *socket);

    QString m_service;
    Handler m_handler;
    QLocalServer *m_server;
};

} // namespace platform::dde
