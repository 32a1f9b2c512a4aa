#include "support/TestEnvironment.h"

#include "app/Hud.h"
#include "app/Screenshot.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#include <filesystem>
#include <random>

namespace fs = std::filesystem;

TEST(Screenshot, NamedByDateAndTimeInAFolderBesideBin)
{
    std::tm moment{};
    moment.tm_year = 2026 - 1900;
    moment.tm_mon = 11;
    moment.tm_mday = 7;
    moment.tm_hour = 9;
    moment.tm_min = 5;
    moment.tm_sec = 3;
    EXPECT_EQ(screenshotFileName(moment), "2026-12-07_09-05-03.png");
    for (const char* bin : {"/games/build/game/Bin", "/games/build/game/Bin/",
                            "/games/build/game/Bin/.", "/games/build/game/x/../Bin"}) {
        EXPECT_EQ(screenshotFolder(bin), "/games/build/game/Screenshots") << bin;
    }

    // Bin as the command line named it: a linked Bin stays that Bin.
    TempDir dir;
    fs::create_directories(dir.path() / "Bin");
    fs::current_path(dir.path() / "Bin");
    for (const char* argv0 : {"./game", "../Bin/game", "game"}) {
        SCOPED_TRACE(argv0);
        const std::string folder = platform::executableFolder(argv0);
        EXPECT_NE(folder.back(), '/');
        if (argv0 == std::string("game")) continue;  // the executable's own folder
        EXPECT_EQ(folder, fs::canonical(dir.path() / "Bin").string());
        EXPECT_EQ(screenshotFolder(folder), fs::canonical(dir.path()).string() + "/Screenshots");
    }
}

TEST(Screenshot, ThePngHoldsThePixelsAndNeverOverwrites)
{
    TempDir dir;
    const int width = 37, height = 11;  // odd sizes: no row padding hides
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width * height * 3));
    std::mt19937 random(7);
    for (auto& byte : rgb) byte = static_cast<std::uint8_t>(random());

    const std::string folder = dir.file("game/Screenshots");  // made on demand
    const std::time_t when = 1'800'000'000;
    std::vector<std::string> written;
    for (int i = 0; i < 3; ++i) {
        const auto file = saveScreenshot(folder, when, width, height, rgb);
        ASSERT_TRUE(file);
        written.push_back(*file);
    }
    EXPECT_NE(written[0], written[1]);
    EXPECT_NE(written[1], written[2]);
    EXPECT_NE(written[1].find("-2.png"), std::string::npos) << written[1];

    int w = 0, h = 0, channels = 0;
    stbi_uc* decoded = stbi_load(written[0].c_str(), &w, &h, &channels, 3);
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
    EXPECT_TRUE(std::equal(rgb.begin(), rgb.end(), decoded));
    stbi_image_free(decoded);

    // A folder that cannot be made: no file, no crash.
    dir.write("blocked", "a file, not a folder");
    EXPECT_FALSE(saveScreenshot(dir.file("blocked/Screenshots"), when, width, height, rgb));
    EXPECT_FALSE(saveScreenshot(folder, when, width, height, {}));
}

TEST(HudNote, ShownForTwoSeconds)
{
    Hud hud;
    EXPECT_EQ(hud.note(0), "");
    hud.showNote("Screenshot saved", 10'000);
    EXPECT_EQ(hud.note(10'000), "Screenshot saved");
    EXPECT_EQ(hud.note(10'000 + Hud::noteMs - 1), "Screenshot saved");
    EXPECT_EQ(hud.note(10'000 + Hud::noteMs), "");
    hud.showNote("Live reload off", 11'000);  // a newer note replaces it
    EXPECT_EQ(hud.note(12'500), "Live reload off");
}
