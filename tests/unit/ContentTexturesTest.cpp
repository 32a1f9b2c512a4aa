#include "support/TestEnvironment.h"

#include "content/Textures.h"
#include "textures/ImageLoader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

namespace {

// The generated files written where the game looks for them, read back
// through the engine's own image readers.
struct TextureFolder {
    TempDir dir;
    std::map<std::string, std::vector<std::uint8_t>> bytes;

    TextureFolder()
    {
        for (const tools::GeneratedFile& f : tools::generateTextures()) {
            dir.write("Textures/" + f.name, std::string(f.bytes.begin(), f.bytes.end()));
            bytes[f.name] = f.bytes;
        }
        dir.write("Bin/.keep", "");
        std::filesystem::current_path(dir.path() / "Bin");
    }
};

bool powerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

int alphaAt(const Texture& t, int x, int y)
{
    return t.pixels()[(static_cast<std::size_t>(y) * t.width() + x) * 4 + 3];
}

TEST(ContentTextures, EveryFileLoadsInTheEnginesReadersAsPowerOfTwoSquares)
{
    TextureFolder folder;
    ASSERT_GE(folder.bytes.size(), 20u);
    for (const auto& [name, bytes] : folder.bytes) {
        if (name.size() > 6 && name.compare(name.size() - 6, 6, "-a.bmp") == 0)
            continue;  // alpha companions
        const std::string path = "..\\Textures\\" + name;
        auto texture = loadTexture(path);
        ASSERT_TRUE(texture) << name;
        EXPECT_TRUE(powerOfTwo(texture->width()) && powerOfTwo(texture->height())) << name;
    }
    // No power-of-two warnings, no other boxes.
    EXPECT_TRUE(fakePlatform().messages.empty());

    // Both readers and all four depths are exercised.
    auto header = [&](const std::string& name, std::size_t offset) {
        return folder.bytes.at(name)[offset];
    };
    EXPECT_EQ(header("rock.bmp", 28), 24);
    EXPECT_EQ(header("metal.bmp", 28), 8);
    EXPECT_EQ(header("cloudShadows.bmp", 28), 8);
    EXPECT_EQ(header("sand.tga", 16), 24);
    EXPECT_EQ(header("corona.tga", 16), 32);
}

TEST(ContentTextures, NamesTheEngineUsesResolveFromBin)
{
    TextureFolder folder;
    for (const char* name :
         {"!..\\Textures\\crosshair.bmp", "..\\TEXTURES\\cloudShadows.bmp",
          "..\\TEXTURES\\corona.tga", "!..\\Textures\\corona.bmp", "..\\Textures\\cement-1.bmp"}) {
        EXPECT_TRUE(loadTexture(name)) << name;
    }
}

TEST(ContentTextures, CrosshairIsAThinCrossOnTransparency)
{
    TextureFolder folder;
    auto crosshair = loadTexture("!..\\Textures\\crosshair.bmp");
    ASSERT_TRUE(crosshair);
    const int n = crosshair->width();
    EXPECT_EQ(alphaAt(*crosshair, 0, 0), 0);                    // corner
    EXPECT_EQ(alphaAt(*crosshair, n / 2, n / 2), 0);            // open centre
    EXPECT_GT(alphaAt(*crosshair, n / 2, n / 2 + n / 4), 250);  // vertical arm
    EXPECT_GT(alphaAt(*crosshair, n / 2 + n / 4, n / 2), 250);  // horizontal arm
    EXPECT_EQ(alphaAt(*crosshair, n / 4, n / 4), 0);            // between the arms
    int opaque = 0;
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) opaque += alphaAt(*crosshair, x, y) > 200;
    }
    EXPECT_LT(opaque, n * n / 8);  // thin
}

TEST(ContentTextures, CoronaFadesOutwardsInBothForms)
{
    TextureFolder folder;
    for (const char* name : {"..\\TEXTURES\\corona.tga", "!..\\Textures\\corona.bmp"}) {
        auto corona = loadTexture(name);
        ASSERT_TRUE(corona) << name;
        const int n = corona->width();
        const int centre = alphaAt(*corona, n / 2, n / 2);
        const int middle = alphaAt(*corona, n / 2 + n / 5, n / 2);
        const int rim = alphaAt(*corona, n - 1, n / 2);
        EXPECT_GT(centre, 200) << name;
        EXPECT_GT(centre, middle);
        EXPECT_GT(middle, rim);
        EXPECT_LE(rim, 10);
        EXPECT_EQ(alphaAt(*corona, 0, 0), 0);
    }
}

// How much a picture changes across its wrap-around seam compared with
// how much it changes between neighbouring columns or rows elsewhere.
double seamRatio(const tools::Image& image, bool acrossX)
{
    auto difference = [&](int a, int b) {
        long sum = 0;
        for (int k = 0; k < image.width; ++k) {
            for (int c = 0; c < 3; ++c) {
                const int p = acrossX ? image.at(a, k)[c] : image.at(k, a)[c];
                const int q = acrossX ? image.at(b, k)[c] : image.at(k, b)[c];
                sum += std::abs(p - q);
            }
        }
        return static_cast<double>(sum);
    };
    const int n = acrossX ? image.width : image.height;
    double inside = 0.0;
    for (int i = 0; i + 1 < n; ++i) inside += difference(i, i + 1);
    inside /= n - 1;
    return difference(n - 1, 0) / std::max(inside, 1.0);
}

TEST(ContentTextures, TilingTexturesHaveNoSeam)
{
    const std::vector<std::pair<const char*, tools::Image>> tiles = {
        {"cloud shadows", tools::cloudShadowTexture(128)},
        {"cloud layer", tools::cloudLayerTexture(128)},
        {"rock", tools::rockTexture(128)},
        {"sand", tools::sandTexture(128)},
        {"stone", tools::stoneBlockTexture(128)},
        {"cement", tools::cementTexture(128)},
        {"grass", tools::grassTexture(128)}};
    for (const auto& [name, image] : tiles) {
        EXPECT_LT(seamRatio(image, true), 2.5) << name;
        EXPECT_LT(seamRatio(image, false), 2.5) << name;
    }
    // Cloud shadows: white where there is no cloud, grey clouds somewhere.
    const tools::Image shadows = tools::cloudShadowTexture(128);
    int white = 0, grey = 0;
    for (int i = 0; i < 128 * 128; ++i) {
        const int level = shadows.rgba[static_cast<std::size_t>(i) * 4];
        white += level >= 250;
        grey += level < 200;
    }
    EXPECT_GT(white, 128 * 128 / 4);
    EXPECT_GT(grey, 128 * 128 / 20);
}

TEST(ContentTextures, SkyFacesMeetAlongTheirEdges)
{
    using tools::SkyFace;
    constexpr int n = 64;
    // Each face's direction at its edges equals its neighbour's.
    EXPECT_EQ(tools::skyFaceDirection(SkyFace::Front, 0.3, 1.0),
              tools::skyFaceDirection(SkyFace::Up, 0.3, 0.0));
    EXPECT_EQ(tools::skyFaceDirection(SkyFace::Front, 1.0, 0.7),
              tools::skyFaceDirection(SkyFace::Right, 0.0, 0.7));
    EXPECT_EQ(tools::skyFaceDirection(SkyFace::Right, 1.0, 0.7),
              tools::skyFaceDirection(SkyFace::Back, 0.0, 0.7));
    EXPECT_EQ(tools::skyFaceDirection(SkyFace::Back, 1.0, 0.7),
              tools::skyFaceDirection(SkyFace::Left, 0.0, 0.7));
    EXPECT_EQ(tools::skyFaceDirection(SkyFace::Left, 1.0, 0.7),
              tools::skyFaceDirection(SkyFace::Front, 0.0, 0.7));
    EXPECT_EQ(tools::skyFaceDirection(SkyFace::Front, 0.3, 0.0),
              tools::skyFaceDirection(SkyFace::Down, 0.3, 1.0));
    // So the pictures continue across the seam: the top row of the front
    // face against the bottom row of the up face.
    const tools::Image front = tools::skyTexture(SkyFace::Front, n);
    const tools::Image up = tools::skyTexture(SkyFace::Up, n);
    for (int x = 0; x < n; ++x) {
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(front.at(x, n - 1)[c], up.at(x, 0)[c], 6) << x;
    }
    // Blue overhead, pale at the horizon.
    EXPECT_GT(up.at(n / 2, n / 2)[2], up.at(n / 2, n / 2)[0] + 60);
    EXPECT_GT(front.at(n / 2, n / 2)[0], up.at(n / 2, n / 2)[0] + 60);
}

TEST(ContentTextures, SameBytesOnEveryRun)
{
    const auto first = tools::generateTextures();
    const auto second = tools::generateTextures();
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t i = 0; i < first.size(); ++i)
        EXPECT_TRUE(first[i].bytes == second[i].bytes) << first[i].name;
}

}  // namespace
