#include "browse/Paging.h"

#include <gtest/gtest.h>

namespace {

using namespace browse;

TEST(Paging, TwentyFiveItemsMakeThreePages)
{
    const Paging last = applyPageCommand(1, LastPage, 25);
    EXPECT_EQ(last.pages, 3);
    EXPECT_EQ(last.page, 3);
    EXPECT_EQ(last.offset, 20);
    EXPECT_EQ(last.label, QStringLiteral("3/3页"));
    EXPECT_TRUE(last.firstEnabled && last.priorEnabled);
    EXPECT_FALSE(last.nextEnabled || last.lastEnabled);

    const Paging middle = applyPageCommand(1, NextPage, 25);
    EXPECT_EQ(middle.page, 2);
    EXPECT_EQ(middle.offset, 10);
    EXPECT_EQ(middle.label, QStringLiteral("2/3页"));
    EXPECT_TRUE(middle.firstEnabled && middle.priorEnabled && middle.nextEnabled && middle.lastEnabled);
}

TEST(Paging, StepsStopAtTheEnds)
{
    const Paging pastEnd = applyPageCommand(3, NextPage, 25);
    EXPECT_EQ(pastEnd.page, 3);
    EXPECT_EQ(pastEnd.offset, 20);
    const Paging beforeStart = applyPageCommand(1, PriorPage, 25);
    EXPECT_EQ(beforeStart.page, 1);
    EXPECT_EQ(beforeStart.offset, 0);
    EXPECT_FALSE(beforeStart.priorEnabled);
    // Another command keeps the page, clamped to what the result now has.
    EXPECT_EQ(applyPageCommand(2, SamePage, 25).page, 2);
    EXPECT_EQ(applyPageCommand(7, SamePage, 25).page, 3);
}

TEST(Paging, ExactlyTenItemsAreOnePage)
{
    const Paging p = applyPageCommand(1, FirstPage, 10);
    EXPECT_EQ(p.pages, 1);
    EXPECT_EQ(p.label, QStringLiteral("1/1页"));
    EXPECT_FALSE(p.firstEnabled || p.priorEnabled || p.nextEnabled || p.lastEnabled);
    EXPECT_EQ(applyPageCommand(1, NextPage, 10).page, 1);
}

TEST(Paging, AnEmptyResultIsPageZeroOfZero)
{
    for (int current : {0, 1, 3}) {
        for (int command : {FirstPage, NextPage, PriorPage, LastPage, SamePage}) {
            const Paging p = applyPageCommand(current, command, 0);
            EXPECT_EQ(p.pages, 0);
            EXPECT_EQ(p.offset, 0);
            EXPECT_FALSE(p.firstEnabled || p.priorEnabled || p.nextEnabled || p.lastEnabled);
            EXPECT_EQ(p.page, 0);
            EXPECT_EQ(p.label, QStringLiteral("0/0页")) << "from page " << current << ", command " << command;
        }
    }
}

} // namespace
