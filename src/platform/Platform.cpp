#include "platform/Platform.h"

#include "platform/SystemPlatform.h"

namespace platform {

namespace {
Platform* installed = nullptr;
}

Platform& current() { return installed ? *installed : systemPlatform(); }

void install(Platform* p) { installed = p; }

}  // namespace platform
