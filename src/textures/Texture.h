#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One image as RGBA bytes (rows bottom first, packed) and the GL texture
// name it is uploaded under. Whoever owns a texture gives its name back with
// unload() before dropping it (a world does so for all of its textures in
// World::unloadTextures); the destructor does not, since by the time a
// texture dies the GL context or the installed device may be gone.
class Texture {
public:
    static constexpr unsigned noName = 0xFFFFFFFFu;

    // Allocates width * height * 4 bytes and generates a GL name.
    Texture(int width, int height);
    // Takes the pixels as they are (width * height * 4 bytes, else they are
    // resized to that) and generates a GL name.
    Texture(int width, int height, std::vector<std::uint8_t> pixels);
    // Move-only: one GL name has one owner, who releases it once.
    Texture(Texture&& other) noexcept;
    Texture& operator=(Texture&& other) noexcept;
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;
    ~Texture() = default;  // keeps the GL name: see above

    int width() const { return width_; }
    int height() const { return height_; }
    unsigned glName() const { return glName_; }
    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }
    std::vector<std::uint8_t>& pixels() { return pixels_; }
    const std::vector<std::uint8_t>& pixels() const { return pixels_; }

    // Binds for drawing; without a GL name, switches texturing off instead.
    void bind() const;
    // Uploads the pixels with or without mip-maps; nothing once unloaded.
    void upload(bool mipmaps);
    // Releases the GL name; pixels and name stay.
    void unload();

private:
    int width_;
    int height_;
    unsigned glName_ = noName;
    std::string name_;
    std::vector<std::uint8_t> pixels_;
};
