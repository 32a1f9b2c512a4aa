#include "support/TestEnvironment.h"

#include "app/FramePacer.h"
#include "platform/HeadlessPlatform.h"
#include "state/FrameClock.h"

#include <gtest/gtest.h>

namespace {

FrameClock clockAt(std::uint64_t lastFrame)
{
    FrameClock clock;
    clock.lastFrameTime = lastFrame;
    return clock;
}

}  // namespace

TEST(FrameClockPacing, FrameFigures)
{
    struct Case {
        std::uint64_t elapsed;
        double timeStep;
        double fps;
    };
    for (const Case c : {Case{25, 0.4, 40}, Case{50, 0.8, 20}, Case{100, 1.6, 10},
                         Case{101, 1.6, 1000.0 / 101}, Case{5000, 1.6, 0.2}}) {
        SCOPED_TRACE(c.elapsed);
        FrameClock clock = clockAt(1000);
        fakePlatform().now = 1000 + c.elapsed;
        waitForNextFrame(clock, fakePlatform());
        EXPECT_EQ(clock.frameMilliseconds, static_cast<int>(c.elapsed));
        EXPECT_DOUBLE_EQ(clock.timeStep, c.timeStep);
        EXPECT_DOUBLE_EQ(clock.framesPerSecond, c.fps);
        EXPECT_EQ(clock.lastFrameTime, 1000 + c.elapsed);
        EXPECT_EQ(fakePlatform().now, 1000 + c.elapsed);  // no sleep
    }
}

TEST(FrameClockPacing, EarlyFramesSleepToThe25msMark)
{
    FrameClock clock = clockAt(1000);
    fakePlatform().now = 1003;
    waitForNextFrame(clock, fakePlatform());
    EXPECT_EQ(fakePlatform().now, 1025u);
    EXPECT_EQ(clock.frameMilliseconds, 25);
    EXPECT_DOUBLE_EQ(clock.timeStep, 0.4);
    EXPECT_DOUBLE_EQ(clock.framesPerSecond, 40);

    // The next one counts from this frame, not from when it was asked for.
    waitForNextFrame(clock, fakePlatform());
    EXPECT_EQ(fakePlatform().now, 1050u);
    EXPECT_EQ(clock.lastFrameTime, 1050u);
}

// A platform that must not block (the browser) turns frames away until the
// deadline has passed; nothing is recorded and nothing sleeps meanwhile.
TEST(FrameClockPacing, APlatformThatCannotWaitIsAskedAgainLater)
{
    class NonBlocking : public platform::HeadlessPlatform {
    public:
        bool mayStartFrame(std::uint64_t deadlineMs) override { return now >= deadlineMs; }
    } browser;
    FrameClock clock = clockAt(1000);
    browser.now = 1010;
    EXPECT_FALSE(waitForNextFrame(clock, browser));
    EXPECT_EQ(browser.now, 1010u);
    EXPECT_EQ(clock.lastFrameTime, 1000u);
    browser.now = 1031;
    EXPECT_TRUE(waitForNextFrame(clock, browser));
    EXPECT_EQ(clock.frameMilliseconds, 31);
}

TEST(FrameClockPacing, StartsWithAUnitStepAndNoRate)
{
    FrameClock clock;
    clock.framesPerSecond = 12;
    clock.timeStep = 0.3;
    fakePlatform().now = 777;
    startFrameClock(clock, fakePlatform());
    EXPECT_EQ(clock.lastFrameTime, 777u);
    EXPECT_EQ(clock.framesPerSecond, 0.0);
    EXPECT_EQ(clock.timeStep, 1.0);
}
