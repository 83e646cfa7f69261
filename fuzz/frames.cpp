// The conversation's frame reader. Bytes read in any pieces give the same
// frames as read at once; frames re-framed give back the bytes they were
// read from (for UTF-8 payloads); a request written is read back, a text too
// long for a frame as its longest whole-character start.
#include "FuzzCheck.h"

#include "handoff/Framing.h"

#include <QList>
#include <QStringDecoder>
#include <QtEndian>

#include <optional>

namespace {

struct Reading
{
    QList<QString> frames;
    bool broken = false;
};

// Hands `bytes` to `take` in pieces of 1 to 64 bytes, their sizes from
// `sizes`; all at once when `sizes` is empty.
template <typename Take> void inPieces(const QByteArray &bytes, QByteArrayView sizes, Take take)
{
    qsizetype at = 0;
    qsizetype step = 0;
    while (at < bytes.size()) {
        const qsizetype length = sizes.isEmpty() ? bytes.size() : 1 + uchar(sizes.at(step++ % sizes.size())) % 64;
        take(bytes.mid(at, length));
        at += length;
    }
}

Reading readFrames(const QByteArray &bytes, QByteArrayView sizes)
{
    handoff::FrameReader reader;
    Reading out;
    inPieces(bytes, sizes, [&](const QByteArray &piece) {
        reader.append(piece);
        while (const std::optional<QString> frame = reader.next())
            out.frames.append(*frame);
    });
    out.broken = reader.broken();
    return out;
}

bool isUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError() && text.toUtf8() == bytes;
}

// Frames read from `bytes`, written again, are the bytes they came from.
void checkReframing(const QByteArray &bytes, const Reading &reading)
{
    qsizetype at = 0;
    for (const QString &text : reading.frames) {
        const qsizetype length = qFromBigEndian<quint32>(bytes.constData() + at);
        const QByteArrayView payload = QByteArrayView(bytes).sliced(at + 4, length);
        if (isUtf8(payload))
            FUZZ_CHECK(handoff::frame(text) == bytes.mid(at, 4 + length));
        FUZZ_CHECK(text == QString::fromUtf8(payload));
        at += 4 + length;
    }
}

void checkRequest(const QByteArray &bytes, QByteArrayView sizes, const Reading &whole)
{
    handoff::RequestReader reader;
    inPieces(bytes, sizes, [&](const QByteArray &piece) { reader.append(piece); });
    FUZZ_CHECK(reader.complete() == (whole.frames.size() >= 2));
    if (reader.complete()) {
        FUZZ_CHECK(reader.request()->topic == whole.frames.at(0));
        FUZZ_CHECK(reader.request()->item == whole.frames.at(1));
    } else {
        FUZZ_CHECK(reader.broken() == whole.broken);
    }
}

// A request written from two texts is read back; a text longer than a frame
// arrives as a start of itself that ends on a whole character.
void checkWrittenRequest(const QString &topic, const QString &item)
{
    handoff::RequestReader reader;
    reader.append(handoff::requestBytes(topic, item));
    FUZZ_CHECK(reader.complete() && !reader.broken());
    const handoff::Request request = *reader.request();
    FUZZ_CHECK(request.topic == topic);
    FUZZ_CHECK(item.startsWith(request.item));
    FUZZ_CHECK(request.item.toUtf8().size() <= handoff::kMaxFrame);
    FUZZ_CHECK(request.item == item || request.item.toUtf8().size() > handoff::kMaxFrame - 4);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The stream's own bytes choose the sizes of the pieces it arrives in.
    const QByteArray stream = fuzz::bytesOf(data, size);
    const QByteArrayView sizes(stream);
    const Reading whole = readFrames(stream, {});
    const Reading pieces = readFrames(stream, sizes);
    FUZZ_CHECK(pieces.frames == whole.frames);
    FUZZ_CHECK(pieces.broken == whole.broken);
    checkReframing(stream, whole);
    checkRequest(stream, sizes, whole);

    // The stream as text: a request of its two halves, and one whose item
    // is repeated past the longest frame.
    const QString text = QString::fromUtf8(stream);
    qsizetype half = text.size() / 2;
    if (half < text.size() && text.at(half).isLowSurrogate())
        ++half;
    const QString topic = text.first(half);
    const QString item = text.sliced(half);
    checkWrittenRequest(topic, item);
    // The long one costs; an eighth of the inputs carry it.
    if (!item.isEmpty() && size % 8 == 0)
        checkWrittenRequest(topic, item.repeated(int(handoff::kMaxFrame / item.size() + 1)));
    return 0;
}
