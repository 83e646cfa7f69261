#include "common/Text.h"

#include <gtest/gtest.h>

namespace {

TEST(TruncateWithEllipsis, LeavesTextThatFits)
{
    EXPECT_EQ(TruncateWithEllipsis(QStringLiteral("游戏世界"), 4), QStringLiteral("游戏世界"));
    EXPECT_EQ(TruncateWithEllipsis(QStringLiteral("游戏世界"), 10), QStringLiteral("游戏世界"));
    EXPECT_EQ(TruncateWithEllipsis(QString(), 3), QString());
}

TEST(TruncateWithEllipsis, CountsChineseCharactersAsOne)
{
    // Five characters into four: three kept, then the ellipsis.
    EXPECT_EQ(TruncateWithEllipsis(QStringLiteral("工作室专栏"), 4), QStringLiteral("工作室..."));
    EXPECT_EQ(TruncateWithEllipsis(QStringLiteral("abcdef"), 5), QStringLiteral("abcd..."));
    EXPECT_EQ(TruncateWithEllipsis(QStringLiteral("ab"), 1), QStringLiteral("..."));
}

TEST(TruncateWithEllipsis, CountsUtf16UnitsLikeQString)
{
    // A character outside the basic plane is two units; the cut may fall
    // between them, as it does for any QString operation by length.
    const QString text = QStringLiteral("a\U0001F600b"); // 4 units
    EXPECT_EQ(TruncateWithEllipsis(text, 4), text);
    EXPECT_EQ(TruncateWithEllipsis(text, 3).size(), 2 + 3);
}

TEST(TruncateWithEllipsis, NonPositiveMaximum)
{
    EXPECT_EQ(TruncateWithEllipsis(QStringLiteral("贺卡"), 0), QStringLiteral("..."));
    EXPECT_EQ(TruncateWithEllipsis(QStringLiteral("贺卡"), -5), QStringLiteral("..."));
    EXPECT_EQ(TruncateWithEllipsis(QString(), 0), QString());
    EXPECT_EQ(TruncateWithEllipsis(QString(), -1), QString());
}

TEST(ShownText, BlanksControlsAndKeepsLineEndsOnlyWhenAsked)
{
    const QString text = QStringLiteral("标题\t一\r\n二\x1b\u0085三");
    EXPECT_EQ(ShownText(text), QStringLiteral("标题 一  二  三"));
    EXPECT_EQ(ShownText(text, 100, LineEnds::Keep), QStringLiteral("标题 一\r\n二  三"));
    // Shortened first, so the ellipsis counts within the maximum.
    EXPECT_EQ(ShownText(text, 5), QStringLiteral("标题 一..."));
}

} // namespace
