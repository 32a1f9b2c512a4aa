#pragma once

#include "content/Canyon.h"

#include <ostream>
#include <string>

namespace tools {

// Writes the default content into a runtime tree: Worlds/canyon.wrl,
// Worlds/demo.wrl, Textures/*, Sounds/*, Bin/test.skl. Prints what it made to
// `report`; false (with the reason on `errors`) when a file cannot be written.
bool generateContent(const std::string& root, std::ostream& report, std::ostream& errors,
                     const CanyonOptions& options = {});

}  // namespace tools
