// The headless platform and texture device that the tools, the fuzz
// harnesses and the benchmarks run the engine with: what a tool prints for
// a message box, and what a counts-only run still counts.

#include "commands/ToolEnvironment.h"
#include "platform/HeadlessPlatform.h"
#include "platform/Messages.h"
#include "textures/NullTextureDevice.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

using platform::HeadlessPlatform;

TEST(HeadlessPlatform, AToolPrintsEachMessageBoxAsOneLine)
{
    struct Case {
        const char* caption;
        const char* text;
        const char* line;
    };
    const Case cases[] = {
        {"      Message      ", "Camera position: (0, 1.5, 0)",
         "Message: Camera position: (0, 1.5, 0)"},
        {"Error", "\n\nTexture wall.bmp is not a power of two",
         "Error: Texture wall.bmp is not a power of two"},
        {"Error", "two\nlines\n", "Error: two\nlines\n"},
        {"   ", "\n", ": "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HeadlessPlatform::consoleLine(c.caption, c.text), c.line) << c.caption << c.text;

    // The tools' environment prints and keeps nothing: a tool may report
    // without end.
    std::ostringstream console;
    {
        tools::ToolEnvironment environment(console);
        platform::showMessage("Camera position: (0, 1.5, 0)");
        platform::showError("Unable to open input file");
        EXPECT_TRUE(environment.platform().messages.empty());
        EXPECT_EQ(environment.platform().interruptions, 2u);
    }
    EXPECT_EQ(console.str(),
              "Message: Camera position: (0, 1.5, 0)\nError: Unable to open input file\n");
}

TEST(NullTextureDevice, CountsLiveNamesWhateverHistoryItKeeps)
{
    // The fuzz harnesses find leaked GL names by the live count of a
    // counts-only device.
    for (const auto history :
         {NullTextureDevice::History::kept, NullTextureDevice::History::countsOnly}) {
        const bool kept = history == NullTextureDevice::History::kept;
        NullTextureDevice device(history);
        const unsigned first = device.generateName();
        const unsigned second = device.generateName();
        device.upload(second, 4, 2, nullptr, true);
        device.releaseName(first);
        EXPECT_EQ(device.live, 1) << kept;
        EXPECT_NE(first, second);
        EXPECT_EQ(device.nextName, second + 1);
        EXPECT_EQ(device.released.size(), kept ? 1u : 0u);
        ASSERT_EQ(device.uploads.size(), kept ? 1u : 0u);
        if (kept) {
            EXPECT_EQ(device.uploads[0].width, 4);
        }
        device.releaseName(second);
        EXPECT_EQ(device.live, 0) << kept;
    }
}

}  // namespace
