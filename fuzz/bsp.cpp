// The BSP section reader: refused with the reader failed and no tree, or a
// tree within the depth limit whose segment queries finish.
#include "FuzzSupport.h"

#include "geometry/BspNode.h"
#include "world/World.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TokenReader in(std::string(reinterpret_cast<const char*>(data), size));
    World world;
    world.bspTree = readBspTree(in);
    if (!in.ok()) {
        if (world.bspTree) fuzz::broken("a failed read kept a tree");
        return 0;
    }
    if (world.bspTree && world.bspTree->depth() > maximumBspDepth) fuzz::broken("tree too deep");
    (void)world.traceSegment({0, 10, 0}, {0, -10, 0});
    (void)world.traceSegment({-1e6, 3, 2}, {1e6, -3, -2});
    return 0;
}
