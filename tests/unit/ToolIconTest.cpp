#include "support/TestEnvironment.h"

#include "content/Icon.h"

#include <gtest/gtest.h>

#include <stb/stb_image.h>

#include <filesystem>
#include <sstream>
#include <string>

namespace {

struct Rgba {
    int r, g, b, a;
};

// The pixel at a point given in fractions of the side.
Rgba at(const std::vector<std::uint8_t>& icon, int size, double u, double v)
{
    const int x = static_cast<int>(u * size);
    const int y = static_cast<int>(v * size);
    const std::uint8_t* p = &icon[(static_cast<std::size_t>(y) * size + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

}  // namespace

TEST(ToolIcon, EverySizeShowsTheCanyonOnATileWithRoundCorners)
{
    for (const int size : tools::iconSizes) {
        SCOPED_TRACE(size);
        const std::vector<std::uint8_t> icon = tools::drawIcon(size);
        ASSERT_EQ(icon.size(), static_cast<std::size_t>(size) * size * 4);
        // The corners are outside the tile; its middle is opaque.
        EXPECT_EQ(at(icon, size, 0.0, 0.0).a, 0);
        EXPECT_EQ(at(icon, size, 0.99, 0.99).a, 0);
        EXPECT_EQ(at(icon, size, 0.5, 0.5).a, 255);
        // Sky between the walls at the top, rock at the sides, the creek
        // near the bottom.
        const Rgba sky = at(icon, size, 0.5, 0.32);
        EXPECT_GT(sky.b, sky.r + 40) << "sky";
        const Rgba rock = at(icon, size, 0.12, 0.35);
        EXPECT_GT(rock.r, rock.b + 40) << "rock";
        const Rgba creek = at(icon, size, 0.5, 0.86);
        EXPECT_GT(creek.b, creek.r + 40) << "creek";
        // The same pixels every time.
        EXPECT_EQ(tools::drawIcon(size), icon);
    }
    EXPECT_TRUE(tools::drawIcon(0).empty());
}

TEST(ToolIcon, WrittenAsPngFilesInTheHicolorFolders)
{
    TempDir dir;
    std::ostringstream report, errors;
    ASSERT_TRUE(tools::writeIcons(dir.file("icons"), report, errors)) << errors.str();
    EXPECT_EQ(errors.str(), "");
    EXPECT_NE(report.str().find("16 to 256 pixels"), std::string::npos) << report.str();
    for (const int size : tools::iconSizes) {
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        const std::string file = dir.file("icons/" + name + "/apps/arroyo.png");
        int width = 0, height = 0, channels = 0;
        stbi_uc* pixels = stbi_load(file.c_str(), &width, &height, &channels, 4);
        ASSERT_NE(pixels, nullptr) << file;
        EXPECT_EQ(width, size);
        EXPECT_EQ(height, size);
        EXPECT_EQ(channels, 4);
        const std::vector<std::uint8_t> drawn = tools::drawIcon(size);
        EXPECT_TRUE(std::equal(drawn.begin(), drawn.end(), pixels)) << file;
        stbi_image_free(pixels);
    }
    // A folder that cannot be made: one message, false.
    dir.write("blocked", "");
    std::ostringstream none, why;
    EXPECT_FALSE(tools::writeIcons(dir.file("blocked/icons"), none, why));
    EXPECT_NE(why.str().find("cannot write"), std::string::npos);
}
