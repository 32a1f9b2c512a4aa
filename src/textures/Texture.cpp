#include "textures/Texture.h"

#include "textures/TextureDevice.h"

#include <algorithm>
#include <utility>

Texture::Texture(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 4)
{
    glName_ = textureDevice().generateName();
}

Texture::Texture(int width, int height, std::vector<std::uint8_t> pixels)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(std::move(pixels))
{
    pixels_.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 4);
    glName_ = textureDevice().generateName();
}

Texture::Texture(Texture&& other) noexcept
    : width_(other.width_),
      height_(other.height_),
      glName_(std::exchange(other.glName_, noName)),
      name_(std::move(other.name_)),
      pixels_(std::move(other.pixels_))
{}

Texture& Texture::operator=(Texture&& other) noexcept
{
    if (this != &other) {
        unload();
        width_ = other.width_;
        height_ = other.height_;
        glName_ = std::exchange(other.glName_, noName);
        name_ = std::move(other.name_);
        pixels_ = std::move(other.pixels_);
    }
    return *this;
}

void Texture::bind() const
{
    if (glName_ == noName) textureDevice().disableTexturing();
    else textureDevice().bind(glName_);
}

void Texture::upload(bool mipmaps)
{
    if (glName_ == noName || pixels_.empty()) return;
    bind();
    textureDevice().upload(glName_, width_, height_, pixels_.data(), mipmaps);
}

void Texture::unload()
{
    if (glName_ != noName) textureDevice().releaseName(glName_);
    glName_ = noName;
}
