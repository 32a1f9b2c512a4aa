#include "commands/ToolEnvironment.h"

namespace tools {

ToolEnvironment::ToolEnvironment(std::ostream& messages)
    : platform_(platform::HeadlessPlatform::History::countsOnly, &messages)
{
    platform::install(&platform_);
    installTextureDevice(&device_);
}

ToolEnvironment::~ToolEnvironment()
{
    platform::install(nullptr);
    installTextureDevice(nullptr);
}

}  // namespace tools
