#pragma once

#include "math/Vector3.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace tools {

// A node's custom property as glTF "extras" carry it.
struct ExtraValue {
    std::variant<bool, double, std::string, std::vector<double>> value;
};
using Extras = std::vector<std::pair<std::string, ExtraValue>>;

// A glTF 2.0 document in the making: JSON that refers to one binary buffer
// and to image files beside it. Indices returned are glTF's own.
class GltfDocument {
public:
    // Triangles of one material; every array is per vertex (three floats a
    // position, normal or colour, two a texture coordinate, v down as glTF
    // has it), normals, coordinates and colours optional.
    struct Primitive {
        std::vector<float> positions, normals, uvs, colours;
        std::vector<std::uint32_t> indices;
        int material = -1;
    };
    struct Node {
        std::string name;
        Vector3 translation;
        std::optional<int> mesh;
        std::vector<int> children;
        Extras extras;
    };

    // A material with a base colour texture from an image file (a URI
    // relative to the document), or plain white without one.
    int addMaterial(const std::string& name, const std::string& imageUri);
    int addMesh(const std::string& name, const std::vector<Primitive>& primitives);
    int addNode(Node node);

    // The JSON text, its buffer named `bufferUri`, one scene of `roots`.
    std::string json(const std::string& bufferUri, const std::vector<int>& roots) const;
    const std::vector<std::uint8_t>& buffer() const { return buffer_; }

private:
    int addAccessor(const std::vector<float>& values, int components, bool bounds);
    int addIndices(const std::vector<std::uint32_t>& indices);
    int addView(const void* data, std::size_t bytes, int target);

    std::vector<std::uint8_t> buffer_;
    std::vector<std::string> views_, accessors_, images_, materials_, meshes_, nodes_;
};

// Text as a JSON string, quotes included.
std::string jsonString(const std::string& text);

}  // namespace tools
