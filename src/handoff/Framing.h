#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// What travels in one conversation with a service:
//
//   client -> service   frame(topic) frame(item)
//   service -> client   frame(data), then it closes    the request is accepted
//                       it closes, nothing sent         the request is refused
//
// A frame is a length of 4 bytes (unsigned, big-endian) followed by that many
// bytes of UTF-8 text; no frame is longer than kMaxFrame bytes. The client
// takes the first whole frame as the answer and reads no further; an answer
// that announces a longer frame is a refusal.
namespace handoff {

constexpr qint64 kMaxFrame = 64 * 1024;

// The topic of a download hand-off, and of a program's start request (the
// item is kStartItem; the program shows itself).
inline const QString kOpenUrlTopic = QStringLiteral("WWW_OPENURL");
inline const QString kAutomationTopic = QStringLiteral("FLASHBAR_AUTOMATION");
inline const QString kStartItem = QStringLiteral("start 0");

// One frame; text longer than kMaxFrame bytes is cut at the last whole
// character that fits.
QByteArray frame(const QString &text);
// What a client sends: the topic's frame, then the item's.
QByteArray requestBytes(const QString &topic, const QString &item);

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

struct Request
{
    QString topic;
    QString item;
};

// Reads a request, the first two frames of a stream; bytes after them are
// not looked at.
class RequestReader final
{
public:
    void append(const QByteArray &bytes);
    // The request once both frames are there.
    std::optional<Request> request() const;
    bool complete() const { return m_frames.size() >= 2; }
    // The stream broke before the request was whole.
    bool broken() const { return m_reader.broken(); }

private:
    FrameReader m_reader;
    QStringList m_frames;
};

} // namespace handoff
