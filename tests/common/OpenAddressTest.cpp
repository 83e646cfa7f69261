// Which addresses from the catalogue may be opened, and how.
#include "common/OpenAddress.h"

#include <gtest/gtest.h>

namespace {

const QString kHome = QStringLiteral("/home/user/flashbar");

TEST(OpenAddress, WebPagesAndMailOpenEverythingElseIsRefusedWithAReason)
{
    const struct
    {
        QString address;
        OpenAddress::Kind kind;
    } cases[] = {
        {QStringLiteral("http://www.kelvo.example/flash/openflash.asp?fileid=3"), OpenAddress::Web},
        {QStringLiteral("  HTTPS://www.kelvo.example/专栏  "), OpenAddress::Web},
        {QStringLiteral("www.kelvo.example/ad.html"), OpenAddress::Web},
        {QStringLiteral("mailto:support@kelvo.example"), OpenAddress::Mail},
        {QStringLiteral("javascript:alert(1)"), OpenAddress::Refused},
        {QStringLiteral(" JavaScript:alert(1)"), OpenAddress::Refused},
        {QStringLiteral("java\tscript:alert(1)"), OpenAddress::Refused},
        {QStringLiteral("data:text/html,<script>alert(1)</script>"), OpenAddress::Refused},
        {QStringLiteral("file:///etc/passwd"), OpenAddress::Refused},
        {QStringLiteral("file://host/share/x.swf"), OpenAddress::Refused},
        {QStringLiteral("/etc/passwd"), OpenAddress::Refused},
        {QStringLiteral("/home/user/flashbar/local/../Data/info.db"), OpenAddress::Refused},
        {QStringLiteral("/home/user/flashbar/local/"), OpenAddress::Refused},
        {QStringLiteral("ftp://ftp.kelvo.example/x.swf"), OpenAddress::Refused},
        {QStringLiteral("flashbar-evil://run"), OpenAddress::Refused},
        {QStringLiteral("http:///nohost"), OpenAddress::Refused},
        {QStringLiteral("http://a.example/") + QChar(u'\0'), OpenAddress::Refused},
        {QString(), OpenAddress::Refused},
        {QStringLiteral("   "), OpenAddress::Refused},
        {QStringLiteral("/home/user/flashbar/local/益智游戏/拼图 1.swf"), OpenAddress::LocalFile},
        {QStringLiteral("file:///home/user/flashbar/local/益智游戏/f1.swf"), OpenAddress::LocalFile},
    };
    for (const auto &c : cases) {
        const OpenAddress verdict = CheckOpenAddress(c.address, kHome);
        EXPECT_EQ(verdict.kind, c.kind) << c.address.toStdString();
        EXPECT_EQ(verdict.refused(), verdict.url.isEmpty()) << c.address.toStdString();
        EXPECT_EQ(verdict.refused(), !verdict.reason.isEmpty()) << c.address.toStdString();
    }
    // Without a home no local file opens.
    EXPECT_TRUE(CheckOpenAddress(QStringLiteral("/home/user/flashbar/local/a/b.swf")).refused());
    EXPECT_EQ(CheckOpenAddress(QStringLiteral("www.kelvo.example")).url,
              QUrl(QStringLiteral("http://www.kelvo.example")));
}

TEST(OpenAddress, TheReasonNamesTheAddressOnOneShortLine)
{
    const QString reason = CheckOpenAddress(QStringLiteral("javascript:") + QString(100000, u'x') + u'\n').reason;
    EXPECT_TRUE(reason.contains(QStringLiteral("javascript:xxx")));
    EXPECT_TRUE(reason.contains(QStringLiteral("http、https 和 mailto"))) << reason.toStdString();
    EXPECT_LT(reason.size(), 200);
    EXPECT_FALSE(reason.contains(u'\n'));
    const QString lone = CheckOpenAddress(QStringLiteral("x-") + QChar(0xD800) + QStringLiteral(":y")).reason;
    EXPECT_FALSE(lone.isEmpty());
    EXPECT_FALSE(lone.contains(QChar(0xD800)));
}

} // namespace
