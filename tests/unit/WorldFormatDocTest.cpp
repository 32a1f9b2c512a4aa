// The examples of docs/world-format.md, loaded with the game's own loader,
// so that the reference fails here the day it disagrees with the code.
//
// Fenced blocks are taken by their info string:
//   wrl-world            a whole world that loads without any message
//   wrl-record           one entity block, loaded inside a minimal world
//   wrl-bsp              a BSP section, after a minimal world without entities
//   wrl-refused DETAIL   a whole world refused with one "Error" box whose text
//                        or detail (what worldtool check prints) holds DETAIL
// Every image file an example names is made (2 x 2) under the example's
// folder, with its path in lower case, so the examples also hold the
// document to its promise that case does not matter in folder and file names.

#include "ImageTestFiles.h"
#include "support/TestEnvironment.h"

#include "geometry/BspNode.h"
#include "world/EntityKinds.h"
#include "world/ObjectFactory.h"
#include "world/World.h"
#include "world/WorldLoader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

namespace {

struct Example {
    std::string tag;
    std::string detail;
    std::string text;
    int line = 0;  // of the opening fence
};

const char* const knownTags[] = {"wrl-world", "wrl-record", "wrl-bsp", "wrl-refused"};

std::string readDocument()
{
    std::ifstream in(WORLD_FORMAT_DOC);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every fenced block whose info string starts with "wrl".
std::vector<Example> examples(const std::string& markdown)
{
    std::vector<Example> out;
    std::istringstream in(markdown);
    std::string line;
    int number = 0;
    bool inFence = false;
    Example* open = nullptr;
    while (std::getline(in, line)) {
        ++number;
        if (line.rfind("```", 0) != 0) {
            if (open) open->text += line + "\n";
            continue;
        }
        if (inFence) {
            inFence = false;
            open = nullptr;
            continue;
        }
        inFence = true;
        std::istringstream info(line.substr(3));
        Example example;
        info >> example.tag;
        if (example.tag.rfind("wrl", 0) != 0) continue;
        std::getline(info >> std::ws, example.detail);
        example.line = number;
        out.push_back(std::move(example));
        open = &out.back();
    }
    return out;
}

std::string lower(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool endsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Writes a small image for every word of the example that names one,
// relative to the world's folder, in lower case.
void writeNamedImages(const std::string& text, const TempDir& dir)
{
    namespace fs = std::filesystem;
    std::istringstream words(text);
    std::string word;
    while (words >> word) {
        const bool alpha = word.front() == '!';
        std::string name = lower(alpha ? word.substr(1) : word);
        const bool tga = endsWith(name, ".tga");
        if (!tga && !endsWith(name, ".bmp")) continue;
        std::replace(name.begin(), name.end(), '\\', '/');
        const fs::path file = (dir.path() / "worlds" / name).lexically_normal();
        const fs::path inside = file.lexically_relative(dir.path());
        ASSERT_FALSE(inside.empty() || *inside.begin() == "..")
            << word << " leaves the game folder";
        if (tga) {
            imagetest::Tga image;
            image.width = image.height = 2;
            image.bits = 32;
            image.pixels.assign(2 * 2 * 4, 0x80);
            dir.write(inside.string(), imagetest::tgaFile(image));
        } else {
            dir.write(inside.string(), imagetest::solidBmp24(2, 2, 0x40, 0x80, 0xC0));
        }
        if (alpha) {
            const std::string companion = inside.string().substr(0, inside.string().size() - 4);
            dir.write(companion + "-a.bmp", imagetest::solidBmp24(2, 2, 0xFF, 0xFF, 0xFF));
        }
    }
}

// Player start, ambient light, no textures.
const std::string minimalHeader = "0 1.5 0  0.5 0.5 0.5\n0\n";

std::string worldText(const Example& example)
{
    if (example.tag == "wrl-record") return minimalHeader + "1\n" + example.text;
    if (example.tag == "wrl-bsp") return minimalHeader + "0\n" + example.text;
    return example.text;
}

// Whether the block is exactly one record (or one BSP section): nothing
// left over that the loader would skip or read as something else.
bool readsWhole(const Example& example)
{
    TokenReader in(example.text);
    World scratch;
    if (example.tag == "wrl-record") {
        if (!readEntity(in, scratch)) return false;
    } else {
        readBspTree(in);
    }
    return in.ok() && in.atEnd();
}

bool known(const std::string& tag)
{
    return std::find(std::begin(knownTags), std::end(knownTags), tag) != std::end(knownTags);
}

void checkExample(const Example& example)
{
    if (!known(example.tag)) return;  // reported by ShowsEveryRecordKind
    TempDir dir;
    writeNamedImages(example.text, dir);
    const std::string path = dir.write("worlds/example.wrl", worldText(example));
    enterWorldFolder(path);
    fakePlatform().messages.clear();
    const std::unique_ptr<World> world = loadWorld("example.wrl", true);
    const auto& messages = fakePlatform().messages;

    if (example.tag == "wrl-refused") {
        EXPECT_FALSE(world);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].caption, "Error");
        const std::string said = messages[0].text + "\n" + lastWorldLoadProblem();
        EXPECT_NE(said.find(example.detail), std::string::npos) << said;
        return;
    }
    ASSERT_TRUE(world) << lastWorldLoadProblem();
    for (const auto& m : messages) ADD_FAILURE() << m.caption << ": " << m.text;
    if (example.tag == "wrl-world") return;
    EXPECT_TRUE(readsWhole(example)) << "the block holds more, or less, than one "
                                     << (example.tag == "wrl-bsp" ? "BSP section" : "record");
    if (example.tag == "wrl-record") {
        EXPECT_EQ(world->objects.size() + world->lights.size(), 1u);
    }
}

}  // namespace

TEST(WorldFormatDoc, EveryExampleLoadsOrIsRefusedAsItSays)
{
    const std::vector<Example> all = examples(readDocument());
    for (const Example& example : all) {
        SCOPED_TRACE("docs/world-format.md:" + std::to_string(example.line) + " (" + example.tag +
                     ")");
        checkExample(example);
    }
}

// Examples cannot quietly disappear: every keyword the loader knows, the
// BSP section, whole worlds and refusals each keep at least one.
TEST(WorldFormatDoc, ShowsEveryRecordKind)
{
    const std::vector<Example> all = examples(readDocument());
    std::set<std::string> tags, keywords;
    for (const Example& example : all) {
        EXPECT_TRUE(known(example.tag))
            << "unknown block \"" << example.tag << "\" at line " << example.line;
        tags.insert(example.tag);
        std::istringstream first(example.text);
        std::string keyword;
        if (example.tag == "wrl-record" && first >> keyword) keywords.insert(keyword);
    }
    for (const char* tag : knownTags) {
        EXPECT_TRUE(tags.count(tag)) << "no " << tag << " block";
    }
    for (const EntityKind& kind : entityKinds()) {
        EXPECT_TRUE(keywords.count(std::string(kind.keyword)))
            << "no wrl-record block for \"" << kind.keyword << "\"";
    }
}
