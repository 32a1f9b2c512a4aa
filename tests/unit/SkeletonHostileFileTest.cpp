// Damaged and hostile skeleton files: each is refused with the reader's
// failure saying why, and loading one shows the one start-up box. A file
// cut anywhere, or damaged at random, never gets half read.
#include "skeleton/SkeletonReader.h"
#include "support/TestEnvironment.h"
#include "text/TokenReader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A plain bone record: length 1, identity frame, no angles.
std::string bone(int children)
{
    return "1  1 0 0  0 1 0  0 0 0  0 0 " + std::to_string(children) + "\n";
}

// A chain of the given number of bones, each the child of the one before.
std::string chain(int bones)
{
    std::string text;
    for (int i = 0; i < bones; ++i) text += bone(i + 1 < bones ? 1 : 0);
    return text + "0\n";
}

// A root with the given number of children.
std::string bush(int children)
{
    std::string text = bone(children);
    for (int i = 0; i < children; ++i) text += bone(0);
    return text + "0\n";
}

const std::string walker = bone(2) + bone(1) + bone(0) + bone(0) +
                           "3\n"
                           "3 0 0 0.5 1 1 0\n"
                           "2 0 0.25 2 0.75\n"
                           "4 0 1 0.5 0 0.5 1 1.5 1\n";

struct Refusal {
    const char* name;
    std::string text;
    const char* expected;  // part of what the reader's failure says was expected
};

TEST(SkeletonHostileFile, EachMalformedFileIsRefusedForItsReason)
{
    const Refusal refusals[] = {
        {"empty file", "", "a number"},
        {"a word for the length", "x 1 0 0 0 1 0 0 0 0 0 0 0\n0\n", "a number"},
        {"not a number: nan", "1 nan 0 0 0 1 0 0 0 0 0 0 0\n0\n", "a number"},
        {"child count not an integer", "1 1 0 0 0 1 0 0 0 0 0 0 1.5\n0\n", "an integer"},
        {"negative child count", bone(-1) + "0\n", "0 or more"},
        {"more children than the file could hold", bone(1000) + bone(0) + "0\n", "can hold"},
        {"no channel count", bone(0), "an integer"},
        {"negative channel count", bone(0) + "-1\n", "0 or more"},
        {"more channels than bones", bone(0) + "2\n2 0 0 1 1\n2 0 0 1 1\n", "one channel per bone"},
        {"a channel with no keys", bone(0) + "1\n0 0 0\n", "at least one key"},
        {"a negative key count", bone(0) + "1\n-2 0 0\n", "0 or more"},
        {"keys out of time order", bone(0) + "1\n3 0 0 2 1 1 0\n", "ascending time"},
        {"a single key at time 0", bone(0) + "1\n1 0 0.5\n", "after time 0"},
        {"a last key before time 0", bone(0) + "1\n2 -2 0 -1 1\n", "after time 0"},
        {"a key without its value", bone(0) + "1\n2 0 0 1\n", "a number"},
        {"nesting one deeper than allowed", chain(maximumBoneDepth + 1), "nested"},
        {"one bone more than allowed", bush(maximumBoneCount), "bones"},
    };
    for (const Refusal& r : refusals) {
        TokenReader in(r.text);
        EXPECT_FALSE(readSkeleton(in)) << r.name;
        ASSERT_FALSE(in.ok()) << r.name;
        EXPECT_NE(in.failure()->expected.find(r.expected), std::string::npos)
            << r.name << ": " << in.describeFailure("test.skl");
    }
}

TEST(SkeletonHostileFile, TheLimitsThemselvesAreRead)
{
    for (const std::string& text : {chain(maximumBoneDepth), bush(maximumBoneCount - 1)}) {
        TokenReader in(text);
        const auto skeleton = readSkeleton(in);
        ASSERT_TRUE(skeleton) << in.describeFailure("test.skl");
        skeleton->animate(1.0);
    }
    TokenReader in(chain(maximumBoneDepth));
    EXPECT_EQ(readSkeleton(in)->bones.back().parent, maximumBoneDepth - 2);
}

std::vector<std::string> tokens(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string t; in >> t;) out.push_back(t);
    return out;
}

TEST(SkeletonHostileFile, AFileCutAfterAnyTokenIsRefused)
{
    const std::vector<std::string> words = tokens(walker);
    {
        TokenReader in(walker);
        ASSERT_TRUE(readSkeleton(in));
    }
    std::string prefix;
    for (std::size_t cut = 0; cut < words.size(); ++cut) {
        TokenReader in(prefix);
        EXPECT_FALSE(readSkeleton(in)) << "cut after " << cut << " tokens";
        EXPECT_FALSE(in.ok());
        prefix += words[cut] + (cut % 5 == 4 ? "\n" : " ");
    }
}

// Whatever a damaged file gives is whole: parents before children, at most
// one playable channel per bone, each on its own bone.
TEST(SkeletonHostileFile, RandomDamageIsRefusedOrReadWhole)
{
    const std::vector<std::string> words = tokens(walker);
    const char* const replacements[] = {"0",  "1",   "-1",         "2",     "13",  "1e308",
                                        "-7", "nan", "2147483647", "-1e-9", "0.5", "x"};
    std::mt19937 random(7);
    int read = 0;
    for (int trial = 0; trial < 3000; ++trial) {
        std::vector<std::string> damaged = words;
        const int changes = 1 + static_cast<int>(random() % 3);
        for (int k = 0; k < changes; ++k) {
            const std::size_t at = random() % damaged.size();
            switch (random() % 3) {
            case 0: damaged[at] = replacements[random() % std::size(replacements)]; break;
            case 1: damaged.erase(damaged.begin() + static_cast<std::ptrdiff_t>(at)); break;
            default: damaged.insert(damaged.begin() + static_cast<std::ptrdiff_t>(at), "1"); break;
            }
            if (damaged.empty()) damaged.push_back("1");
        }
        std::string text;
        for (const std::string& w : damaged) text += w + " ";
        TokenReader in(text);
        const auto skeleton = readSkeleton(in);
        if (!skeleton) continue;
        ++read;
        ASSERT_FALSE(skeleton->bones.empty()) << text;
        EXPECT_EQ(skeleton->root().parent, -1);
        for (std::size_t i = 1; i < skeleton->bones.size(); ++i) {
            EXPECT_GE(skeleton->bones[i].parent, 0) << text;
            EXPECT_LT(skeleton->bones[i].parent, static_cast<int>(i)) << text;
        }
        ASSERT_LE(skeleton->channels.size(), skeleton->bones.size()) << text;
        for (std::size_t c = 0; c < skeleton->channels.size(); ++c) {
            EXPECT_EQ(skeleton->channels[c].boneIndex, static_cast<int>(c));
            EXPECT_TRUE(skeleton->channels[c].playable()) << text;
        }
        skeleton->animate(0.3);
        for (const Bone& b : skeleton->bones) {
            EXPECT_GE(b.blend, 0.0);
            EXPECT_LE(b.blend, 1.0);
        }
    }
    EXPECT_GT(read, 0);  // some damage is harmless (a changed number)
}

TEST(SkeletonHostileFile, LoadingShowsOneBoxForAMissingOrRefusedFileAndNoneOtherwise)
{
    TempDir dir;
    std::filesystem::create_directory(dir.file("folder.skl"));
    struct Case {
        std::string path;
        bool loads;
    };
    const Case cases[] = {
        {dir.file("missing.skl"), false},
        {dir.file("folder.skl"), false},
        {dir.write("cut.skl", walker.substr(0, walker.size() / 2)), false},
        {dir.write("deep.skl", chain(maximumBoneDepth + 1)), false},
        {dir.write("walker.skl", walker), true},
    };
    for (const Case& c : cases) {
        fakePlatform().messages.clear();
        const auto skeleton = loadSkeleton(c.path);
        EXPECT_EQ(static_cast<bool>(skeleton), c.loads) << c.path;
        if (c.loads) {
            EXPECT_TRUE(fakePlatform().messages.empty()) << c.path;
            EXPECT_EQ(skeleton->bones.size(), 4u);
            continue;
        }
        ASSERT_EQ(fakePlatform().messages.size(), 1u) << c.path;
        EXPECT_EQ(fakePlatform().messages[0].caption, "Error");
        EXPECT_EQ(fakePlatform().messages[0].text, "Unable to open skeleton file");
    }
}

}  // namespace
