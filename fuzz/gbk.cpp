// GBK (GB18030) at the site boundary, and the form encoding of bytes. Any
// text goes to GBK bytes and back unchanged; whatever bytes arrive, their
// text goes to bytes and back to the same text, and well-formed bytes come
// back as they were; form-encoded bytes decode to themselves; a body shown
// as text is its UTF-8 or plain ASCII.
#include "FuzzCheck.h"

#include "server/FormEncoding.h"

#include "SiteFrame.h"

#include <QStringDecoder>

namespace {

bool isFormByte(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           QByteArrayView("!$'()*-.@_%+").contains(c);
}

void checkSiteBytes(const QByteArray &bytes)
{
    const QString text = site::fromSiteBytes(bytes);
    FUZZ_CHECK(site::fromSiteBytes(server::toSiteBytes(text)) == text);
    QStringDecoder decoder("GB18030", QStringDecoder::Flag::Stateless);
    const QString strict = decoder.decode(bytes);
    if (!decoder.hasError())
        FUZZ_CHECK(strict == text && server::toSiteBytes(text) == bytes);
}

void checkText(const QString &text)
{
    FUZZ_CHECK(site::fromSiteBytes(server::toSiteBytes(text)) == text);
}

void checkFormBytes(const QByteArray &bytes)
{
    QByteArray encoded = server::encodeFormBytes(bytes);
    for (const char c : encoded)
        FUZZ_CHECK(isFormByte(c));
    FUZZ_CHECK(QByteArray::fromPercentEncoding(encoded.replace('+', ' ')) == bytes);
}

void checkBodyText(const QByteArray &bytes)
{
    const QString shown = site::bodyText(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        FUZZ_CHECK(shown == text);
        return;
    }
    for (const QChar c : shown)
        FUZZ_CHECK(c.unicode() < 0x80);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    checkSiteBytes(bytes);
    checkText(QString::fromUtf8(bytes));
    checkFormBytes(bytes);
    checkBodyText(bytes);
    return 0;
}
