/* The debug window's texts and rules without a window: the status line,
 * the command keys, the dump banner and how much of the view goes before
 * a new line. */
#include <gtest/gtest.h>

#include <string>

#include "debugwin.h"

TEST(DebugText, StatusLineAndKeys)
{
    DebugSwitches s = {1, 0, 1, 0, 1, 1};
    char text[300];
    DebugStatusText(&s, nullptr, text, sizeof text);
    EXPECT_STREQ(text, "Debug Req(yes] Rsp[no] HTTP[yes] Lists[no] Monitor[yes] File[]");
    struct { int key, effect; int32_t DebugSwitches::*field; int32_t after; } keys[] = {
        {'r', 1, &DebugSwitches::requests, 0}, {'s', 1, &DebugSwitches::responses, 1},
        {'h', 1, &DebugSwitches::http, 0}, {'l', 1, &DebugSwitches::lists, 1},
        {'m', 1, &DebugSwitches::monitor, 0}, {'3', 1, &DebugSwitches::level, 3},
        {'2', 1, &DebugSwitches::level, 2}, {'\r', 1, &DebugSwitches::level, 2},
        {'?', 2, &DebugSwitches::level, 2}, {'c', 3, &DebugSwitches::level, 2},
        {'x', 0, &DebugSwitches::level, 2}, {'R', 0, &DebugSwitches::requests, 0},
    };
    for (auto &k : keys) {
        EXPECT_EQ(DebugApplyKey(&s, k.key), k.effect) << (char)k.key;
        EXPECT_EQ(s.*k.field, k.after) << (char)k.key;
    }
    DebugStatusText(&s, "C:\\tmp\\debug.txt", text, sizeof text);
    EXPECT_STREQ(text, "Debug Req(no] Rsp[yes] HTTP[no] Lists[yes] Monitor[no] File[C:\\tmp\\debug.txt]");
    int n = 0;
    while (DebugHelpLines[n])
        n++;
    EXPECT_EQ(n, 7);
    EXPECT_STREQ(DebugHelpLines[0], "Enter the character for the effect required:");
    EXPECT_STREQ(DebugHelpLines[6], "?) Display this help");
}

TEST(DebugText, Banners)
{
    char text[200];
    DebugBannerText(1, "Local QM1", "QM1", text, sizeof text);
    EXPECT_STREQ(text, "********** > Local QM1 QM1 **********");
    DebugBannerText(0, "L", "Q", text, sizeof text);
    EXPECT_STREQ(text, "********** < L Q **********");
    DebugBannerText(0, nullptr, nullptr, text, sizeof text);
    EXPECT_STREQ(text, "********** < <Unknown> **********");
}

TEST(DebugText, TrimKeepsRoomForTheNewLine)
{
    /* room enough and few lines: nothing goes */
    EXPECT_EQ(DebugTrimCount(50000, 1000, 100), 0);
    /* more than 2000 lines: the oldest 15000 characters */
    EXPECT_EQ(DebugTrimCount(50000, 2001, 100), 15000);
    /* the limit would be passed: 15000 at a time until the line fits */
    EXPECT_EQ(DebugTrimCount(99950, 1000, 52), 15000);
    EXPECT_EQ(DebugTrimCount(100000, 10, 31000), 45000);
    EXPECT_EQ(DebugTrimCount(99000, 2500, 100), 15000);
    /* never more than there is */
    EXPECT_EQ(DebugTrimCount(10000, 3000, 100), 10000);
    EXPECT_EQ(DebugTrimCount(0, 0, 100000), 0);
}
