#include "mainwindow/form1_layout.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

TEST(Form1Layout, ScrollMaxFollowsTheEntryCount) {
    const std::pair<int, int> cases[] = {{0, -2200}, {1, -1980}, {5, -1100}, {9, -220},   {10, 0},
                                         {11, 220},  {20, 2200}, {25, 3300}, {145, 29700}};
    for (const auto& [count, max] : cases) {
        EXPECT_EQ(scrollMax(count), max) << count << " entries";
    }
}

TEST(Form1Layout, LastBoxOfTheLastPageEndsAbove) {
    EXPECT_EQ(boxTop(20, scrollMax(20)), 1980);
    EXPECT_EQ(boxTop(11, scrollMax(20)), 0);
    EXPECT_EQ(boxTop(145, scrollMax(145)), 1980);
}

}  // namespace
}  // namespace quillo
