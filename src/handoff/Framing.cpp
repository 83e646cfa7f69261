#include "handoff/Framing.h"

#include <QtEndian>

namespace handoff {

namespace {

constexpr int kLengthBytes = 4;

} // namespace

QByteArray frame(const QString &text)
{
    QByteArray payload = text.toUtf8();
    if (payload.size() > kMaxFrame) {
        // Cut before the character that would not fit whole.
        qsizetype end = kMaxFrame;
        while (end > 0 && (uchar(payload.at(end)) & 0xC0) == 0x80)
            --end;
        payload.truncate(end);
    }
    QByteArray out(kLengthBytes, '\0');
    qToBigEndian(static_cast<quint32>(payload.size()), out.data());
    return out + payload;
}

QByteArray requestBytes(const QString &topic, const QString &item)
{
    return frame(topic) + frame(item);
}

std::optional<QString> FrameReader::next()
{
    if (m_broken || m_buffer.size() < kLengthBytes)
        return std::nullopt;
    const quint32 length = qFromBigEndian<quint32>(m_buffer.constData());
    if (length > kMaxFrame) {
        m_broken = true;
        m_buffer.clear();
        return std::nullopt;
    }
    if (m_buffer.size() < kLengthBytes + qsizetype(length))
        return std::nullopt;
    const QString text = QString::fromUtf8(m_buffer.constData() + kLengthBytes, length);
    m_buffer.remove(0, kLengthBytes + length);
    return text;
}

void RequestReader::append(const QByteArray &bytes)
{
    if (complete())
        return;
    m_reader.append(bytes);
    while (!complete()) {
        const std::optional<QString> next = m_reader.next();
        if (!next)
            break;
        m_frames.append(*next);
    }
}

std::optional<Request> RequestReader::request() const
{
    if (!complete())
        return std::nullopt;
    return Request{m_frames.at(0), m_frames.at(1)};
}

} // namespace handoff
