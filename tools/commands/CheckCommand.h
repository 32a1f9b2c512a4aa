#pragma once

#include <ostream>
#include <string>

namespace tools {

// `worldtool check IN.wrl`: loads the world with the game's own loader,
// from the world's folder as "Run World" does, with whatever platform and
// texture device are installed. On the first problem prints where it is
// ("file:line:column: expected ..., found ...") to `errors` and returns 1.
// Texture names of the file that cannot be loaded are reported with their
// place too. On success prints a summary to `report` and returns 0.
int runCheckCommand(const std::string& path, std::ostream& report, std::ostream& errors);

}  // namespace tools
