#pragma once

// What every harness shares: a platform that drops its messages, a texture
// device that counts GL names (so a harness can check that every name it
// was given goes back), and a scratch folder for readers that take paths.

#include "textures/NullTextureDevice.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// Installs the quiet platform and the counting device once; returns the device.
NullTextureDevice& environment();

// A folder of this process's own, made once.
const std::string& scratchFolder();
// Writes the bytes to a file in the scratch folder; returns its path.
std::string writeScratch(const std::string& name, const std::uint8_t* data, std::size_t size);

// Stops the run with a report libFuzzer shows, when an invariant breaks.
[[noreturn]] void broken(const char* what);

}  // namespace fuzz
