#include "platform/Platform.h"

#include "platform/LinuxPlatform.h"

namespace platform {

namespace {
Platform* installed = nullptr;
}

Platform& current() { return installed ? *installed : linuxPlatform(); }

void install(Platform* p) { installed = p; }

}  // namespace platform
