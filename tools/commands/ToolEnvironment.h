#pragma once

#include "platform/HeadlessPlatform.h"
#include "textures/NullTextureDevice.h"

#include <ostream>

namespace tools {

// What the engine's loaders need around them when a tool runs them: a
// platform that prints messages instead of opening boxes, and a texture
// device that hands out names without a GL context. Installs both for its
// lifetime.
class ToolEnvironment {
public:
    explicit ToolEnvironment(std::ostream& messages);
    ~ToolEnvironment();
    ToolEnvironment(const ToolEnvironment&) = delete;
    ToolEnvironment& operator=(const ToolEnvironment&) = delete;

    platform::HeadlessPlatform& platform() { return platform_; }

private:
    platform::HeadlessPlatform platform_;
    NullTextureDevice device_{NullTextureDevice::History::countsOnly};
};

}  // namespace tools
