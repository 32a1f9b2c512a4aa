#pragma once

#include <memory>
#include <string>

class World;
namespace tools {
class ToolEnvironment;
}

namespace bench {

// The default content (worlds, textures, skeleton), generated once per
// benchmark run into a temporary runtime tree that is removed at exit.
// The path of its canyon.wrl, absolute.
const std::string& canyonWorldFile();

// While alive: the generated tree's Bin/ is the current folder, as it is for
// the game, and messages are printed and textures go to no GL device.
class InContentBin {
public:
    InContentBin();
    ~InContentBin();
    InContentBin(const InContentBin&) = delete;
    InContentBin& operator=(const InContentBin&) = delete;

private:
    std::string previous_;
    std::unique_ptr<tools::ToolEnvironment> environment_;
};

// The canyon loaded as the game loads it, from Bin/ with its textures, with
// messages printed and textures going to no GL device. Fails loudly: a
// benchmark without its world measures nothing.
std::unique_ptr<World> loadCanyon();

}  // namespace bench
