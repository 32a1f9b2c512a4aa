#include "textures/TextureCache.h"

#include "textures/ImageLoader.h"

namespace {

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameNameIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

}  // namespace

Texture* TextureCache::findOrLoad(const std::string& name)
{
    for (const auto& texture : textures_)
        if (sameNameIgnoringCase(texture->name(), name)) return texture.get();

    auto loaded = loadTexture(name);
    if (!loaded) return nullptr;
    loaded->upload(mipmapping_);
    return add(std::move(loaded));
}

Texture* TextureCache::add(std::unique_ptr<Texture> texture)
{
    if (!texture) return nullptr;
    textures_.push_back(std::move(texture));
    return textures_.back().get();
}

void TextureCache::unloadAll()
{
    for (const auto& texture : textures_) texture->unload();
}
