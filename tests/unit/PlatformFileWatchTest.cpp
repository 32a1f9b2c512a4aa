#include "support/TestEnvironment.h"

#include "platform/FileWatcher.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

// The real inotify watch on a temporary folder: what counts as a change of
// the watched file and what does not.

namespace fs = std::filesystem;

TEST(PlatformFileWatch, WhatIsAChangeOfTheFile)
{
    const struct {
        const char* what;
        std::function<void(TempDir&)> act;
        bool seen;
    } cases[] = {
        {"written in place", [](TempDir& d) { d.write("w/world.wrl", "new"); }, true},
        {"replaced by a rename",
         [](TempDir& d) {
             d.write("w/world.wrl.tmp", "new");
             fs::rename(d.path() / "w/world.wrl.tmp", d.path() / "w/world.wrl");
         },
         true},
        {"removed", [](TempDir& d) { fs::remove(d.path() / "w/world.wrl"); }, true},
        {"renamed away",
         [](TempDir& d) { fs::rename(d.path() / "w/world.wrl", d.path() / "w/old.wrl"); }, true},
        {"another file written", [](TempDir& d) { d.write("w/other.wrl", "x"); }, false},
        {"a file of the same name elsewhere", [](TempDir& d) { d.write("x/world.wrl", "x"); },
         false},
        {"only read",
         [](TempDir& d) {
             std::ifstream in(d.path() / "w/world.wrl");
             std::string word;
             in >> word;
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        dir.write("w/world.wrl", "old");
        dir.write("x/keep", "");
        platform::FileWatcher watcher;
        watcher.watch(dir.file("w/world.wrl"));
        EXPECT_FALSE(watcher.changed());
        c.act(dir);
        EXPECT_EQ(watcher.changed(), c.seen);
        EXPECT_FALSE(watcher.changed()) << "reported twice";
    }
}

TEST(PlatformFileWatch, AFileCreatedLaterAndNoFolderAtAll)
{
    TempDir dir;
    dir.write("w/keep", "");
    platform::FileWatcher watcher;
    watcher.watch(dir.file("w/world.wrl"));  // not there yet
    dir.write("w/world.wrl", "now");
    EXPECT_TRUE(watcher.changed());

    // A folder that does not exist watches nothing and never fails.
    watcher.watch(dir.file("none/world.wrl"));
    EXPECT_FALSE(watcher.changed());
    watcher.watch("");
    EXPECT_FALSE(watcher.changed());
}
