#pragma once

// Small models the import tests (and the import fuzzer's seeds) write for
// themselves: PNG pictures, a glTF file with its buffer and picture embedded
// as data URIs, a Collada and a PLY floor.

#include "images/Image.h"

#include <stb_image_write.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace import_test {

// A picture with a different colour in every pixel (and, when asked, a
// different alpha), rows bottom first like the engine's.
inline tools::Image patterned(int width, int height, bool withAlpha)
{
    tools::Image image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = image.at(x, y);
            p[0] = static_cast<std::uint8_t>(20 + 50 * x);
            p[1] = static_cast<std::uint8_t>(30 + 40 * y);
            p[2] = static_cast<std::uint8_t>((x * 7 + y * 13) * 5);
            p[3] = withAlpha ? static_cast<std::uint8_t>(255 - (30 * (x + y * width)) % 200) : 255;
        }
    }
    return image;
}

// PNG stores the top row first.
inline std::string png(const tools::Image& image)
{
    std::vector<std::uint8_t> topFirst(image.rgba.size());
    const std::size_t row = static_cast<std::size_t>(image.width) * 4;
    for (int y = 0; y < image.height; ++y) {
        std::memcpy(&topFirst[static_cast<std::size_t>(image.height - 1 - y) * row], image.at(0, y),
                    row);
    }
    std::string out;
    stbi_write_png_to_func(
        [](void* context, void* data, int size) {
            static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                                       static_cast<std::size_t>(size));
        },
        &out, image.width, image.height, 4, topFirst.data(), static_cast<int>(row));
    return out;
}

inline std::string base64(const std::string& bytes)
{
    static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) |
                           (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                           static_cast<unsigned char>(bytes[i + 2]);
        for (int k = 3; k >= 0; --k) out += digits[(v >> (6 * k)) & 63];
    }
    if (i < bytes.size()) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += digits[(v >> 18) & 63];
        out += digits[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? digits[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

// A glTF 2.0 file built up mesh by mesh and node by node.
class Gltf {
public:
    struct Primitive {
        std::vector<float> positions;  // x, y, z per vertex
        std::vector<float> normals;
        std::vector<float> uvs;  // u, v per vertex (v down from the picture's top)
        std::vector<std::uint16_t> indices;
        int material = -1;
    };

    int addMaterial(const std::string& name, const float colour[4], int texture = -1)
    {
        std::ostringstream m;
        m << "{\"name\":\"" << name << "\",\"pbrMetallicRoughness\":{\"baseColorFactor\":["
          << colour[0] << "," << colour[1] << "," << colour[2] << "," << colour[3] << "]";
        if (texture >= 0) m << ",\"baseColorTexture\":{\"index\":" << texture << "}";
        m << ",\"metallicFactor\":0}}";
        materials_.push_back(m.str());
        return static_cast<int>(materials_.size()) - 1;
    }

    // The picture embedded as a PNG data URI.
    int addTexture(const tools::Image& image)
    {
        images_.push_back("{\"uri\":\"data:image/png;base64," + base64(png(image)) + "\"}");
        textures_.push_back("{\"source\":" + std::to_string(images_.size() - 1) + "}");
        return static_cast<int>(textures_.size()) - 1;
    }

    int addMesh(const std::string& name, const Primitive& p)
    {
        std::ostringstream m;
        m << "{\"name\":\"" << name
          << "\",\"primitives\":[{\"attributes\":{\"POSITION\":" << floats(p.positions, 3, true);
        if (!p.normals.empty()) m << ",\"NORMAL\":" << floats(p.normals, 3, false);
        if (!p.uvs.empty()) m << ",\"TEXCOORD_0\":" << floats(p.uvs, 2, false);
        m << "},\"indices\":" << indices(p.indices);
        if (p.material >= 0) m << ",\"material\":" << p.material;
        m << "}]}";
        meshes_.push_back(m.str());
        return static_cast<int>(meshes_.size()) - 1;
    }

    int addPointLight(const float colour[3], double intensity)
    {
        std::ostringstream l;
        l << "{\"type\":\"point\",\"color\":[" << colour[0] << "," << colour[1] << "," << colour[2]
          << "],\"intensity\":" << intensity << "}";
        lights_.push_back(l.str());
        return static_cast<int>(lights_.size()) - 1;
    }

    // `extra` is more of the node's JSON (mesh, children, extensions).
    int addNode(const std::string& name, const float translation[3], const std::string& extra = "")
    {
        std::ostringstream n;
        n << "{\"name\":\"" << name << "\",\"translation\":[" << translation[0] << ","
          << translation[1] << "," << translation[2] << "]" << (extra.empty() ? "" : ",") << extra
          << "}";
        nodes_.push_back(n.str());
        return static_cast<int>(nodes_.size()) - 1;
    }

    std::string text(const std::vector<int>& sceneNodes) const
    {
        std::ostringstream g;
        g << "{\"asset\":{\"version\":\"2.0\"},\"scene\":0,\"scenes\":[{\"nodes\":["
          << join(sceneNodes) << "]}],";
        if (!lights_.empty()) {
            g << "\"extensionsUsed\":[\"KHR_lights_punctual\"],\"extensions\":{\"KHR_lights_"
                 "punctual\":{"
                 "\"lights\":["
              << join(lights_) << "]}},";
        }
        g << "\"nodes\":[" << join(nodes_) << "],\"meshes\":[" << join(meshes_) << "],";
        if (!materials_.empty()) g << "\"materials\":[" << join(materials_) << "],";
        if (!textures_.empty()) {
            g << "\"textures\":[" << join(textures_) << "],\"images\":[" << join(images_) << "],";
        }
        g << "\"accessors\":[" << join(accessors_) << "],\"bufferViews\":[" << join(views_) << "],"
          << "\"buffers\":[{\"byteLength\":" << buffer_.size()
          << ",\"uri\":\"data:application/octet-stream;base64," << base64(buffer_) << "\"}]}";
        return g.str();
    }

private:
    template <typename T>
    static std::string join(const std::vector<T>& items)
    {
        std::ostringstream out;
        for (std::size_t i = 0; i < items.size(); ++i) out << (i ? "," : "") << items[i];
        return out.str();
    }

    int view(const void* data, std::size_t size, int target)
    {
        while (buffer_.size() % 4) buffer_ += '\0';
        views_.push_back("{\"buffer\":0,\"byteOffset\":" + std::to_string(buffer_.size()) +
                         ",\"byteLength\":" + std::to_string(size) +
                         ",\"target\":" + std::to_string(target) + "}");
        buffer_.append(static_cast<const char*>(data), size);
        return static_cast<int>(views_.size()) - 1;
    }

    int floats(const std::vector<float>& values, int components, bool bounds)
    {
        const int v = view(values.data(), values.size() * sizeof(float), 34962);
        std::ostringstream a;
        a << "{\"bufferView\":" << v
          << ",\"componentType\":5126,\"count\":" << values.size() / components << ",\"type\":\"VEC"
          << components << "\"";
        if (bounds) {
            float lo[3] = {1e30f, 1e30f, 1e30f}, hi[3] = {-1e30f, -1e30f, -1e30f};
            for (std::size_t i = 0; i < values.size(); ++i) {
                lo[i % 3] = std::min(lo[i % 3], values[i]);
                hi[i % 3] = std::max(hi[i % 3], values[i]);
            }
            a << ",\"min\":[" << lo[0] << "," << lo[1] << "," << lo[2] << "],\"max\":[" << hi[0]
              << "," << hi[1] << "," << hi[2] << "]";
        }
        a << "}";
        accessors_.push_back(a.str());
        return static_cast<int>(accessors_.size()) - 1;
    }

    int indices(const std::vector<std::uint16_t>& values)
    {
        const int v = view(values.data(), values.size() * sizeof(std::uint16_t), 34963);
        accessors_.push_back("{\"bufferView\":" + std::to_string(v) +
                             ",\"componentType\":5123,\"count\":" + std::to_string(values.size()) +
                             ",\"type\":\"SCALAR\"}");
        return static_cast<int>(accessors_.size()) - 1;
    }

    std::string buffer_;
    std::vector<std::string> accessors_, views_, meshes_, materials_, textures_, images_, nodes_,
        lights_;
};

// A unit cube round the origin: eight corners, twelve triangles facing out.
inline Gltf::Primitive cube(int material)
{
    Gltf::Primitive p;
    p.positions = {-0.5f, -0.5f, -0.5f, 0.5f, -0.5f, -0.5f, 0.5f, 0.5f, -0.5f, -0.5f, 0.5f, -0.5f,
                   -0.5f, -0.5f, 0.5f,  0.5f, -0.5f, 0.5f,  0.5f, 0.5f, 0.5f,  -0.5f, 0.5f, 0.5f};
    p.indices = {0, 3, 2, 0, 2, 1, 4, 5, 6, 4, 6, 7, 0, 4, 7, 0, 7, 3,
                 1, 2, 6, 1, 6, 5, 0, 1, 5, 0, 5, 4, 3, 7, 6, 3, 6, 2};
    p.material = material;
    return p;
}

// Two greys in squares, for a floor that shows how it runs.
inline tools::Image flagstones()
{
    tools::Image image(64, 64);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const bool dark = ((x / 32) + (y / 32)) % 2 == 1;
            const bool grout = x % 32 == 0 || y % 32 == 0;
            const auto grey = static_cast<std::uint8_t>(grout ? 120 : dark ? 165 : 200);
            std::uint8_t* p = image.at(x, y);
            p[0] = grey;
            p[1] = static_cast<std::uint8_t>(grey - 8);
            p[2] = static_cast<std::uint8_t>(grey - 20);
        }
    }
    return image;
}

// A picture of one colour with a faint frame: moving objects are lit by
// the game, which replaces their vertex colours, so their colour comes
// from a texture.
inline tools::Image paint(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    tools::Image image(16, 16);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const bool edge = x == 0 || y == 0 || x == 15 || y == 15;
            std::uint8_t* p = image.at(x, y);
            p[0] = static_cast<std::uint8_t>(edge ? r * 3 / 4 : r);
            p[1] = static_cast<std::uint8_t>(edge ? g * 3 / 4 : g);
            p[2] = static_cast<std::uint8_t>(edge ? b * 3 / 4 : b);
        }
    }
    return image;
}

// A walled courtyard with a node of every entity kind: the player starts at
// (0, 0.3, 0) looking down -z at a drone of the game's model that stands
// still 15 ahead. `everything` adds the rest (roaming and spinning objects,
// vehicle, teapots, lamps, a camera); without it the courtyard holds that
// one drone, a target for the rocket.
inline std::string courtyard(bool everything)
{
    Gltf g;
    const float white[4] = {1, 1, 1, 1};
    const float brick[4] = {0.72f, 0.38f, 0.27f, 1};
    const int floorMaterial = g.addMaterial("Flagstones", white, g.addTexture(flagstones()));
    const int wallMesh = g.addMesh("wall", cube(g.addMaterial("Brick", brick)));
    const int goldCube =
        g.addMesh("gold", cube(g.addMaterial("Gold", white, g.addTexture(paint(240, 190, 50)))));
    const int greenCube =
        g.addMesh("green", cube(g.addMaterial("Green", white, g.addTexture(paint(60, 200, 80)))));
    Gltf::Primitive floor;
    floor.positions = {-30, 0, -30, 30, 0, -30, 30, 0, 30, -30, 0, 30};
    floor.normals = {0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0};
    floor.uvs = {0, 0, 15, 0, 15, 15, 0, 15};
    floor.indices = {0, 3, 2, 0, 2, 1};
    floor.material = floorMaterial;
    auto mesh = [](int m) { return "\"mesh\":" + std::to_string(m); };
    auto scaled = [](float x, float y, float z) {
        std::ostringstream s;
        s << "\"scale\":[" << x << "," << y << "," << z << "]";
        return s.str();
    };
    std::vector<int> nodes;
    const float origin[3] = {0, 0, 0};
    nodes.push_back(g.addNode("Ground", origin, mesh(g.addMesh("floor", floor))));
    const struct {
        float at[3];
        float size[3];
    } walls[] = {{{0, 1.5f, -30}, {60, 3, 1}},    {{0, 1.5f, 30}, {60, 3, 1}},
                 {{-30, 1.5f, 0}, {1, 3, 60}},    {{30, 1.5f, 0}, {1, 3, 60}},
                 {{-8, 2, -24}, {1.5f, 4, 1.5f}}, {{8, 2, -24}, {1.5f, 4, 1.5f}}};
    for (const auto& w : walls) {
        nodes.push_back(g.addNode("Wall", w.at,
                                  mesh(wallMesh) + "," + scaled(w.size[0], w.size[1], w.size[2])));
    }
    const float start[3] = {0, 0.3f, 0};
    nodes.push_back(g.addNode("PlayerStart", start));
    const float target[3] = {0, 1.8f, -15};
    nodes.push_back(g.addNode("RobotDrone", target, R"("extras":{"behaviour":"none"})"));
    if (!everything) return g.text(nodes);

    const float roamer[3] = {-10, 2, -20};
    nodes.push_back(g.addNode("robotdrone.001", roamer));
    const float spinner[3] = {10, 1.8f, -8};
    nodes.push_back(g.addNode(
        "RobotDrone_2", spinner,
        mesh(greenCube) + "," + scaled(0.8f, 0.8f, 0.8f) + R"(,"extras":{"behaviour":"rotateY"})"));
    const float above[3] = {0, 1, 0};
    const int top =
        g.addNode("Crystal top", above, mesh(goldCube) + "," + scaled(0.5f, 0.5f, 0.5f));
    const float tower[3] = {-6, 3, -10};
    nodes.push_back(g.addNode("DynamicObject", tower,
                              mesh(goldCube) + ",\"children\":[" + std::to_string(top) +
                                  R"(],"extras":{"Behaviour":"ROTATEX"})"));
    const float inGroup[3] = {0, 1.5f, 0};
    const int still = g.addNode("DynamicObject.001", inGroup, mesh(greenCube));
    const float groupAt[3] = {8, 0, -20};
    nodes.push_back(g.addNode("Group", groupAt,
                              scaled(2, 2, 2) + ",\"children\":[" + std::to_string(still) + "]"));
    const float car[3] = {4, 0.55f, -4};
    nodes.push_back(g.addNode("Vehicle", car, R"("extras":{"scale":[1.6,1.2,1.6],"range":4})"));
    const float car2[3] = {-4, 0.35f, -3};
    nodes.push_back(g.addNode("vehicle-1", car2));
    const float pot[3] = {-3, 1, -6};
    nodes.push_back(g.addNode(
        "Teapot", pot, mesh(goldCube) + R"(,"extras":{"style":"wire","scale":1.5,"angle":45})"));
    const float pot2[3] = {3, 1, -7};
    nodes.push_back(g.addNode("TEAPOT.002", pot2));
    const float lamp[3] = {0, 4, -10};
    nodes.push_back(
        g.addNode("Light", lamp, R"("extras":{"colour":[1,0.6,0.3],"range":12,"corona":0.8})"));
    const float blue[3] = {0.5f, 0.5f, 1};
    const float lamp2[3] = {-8, 3, -15};
    nodes.push_back(g.addNode("Light.001", lamp2,
                              "\"extensions\":{\"KHR_lights_punctual\":{\"light\":" +
                                  std::to_string(g.addPointLight(blue, 2.0)) + "}}"));
    const float lamp3[3] = {12, 3, -15};
    nodes.push_back(g.addNode("Lamp", lamp3,
                              "\"extensions\":{\"KHR_lights_punctual\":{\"light\":" +
                                  std::to_string(g.addPointLight(blue, 2.0)) + "}}"));
    // As Blender writes a light: turned by a node of its own below the one named.
    const float red[3] = {1, 0.25f, 0.25f};
    const int turn = g.addNode("Light.002_Orientation", origin,
                               "\"rotation\":[-0.7071068,0,0,0.7071068],"
                               "\"extensions\":{\"KHR_lights_punctual\":{\"light\":" +
                                   std::to_string(g.addPointLight(red, 1.0)) + "}}");
    const float lamp4[3] = {-12, 3, -8};
    nodes.push_back(g.addNode(
        "Light.002", lamp4, "\"children\":[" + std::to_string(turn) + R"(],"extras":{"range":6})"));
    const float eye[3] = {0, 2, 8};
    nodes.push_back(g.addNode("Camera", eye));
    return g.text(nodes);
}

// A z-up Collada floor with a PlayerStart node, and the same floor as PLY:
// both arrive y-up, the floor at y = 0 facing up.
inline constexpr const char* zUpCollada = R"(<?xml version="1.0" encoding="utf-8"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
  <asset><unit name="meter" meter="1"/><up_axis>Z_UP</up_axis></asset>
  <library_geometries><geometry id="g" name="floor"><mesh>
    <source id="p"><float_array id="pa" count="12">-4 -4 0 4 -4 0 4 4 0 -4 4 0</float_array>
      <technique_common><accessor source="#pa" count="4" stride="3"><param name="X" type="float"/>
        <param name="Y" type="float"/><param name="Z" type="float"/></accessor></technique_common></source>
    <vertices id="v"><input semantic="POSITION" source="#p"/></vertices>
    <triangles count="2"><input semantic="VERTEX" source="#v" offset="0"/><p>0 1 2 0 2 3</p></triangles>
  </mesh></geometry></library_geometries>
  <library_visual_scenes><visual_scene id="s">
    <node id="n1" name="Floor"><instance_geometry url="#g"/></node>
    <node id="n2" name="PlayerStart"><translate>1 -2 3</translate></node>
  </visual_scene></library_visual_scenes>
  <scene><instance_visual_scene url="#s"/></scene>
</COLLADA>
)";

inline constexpr const char* plyFloor =
    "ply\nformat ascii 1.0\nelement vertex 4\nproperty float x\nproperty float y\nproperty float "
    "z\n"
    "element face 1\nproperty list uchar int vertex_indices\nend_header\n"
    "-4 0 -4\n-4 0 4\n4 0 4\n4 0 -4\n4 0 1 2 3\n";

}  // namespace import_test
