#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace tools {

// The game's icon for the desktop's menu: a canyon seen down its length,
// banded rock walls on either side of a creek under a blue sky with the sun,
// on a tile with rounded corners. Drawn from shapes, not scaled from one
// picture, so every size is sharp; the same on every machine.

// The sizes the build draws, the hicolor icon theme's usual ones.
inline constexpr int iconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// The icon at `size` x `size` pixels: RGBA, rows top first, the corners
// outside the tile transparent.
std::vector<std::uint8_t> drawIcon(int size);

// Writes OUTDIR/<size>x<size>/apps/arroyo.png for every size; the folders
// are the hicolor theme's, ready to install under share/icons/hicolor.
// False (with the reason on `errors`) when a file cannot be written.
bool writeIcons(const std::string& outdir, std::ostream& report, std::ostream& errors);

}  // namespace tools
