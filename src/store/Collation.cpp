#include "store/Collation.h"

#include "store/DatabaseError.h"

#include <QCollator>
#include <QLocale>
#include <QString>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

namespace store {
namespace {

int comparePinyin(void *context, int lengthA, const void *a, int lengthB, const void *b)
{
    const int common = std::min(lengthA, lengthB);
    const int bytes = std::memcmp(a, b, static_cast<size_t>(common));
    if (bytes == 0 && lengthA == lengthB)
        return 0;
    const auto *collator = static_cast<const QCollator *>(context);
    const int order = collator->compare(QString::fromUtf8(static_cast<const char *>(a), lengthA),
                                        QString::fromUtf8(static_cast<const char *>(b), lengthB));
    if (order != 0)
        return order;
    if (bytes != 0)
        return bytes;
    return lengthA < lengthB ? -1 : 1;
}

void destroyCollator(void *context)
{
    delete static_cast<QCollator *>(context);
}

} // namespace

void registerPinyinCollation(sqlite3 *handle)
{
    auto *collator = new QCollator(QLocale(QLocale::Chinese, QLocale::China));
    const int rc =
        sqlite3_create_collation_v2(handle, "PINYIN", SQLITE_UTF8, collator, &comparePinyin, &destroyCollator);
    if (rc != SQLITE_OK) {
        delete collator;
        throw DatabaseError(QStringLiteral("无法注册排序规则 PINYIN：%1").arg(QString::fromUtf8(sqlite3_errstr(rc))),
                            rc);
    }
}

} // namespace store
