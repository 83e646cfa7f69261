// The Access file's values as libmdb hands them over (text in UTF-8, or in
// GBK when libmdb could not convert a Jet 3 text; numbers and dates as
// text), turned into the copy's values. The first byte chooses the column
// type, the rest is the value. A text never keeps a NUL, reads as UTF-8 when
// it is UTF-8 and as GBK otherwise; a number or a date is one only when the
// text says exactly that, else it stays the text; a name shown on a
// terminal has no control characters.
#include "FuzzCheck.h"

#include "import/ImportProcess.h"
#include "import/MdbText.h"

#include <QDateTime>
#include <QStringDecoder>

namespace {

using import::ColumnType;

void checkText(const QByteArray &bytes)
{
    const QString text = import::textFromMdb(bytes);
    FUZZ_CHECK(!text.contains(QChar(u'\0')));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString expected = utf8.decode(bytes);
    if (utf8.hasError()) {
        QStringDecoder gbk("GB18030", QStringDecoder::Flag::Stateless);
        expected = gbk.decode(bytes);
    }
    FUZZ_CHECK(text == expected.remove(QChar(u'\0')));
    for (const QChar c : import::printableName(text))
        FUZZ_CHECK(c.category() != QChar::Other_Control && c.category() != QChar::Other_Format);
}

void checkValue(ColumnType type, const QByteArray &bytes)
{
    const QVariant value = import::valueFromMdb(type, bytes);
    const QString text = import::textFromMdb(bytes);
    switch (type) {
    case ColumnType::Boolean:
        FUZZ_CHECK(value.typeId() == QMetaType::Bool);
        return;
    case ColumnType::Text:
    case ColumnType::Memo:
        FUZZ_CHECK(value.typeId() == QMetaType::QString && value.toString() == text);
        return;
    case ColumnType::Binary:
        FUZZ_CHECK(bytes.isEmpty() ? value.isNull() : value.toByteArray() == bytes);
        return;
    default:
        break;
    }
    if (bytes.isEmpty()) {
        FUZZ_CHECK(value.isNull());
        return;
    }
    if (value.typeId() == QMetaType::QString) {
        FUZZ_CHECK(value.toString() == (type == ColumnType::DateTime ? text.trimmed() : text));
        return;
    }
    if (type == ColumnType::Integer) {
        FUZZ_CHECK(value.typeId() == QMetaType::LongLong);
        FUZZ_CHECK(value.toLongLong() == bytes.trimmed().toLongLong());
    } else if (type == ColumnType::Real) {
        FUZZ_CHECK(value.typeId() == QMetaType::Double);
    } else {
        FUZZ_CHECK(value.typeId() == QMetaType::QDateTime && value.toDateTime().isValid());
        FUZZ_CHECK(value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) == text.trimmed());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const auto type = static_cast<ColumnType>(data[0] % (int(ColumnType::Binary) + 1));
    const QByteArray bytes = fuzz::bytesOf(data + 1, size - 1);
    checkText(bytes);
    checkValue(type, bytes);
    return 0;
}
