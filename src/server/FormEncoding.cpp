#include "server/FormEncoding.h"

#include <QStringEncoder>

namespace server {

namespace {

bool passesThrough(char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return true;
    switch (c) {
    case '!':
    case '$':
    case '\'':
    case '(':
    case ')':
    case '*':
    case '-':
    case '.':
    case '@':
    case '_':
        return true;
    default:
        return false;
    }
}

} // namespace

QByteArray toSiteBytes(const QString &text)
{
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

QByteArray encodeFormBytes(QByteArrayView bytes)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(bytes.size() * 3);
    for (const char c : bytes) {
        if (passesThrough(c)) {
            out += c;
        } else if (c == ' ') {
            out += '+';
        } else {
            const auto byte = static_cast<unsigned char>(c);
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

QByteArray buildFormBody(const FormPairs &pairs)
{
    QByteArray body;
    for (const auto &[name, value] : pairs) {
        if (!body.isEmpty())
            body += '&';
        body += toSiteBytes(name) + '=' + EncodeFormValue(value);
    }
    return body;
}

QString formHeader()
{
    return QStringLiteral("Content-Type: application/x-www-form-urlencoded");
}

} // namespace server

QByteArray EncodeFormValue(const QString &value)
{
    return server::encodeFormBytes(server::toSiteBytes(value));
}
