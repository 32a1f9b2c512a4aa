#include "platform/CursorTracker.h"

#include <gtest/gtest.h>

namespace {

using platform::CursorTracker;

void expectAt(const CursorTracker& t, int x, int y)
{
    EXPECT_EQ(t.position().x, x);
    EXPECT_EQ(t.position().y, y);
}

TEST(CursorTracker, AMoveBeforeTheWarpsEchoIsKept)
{
    CursorTracker t;
    t.motion(100, 100);
    ASSERT_TRUE(t.warp(400, 300));
    expectAt(t, 400, 300);
    t.motion(410, 300);  // the player moved before the warp's event came
    t.motion(400, 300);  // the stale echo
    expectAt(t, 410, 300);
}

TEST(CursorTracker, AnEchoFirstThenAMove)
{
    CursorTracker t;
    t.warp(400, 300);
    t.motion(400, 300);
    t.motion(390, 305);
    expectAt(t, 390, 305);
    // Consumed: a later real move back to the centre counts.
    t.motion(400, 300);
    expectAt(t, 400, 300);
}

TEST(CursorTracker, NoWarpWhenThePointerIsAlreadyThere)
{
    CursorTracker t;
    EXPECT_TRUE(t.warp(400, 300));
    t.motion(400, 300);
    EXPECT_FALSE(t.warp(400, 300));
    // Nothing pending, so the centre reported again is a real position.
    t.motion(401, 300);
    t.motion(400, 300);
    expectAt(t, 400, 300);
}

TEST(CursorTracker, AnOldCentresEchoAfterAResizeIsNotAMove)
{
    CursorTracker t;
    t.motion(405, 300);
    t.warp(400, 300);    // centre of 800 x 600
    t.warp(512, 384);    // the window went full screen before the echo came
    t.motion(400, 300);  // echo of the old centre
    expectAt(t, 512, 384);
    t.motion(512, 384);
    t.motion(520, 384);
    expectAt(t, 520, 384);
}

TEST(CursorTracker, EchoesThatNeverComeAreForgotten)
{
    CursorTracker t;
    for (int i = 0; i < 10; ++i) t.warp(i, i);
    t.motion(0, 0);  // too old to still be pending: a real position
    expectAt(t, 0, 0);
}

}  // namespace
