#pragma once

#include "textures/Texture.h"

#include <memory>
#include <string>
#include <vector>

// A world's textures, in insertion order, looked up by name without regard
// to case. Everything else only points into it.
class TextureCache {
public:
    // The first texture whose name matches (ASCII case-insensitive, whole
    // name, "!" included); otherwise loads, uploads with the current
    // mip-mapping choice and appends it. None when the file cannot be loaded
    // (nothing is remembered, so the next request tries again).
    Texture* findOrLoad(const std::string& name);
    // Appends without looking for the name.
    Texture* add(std::unique_ptr<Texture> texture);
    // Whether textures loaded from here on get mip-maps.
    void setMipmapping(bool on) { mipmapping_ = on; }
    // Releases every GL name, in order.
    void unloadAll();

    std::size_t size() const { return textures_.size(); }
    Texture* at(std::size_t i) const { return textures_[i].get(); }

private:
    std::vector<std::unique_ptr<Texture>> textures_;
    bool mipmapping_ = true;
};
