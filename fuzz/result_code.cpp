// The answer page reader: the result code on the first line of a page's text.
// Its answer agrees with a plain reading of that line: optional sign, ASCII
// digits, a signed 32-bit value; anything else is unreadable.
#include "FuzzCheck.h"

#include "server/ResultCode.h"

#include <limits>

namespace {

// The first line as the reader sees it: up to CR or LF, trimmed of blanks and
// control characters (everything up to the space).
QStringView firstLine(const QString &text)
{
    qsizetype end = 0;
    while (end < text.size() && text.at(end) != u'\r' && text.at(end) != u'\n')
        ++end;
    QStringView line = QStringView(text).first(end);
    while (!line.isEmpty() && line.front().unicode() <= 0x20)
        line = line.sliced(1);
    while (!line.isEmpty() && line.back().unicode() <= 0x20)
        line.chop(1);
    return line;
}

int plainReading(QStringView line)
{
    bool negative = false;
    if (!line.isEmpty() && (line.front() == u'+' || line.front() == u'-')) {
        negative = line.front() == u'-';
        line = line.sliced(1);
    }
    if (line.isEmpty())
        return server::kUnreadable;
    qint64 value = 0;
    for (const QChar c : line) {
        if (c < u'0' || c > u'9')
            return server::kUnreadable;
        value = value * 10 + (c.unicode() - u'0');
        if (value > qint64(std::numeric_limits<int>::max()) + 1)
            return server::kUnreadable;
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<int>::max())
        return server::kUnreadable;
    return int(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = fuzz::textOf(data, size);
    const int code = server::readResultCode(text, server::kNoAnswer);
    if (text.isEmpty()) {
        FUZZ_CHECK(code == server::kNoAnswer);
        FUZZ_CHECK(server::readResultCode(text, 7) == 7);
        return 0;
    }
    FUZZ_CHECK(code == plainReading(firstLine(text)));
    // Only the first line counts.
    FUZZ_CHECK(server::readResultCode(firstLine(text).toString() + QStringLiteral("\r\n") + text, 5) == code);
    FUZZ_CHECK(server::resultMessage(code).isEmpty() == (code == server::kSuccess || code == server::kNoAnswer));
    return 0;
}
