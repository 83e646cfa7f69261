// Form bodies between the program and the site. What the program encodes,
// the site decodes to the same names and values; whatever the site decodes,
// encoded again, decodes the same; a query value encoded as the site's own
// links are comes back out; a path the site accepts holds no step up.
#include "FuzzCheck.h"

#include "server/FormEncoding.h"

#include "SiteFrame.h"

#include <QUrl>

namespace {

bool isPlainNameChar(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_';
}

// Lines of "name<TAB>value"; the program's field names are plain words.
server::FormPairs pairsOf(const QString &text)
{
    server::FormPairs pairs;
    for (const QString &line : text.split(u'\n')) {
        const qsizetype tab = line.indexOf(u'\t');
        QString name;
        for (const QChar c : line.first(tab < 0 ? line.size() : tab)) {
            if (isPlainNameChar(c))
                name += c;
        }
        pairs.append({name, tab < 0 ? QString() : line.sliced(tab + 1)});
    }
    return pairs;
}

void checkProgramToSite(const server::FormPairs &pairs)
{
    const QByteArray body = server::buildFormBody(pairs);
    for (const char c : body)
        FUZZ_CHECK(c > ' ' && c < 0x7f && c != '#' && c != '?');
    const QList<std::pair<QString, QString>> read = site::parseForm(body).pairs;
    FUZZ_CHECK(read.size() == pairs.size());
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        FUZZ_CHECK(read.at(i).first == pairs.at(i).first);
        FUZZ_CHECK(read.at(i).second == pairs.at(i).second);
    }
}

void checkSiteReading(const QByteArray &raw)
{
    const site::FormFields fields = site::parseForm(raw);
    QByteArray again;
    for (const auto &[name, value] : fields.pairs) {
        if (!again.isEmpty())
            again += '&';
        again += server::encodeFormBytes(server::toSiteBytes(name)) + '=' + EncodeFormValue(value);
    }
    FUZZ_CHECK(site::parseForm(again).pairs == fields.pairs);
}

void checkQueryValue(const QString &value)
{
    const QUrl url(QStringLiteral("http://127.0.0.1/flash/colume.asp?a=1&title=%1&Title=2")
                       .arg(QString::fromLatin1(server::encodeFormBytes(value.toUtf8()))));
    const std::optional<QString> read = site::queryValue(url, u"TITLE");
    FUZZ_CHECK(read && *read == value);
}

void checkSegments(const QString &path)
{
    const QUrl url(QStringLiteral("http://127.0.0.1/files/") + path);
    const site::Segments segments = site::segmentsAfter(url, QLatin1StringView("/files/"), 2);
    if (segments.result != site::PathResult::Ok)
        return;
    FUZZ_CHECK(segments.parts.size() == 2);
    for (const QString &part : segments.parts) {
        FUZZ_CHECK(!part.isEmpty() && !part.contains(QChar(0)));
        for (const QString &piece : part.split(u'/')) {
            for (const QString &step : piece.split(u'\\'))
                FUZZ_CHECK(step != u"." && step != u"..");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray raw = fuzz::bytesOf(data, size);
    const QString text = QString::fromUtf8(raw);
    checkProgramToSite(pairsOf(text));
    checkSiteReading(raw);
    checkQueryValue(text);
    checkSegments(text);
    return 0;
}
