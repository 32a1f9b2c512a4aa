#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One uncompressed true-colour TGA file in memory, pixels turned from
// B, G, R (, A) into R, G, B (, A), rows in file order.
class ImageFile {
public:
    bool load(const std::string& fileName);
    void clear();

    const std::vector<std::uint8_t>& pixels() const { return pixels_; }
    int width() const { return width_; }
    int height() const { return height_; }
    int bytesPerPixel() const { return bytesPerPixel_; }
    const std::string& fileName() const { return fileName_; }

private:
    std::vector<std::uint8_t> pixels_;
    int width_ = 0;
    int height_ = 0;
    int bytesPerPixel_ = 0;
    std::string fileName_;
};
