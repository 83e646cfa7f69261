#include "FileSending.h"

#include <QBuffer>
#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace {

using Status = QHttpServerResponder::StatusCode;

constexpr qint64 kChunk = 64 * 1024;
constexpr qint64 kQueued = 128 * 1024; // written ahead of the connection at most
constexpr int kTickMs = 50;

// Feeds one answer's body to its connection as it drains, within the
// allowed speed; it ends with the body or the connection.
class BodyPump final : public QObject
{
public:
    BodyPump(std::unique_ptr<QIODevice> source, qint64 length, QTcpSocket *socket, std::shared_ptr<FileSending> sending)
        : QObject(socket), m_source(std::move(source)), m_left(length), m_socket(socket), m_sending(std::move(sending))
    {
        connect(socket, &QTcpSocket::bytesWritten, this, &BodyPump::pump);
        connect(socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
        if (m_sending->bytesPerSecond > 0) {
            m_allowance = 0;
            connect(&m_tick, &QTimer::timeout, this, [this] {
                const qint64 rate = m_sending->bytesPerSecond;
                m_allowance = std::min(m_allowance + std::max<qint64>(1, rate * kTickMs / 1000), rate);
                pump();
            });
            m_tick.start(kTickMs);
        }
        pump();
    }

private:
    void pump()
    {
        while (m_left > 0 && m_socket->bytesToWrite() < kQueued) {
            qint64 n = std::min({kChunk, m_left, m_allowance});
            if (n <= 0)
                return;
            bool cut = false;
            if (m_sending->dropAfter >= 0 && m_sending->bytesSent + n > m_sending->dropAfter) {
                n = std::max<qint64>(0, m_sending->dropAfter - m_sending->bytesSent);
                m_sending->dropAfter = -1;
                cut = true;
            }
            const QByteArray bytes = m_source->read(n);
            m_socket->write(bytes);
            m_left -= bytes.size();
            m_sending->bytesSent += bytes.size();
            m_allowance -= bytes.size();
            if (cut || bytes.size() < n) {
                // What is written goes out first, then the connection ends.
                m_socket->disconnectFromHost();
                m_left = 0;
            }
        }
        if (m_left <= 0) {
            m_tick.stop();
            deleteLater();
        }
    }

    std::unique_ptr<QIODevice> m_source;
    qint64 m_left;
    QTcpSocket *m_socket;
    std::shared_ptr<FileSending> m_sending;
    qint64 m_allowance = std::numeric_limits<qint64>::max();
    QTimer m_tick;
};

std::unique_ptr<QIODevice> openSource(const SentFile &file)
{
    std::unique_ptr<QIODevice> source;
    if (!file.path.isEmpty()) {
        source = std::make_unique<QFile>(file.path);
    } else {
        auto buffer = std::make_unique<QBuffer>();
        buffer->setData(file.bytes);
        source = std::move(buffer);
    }
    if (!source->open(QIODevice::ReadOnly))
        return nullptr;
    return source;
}

// A number of the header's digits only; -1 for none or anything else.
qint64 numberOf(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 18)
        return -1;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return -1;
    }
    return text.toByteArray().toLongLong();
}

} // namespace

ByteRange rangeOf(const QByteArray &header, qint64 size)
{
    const QByteArray value = header.trimmed();
    if (!value.startsWith("bytes=") || value.contains(','))
        return {};
    const QByteArray asked = value.mid(6).trimmed();
    const qsizetype dash = asked.indexOf('-');
    if (dash < 0)
        return {};
    const qint64 from = dash == 0 ? -1 : numberOf(asked.left(dash));
    const qint64 to = dash + 1 == asked.size() ? -1 : numberOf(asked.mid(dash + 1));
    if (dash == 0) {
        // The last `to` bytes.
        if (to < 0)
            return {};
        if (to == 0 || size == 0)
            return {ByteRange::Unsatisfiable};
        const qint64 length = std::min(to, size);
        return {ByteRange::Part, size - length, length};
    }
    if (from < 0 || (dash + 1 < asked.size() && (to < 0 || to < from)))
        return {};
    if (from >= size)
        return {ByteRange::Unsatisfiable};
    const qint64 last = to < 0 ? size - 1 : std::min(to, size - 1);
    return {ByteRange::Part, from, last - from + 1};
}

void sendFile(const SentFile &file, const QHttpServerRequest &request, QHttpServerResponder &&responder,
              const std::shared_ptr<FileSending> &sending, bool headOnly)
{
    std::unique_ptr<QIODevice> source = openSource(file);
    if (!source) {
        responder.write(Status::NotFound);
        return;
    }
    const qint64 size = source->size();
    const ByteRange range = sending->ranges ? rangeOf(request.value("Range"), size) : ByteRange{};
    if (range.kind == ByteRange::Unsatisfiable) {
        responder.writeStatusLine(Status::RequestRangeNotSatisfiable);
        responder.writeHeader("Content-Range", "bytes */" + QByteArray::number(size));
        responder.writeHeader("Content-Length", "0");
        responder.writeBody(QByteArray());
        return;
    }
    const bool part = range.kind == ByteRange::Part;
    const qint64 first = part ? range.first : 0;
    const qint64 length = part ? range.length : size;
    responder.writeStatusLine(part ? Status::PartialContent : Status::Ok);
    responder.writeHeader("Content-Type", file.mimeType);
    responder.writeHeader("Content-Length", QByteArray::number(length));
    if (sending->ranges)
        responder.writeHeader("Accept-Ranges", "bytes");
    if (part) {
        responder.writeHeader("Content-Range", "bytes " + QByteArray::number(first) + '-' +
                                                   QByteArray::number(first + length - 1) + '/' +
                                                   QByteArray::number(size));
    }
    responder.writeBody(QByteArray());
    if (headOnly || length == 0 || !source->seek(first))
        return;
    new BodyPump(std::move(source), length, responder.socket(), sending);
}
