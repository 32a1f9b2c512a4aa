#include "export/GltfDocument.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace tools {

namespace {

constexpr int arrayBuffer = 34962;         // vertex attributes
constexpr int elementArrayBuffer = 34963;  // indices
constexpr int floatComponents = 5126;
constexpr int unsignedIntComponents = 5125;

// The shortest text that reads back as the same number, in any locale.
std::string number(double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string numberList(const double* values, std::size_t count)
{
    std::string out = "[";
    for (std::size_t i = 0; i < count; ++i) out += (i ? "," : "") + number(values[i]);
    return out + "]";
}

std::string joined(const std::vector<std::string>& items)
{
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + items[i];
    return out + "]";
}

std::string extrasJson(const Extras& extras)
{
    std::string out = "{";
    for (std::size_t i = 0; i < extras.size(); ++i) {
        out += (i ? "," : "") + jsonString(extras[i].first) + ":";
        const auto& value = extras[i].second.value;
        if (const bool* b = std::get_if<bool>(&value)) {
            out += *b ? "true" : "false";
        } else if (const double* d = std::get_if<double>(&value)) {
            out += number(*d);
        } else if (const std::string* s = std::get_if<std::string>(&value)) {
            out += jsonString(*s);
        } else {
            const auto& list = std::get<std::vector<double>>(value);
            out += numberList(list.data(), list.size());
        }
    }
    return out + "}";
}

}  // namespace

std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            static const char hex[] = "0123456789abcdef";
            out += "\\u00";
            out += hex[byte >> 4];
            out += hex[byte & 15];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

int GltfDocument::addView(const void* data, std::size_t bytes, int target)
{
    // Every view starts on a four-byte boundary, as accessors of floats
    // and 32-bit indices need.
    buffer_.resize((buffer_.size() + 3) & ~std::size_t(3), 0);
    const std::size_t offset = buffer_.size();
    buffer_.resize(offset + bytes);
    if (bytes > 0) std::memcpy(buffer_.data() + offset, data, bytes);
    views_.push_back("{\"buffer\":0,\"byteOffset\":" + std::to_string(offset) + ",\"byteLength\":" +
                     std::to_string(bytes) + ",\"target\":" + std::to_string(target) + "}");
    return static_cast<int>(views_.size()) - 1;
}

int GltfDocument::addAccessor(const std::vector<float>& values, int components, bool bounds)
{
    const int view = addView(values.data(), values.size() * sizeof(float), arrayBuffer);
    static const char* const types[] = {"", "SCALAR", "VEC2", "VEC3", "VEC4"};
    std::string accessor = "{\"bufferView\":" + std::to_string(view) +
                           ",\"componentType\":" + std::to_string(floatComponents) +
                           ",\"count\":" + std::to_string(values.size() / components) +
                           ",\"type\":\"" + types[components] + "\"";
    if (bounds) {
        // Positions must give their box.
        double low[4], high[4];
        std::fill(low, low + 4, 0.0);
        std::fill(high, high + 4, 0.0);
        for (std::size_t i = 0; i < values.size(); ++i) {
            const auto c = i % std::size_t(components);
            low[c] = i < std::size_t(components) ? values[i] : std::min<double>(low[c], values[i]);
            high[c] =
                i < std::size_t(components) ? values[i] : std::max<double>(high[c], values[i]);
        }
        accessor += ",\"min\":" + numberList(low, std::size_t(components)) +
                    ",\"max\":" + numberList(high, std::size_t(components));
    }
    accessors_.push_back(accessor + "}");
    return static_cast<int>(accessors_.size()) - 1;
}

int GltfDocument::addIndices(const std::vector<std::uint32_t>& indices)
{
    const int view =
        addView(indices.data(), indices.size() * sizeof(std::uint32_t), elementArrayBuffer);
    accessors_.push_back("{\"bufferView\":" + std::to_string(view) +
                         ",\"componentType\":" + std::to_string(unsignedIntComponents) +
                         ",\"count\":" + std::to_string(indices.size()) + ",\"type\":\"SCALAR\"}");
    return static_cast<int>(accessors_.size()) - 1;
}

int GltfDocument::addMaterial(const std::string& name, const std::string& imageUri)
{
    std::string material = "{\"name\":" + jsonString(name) + ",\"pbrMetallicRoughness\":{";
    if (!imageUri.empty()) {
        images_.push_back("{\"uri\":" + jsonString(imageUri) + "}");
        material += "\"baseColorTexture\":{\"index\":" + std::to_string(images_.size() - 1) + "},";
    }
    materials_.push_back(material + "\"metallicFactor\":0}}");
    return static_cast<int>(materials_.size()) - 1;
}

int GltfDocument::addMesh(const std::string& name, const std::vector<Primitive>& primitives)
{
    std::vector<std::string> parts;
    for (const Primitive& p : primitives) {
        std::string attributes =
            "{\"POSITION\":" + std::to_string(addAccessor(p.positions, 3, true));
        if (!p.normals.empty())
            attributes += ",\"NORMAL\":" + std::to_string(addAccessor(p.normals, 3, false));
        if (!p.uvs.empty())
            attributes += ",\"TEXCOORD_0\":" + std::to_string(addAccessor(p.uvs, 2, false));
        if (!p.colours.empty())
            attributes += ",\"COLOR_0\":" + std::to_string(addAccessor(p.colours, 3, false));
        std::string part = "{\"attributes\":" + attributes +
                           "},\"indices\":" + std::to_string(addIndices(p.indices));
        if (p.material >= 0) part += ",\"material\":" + std::to_string(p.material);
        parts.push_back(part + "}");
    }
    meshes_.push_back("{\"name\":" + jsonString(name) + ",\"primitives\":" + joined(parts) + "}");
    return static_cast<int>(meshes_.size()) - 1;
}

int GltfDocument::addNode(Node node)
{
    std::string text = "{\"name\":" + jsonString(node.name);
    const double t[3] = {node.translation.x, node.translation.y, node.translation.z};
    if (t[0] != 0.0 || t[1] != 0.0 || t[2] != 0.0) text += ",\"translation\":" + numberList(t, 3);
    if (node.mesh) text += ",\"mesh\":" + std::to_string(*node.mesh);
    if (!node.children.empty()) {
        std::vector<std::string> children;
        for (int c : node.children) children.push_back(std::to_string(c));
        text += ",\"children\":" + joined(children);
    }
    if (!node.extras.empty()) text += ",\"extras\":" + extrasJson(node.extras);
    nodes_.push_back(text + "}");
    return static_cast<int>(nodes_.size()) - 1;
}

std::string GltfDocument::json(const std::string& bufferUri, const std::vector<int>& roots) const
{
    std::vector<std::string> rootText;
    for (int r : roots) rootText.push_back(std::to_string(r));
    // Each image is the source of the texture of the same index.
    std::vector<std::string> textures;
    for (std::size_t i = 0; i < images_.size(); ++i)
        textures.push_back("{\"source\":" + std::to_string(i) + "}");
    std::string out = "{\"asset\":{\"version\":\"2.0\",\"generator\":\"arroyo worldtool\"}";
    out += ",\"scene\":0,\"scenes\":[{\"nodes\":" + joined(rootText) + "}]";
    out += ",\"nodes\":" + joined(nodes_);
    if (!meshes_.empty()) out += ",\n\"meshes\":" + joined(meshes_);
    if (!materials_.empty()) out += ",\n\"materials\":" + joined(materials_);
    if (!images_.empty())
        out += ",\n\"images\":" + joined(images_) + ",\"textures\":" + joined(textures);
    if (!accessors_.empty()) {
        out += ",\n\"accessors\":" + joined(accessors_);
        out += ",\n\"bufferViews\":" + joined(views_);
    }
    out += ",\n\"buffers\":[{\"uri\":" + jsonString(bufferUri) +
           ",\"byteLength\":" + std::to_string(buffer_.size()) + "}]}\n";
    return out;
}

}  // namespace tools
