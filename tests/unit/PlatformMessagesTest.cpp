#include "platform/Messages.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <string>

using platform::formatText;

TEST(PlatformMessagesTest, FormatsLikePrintf)
{
    EXPECT_EQ(formatText("Camera position: (%g, %g, %g)", 1.5, -0.25, 1e7),
              "Camera position: (1.5, -0.25, 1e+07)");
    EXPECT_EQ(formatText("%s", ""), "");
}

TEST(PlatformMessagesTest, LongTextsAreNotCutShort)
{
    const std::string name(5000, 'x');
    const std::string text = formatText("Unable to read in texture \"%s\"", name.c_str());
    EXPECT_EQ(text, "Unable to read in texture \"" + name + "\"");
}

TEST(PlatformMessagesTest, ConversionsInsideArgumentsAreNotInterpreted)
{
    // A texture name read from a hostile world file.
    const std::string text = formatText("Unable to read in texture \"%s\"", "%s%n%x%%");
    EXPECT_EQ(text, "Unable to read in texture \"%s%n%x%%\"");
}

TEST(PlatformMessagesTest, BoxesCarryTheirCaptions)
{
    platform::showMessage("Camera position: (0, 1.5, 0)");
    platform::showError("Unable to open input file");

    const auto& shown = fakePlatform().messages;
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].caption, "      Message      ");
    EXPECT_EQ(shown[0].text, "Camera position: (0, 1.5, 0)");
    EXPECT_EQ(shown[1].caption, "Error");
    EXPECT_EQ(shown[1].text, "Unable to open input file");
}
