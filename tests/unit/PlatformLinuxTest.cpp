#include "platform/LinuxPlatform.h"

#include <gtest/gtest.h>

// The parts of the real platform that need no display. Dialogs are
// exercised by the end-to-end test, which drives them with xdotool.

TEST(PlatformLinuxTest, ClockNeverRunsBackwardsAndSleepsToTheDeadline)
{
    platform::Platform& real = platform::linuxPlatform();
    const std::uint64_t start = real.milliseconds();
    real.sleepUntil(start + 30);
    const std::uint64_t woke = real.milliseconds();
    EXPECT_GE(woke, start + 30);
    // A deadline already passed returns at once rather than waiting for a wrap.
    real.sleepUntil(0);
    real.sleepUntil(woke);
    EXPECT_GE(real.milliseconds(), woke);
}

TEST(PlatformLinuxTest, CursorIsTrackedWithoutAWindow)
{
    platform::Platform& real = platform::linuxPlatform();
    // Without a GLUT window these must not reach freeglut, which would end
    // the process when it has not been initialised.
    real.setCursorVisible(false);
    real.warpCursor(400, 300);
    EXPECT_EQ(real.cursorPosition().x, 400);
    EXPECT_EQ(real.cursorPosition().y, 300);

    // The motion callbacks report where the pointer went since the warp.
    platform::noteCursorPosition(412, 291);
    EXPECT_EQ(real.cursorPosition().x, 412);
    EXPECT_EQ(real.cursorPosition().y, 291);

    // A warp back to the centre reads as the new reference at once, before
    // its own motion event arrives.
    real.warpCursor(400, 300);
    EXPECT_EQ(real.cursorPosition().x, 400);
    EXPECT_EQ(real.cursorPosition().y, 300);
    real.setCursorVisible(true);
}
