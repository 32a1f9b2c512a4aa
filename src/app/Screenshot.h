#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

// F12: the frame as a PNG in a Screenshots folder beside Bin.

// "Bin/../Screenshots" for the folder the game was started from.
std::string screenshotFolder(const std::string& binFolder);

// The file name for a moment of local time: "2026-12-07_10-35-33.png".
std::string screenshotFileName(const std::tm& local);

// The frame just drawn (the back buffer, before the swap), as RGB rows top
// first; needs the GL context.
std::vector<std::uint8_t> readFrame(int width, int height);

// Writes the pixels to the folder (created when missing) under the name for
// `when`; a second shot in the same second gets "-2", "-3"... Returns the
// file's path, or none when it cannot be written.
std::optional<std::string> saveScreenshot(const std::string& folder, std::time_t when, int width,
                                          int height, const std::vector<std::uint8_t>& rgb);
