#include "worldfile/WorldWriter.h"

#include "geometry/BspNode.h"
#include "worldfile/Format.h"

#include <algorithm>

namespace tools {

namespace {

void appendNumbers(std::string& out, std::initializer_list<double> values)
{
    bool first = true;
    for (double v : values) {
        if (!first) out += ' ';
        first = false;
        appendNumber(out, v);
    }
}

// x y z u v nx ny nz r g b: the file order of a vertex record.
void appendVertex(std::string& out, const Vertex& v)
{
    appendNumbers(out, {v.position.x, v.position.y, v.position.z, v.u, v.v, v.normal.x, v.normal.y,
                        v.normal.z, v.r, v.g, v.b});
    out += '\n';
}

void appendPolygons(std::string& out, const std::vector<DrawnPolygon>& polygons)
{
    out += std::to_string(polygons.size());
    out += '\n';
    for (const DrawnPolygon& p : polygons) {
        out += p.texture;
        out += ' ';
        appendNumbers(out, {p.normal.x, p.normal.y, p.normal.z});
        out += ' ';
        out += std::to_string(p.vertices.size());
        out += '\n';
        for (const Vertex& v : p.vertices) appendVertex(out, v);
    }
}

}  // namespace

std::string WorldText::withoutBsp() const
{
    std::string out;
    appendNumbers(out, {playerStart.x, playerStart.y, playerStart.z});
    out += '\n';
    appendNumbers(out, {ambientLight.x, ambientLight.y, ambientLight.z});
    out += '\n';
    out += std::to_string(textures.size());
    out += '\n';
    for (const std::string& t : textures) {
        out += t;
        out += '\n';
    }
    out += std::to_string(entityBlocks.size());
    out += '\n';
    for (const std::string& block : entityBlocks) out += block;
    return out;
}

std::string worldspawnBlock(const std::vector<DrawnPolygon>& polygons)
{
    std::string out = "worldspawn\n";
    appendPolygons(out, polygons);
    return out;
}

std::string lightBlock(const LightRecord& light)
{
    std::string out = "Light ";
    appendNumbers(out, {light.position.x, light.position.y, light.position.z, light.colour.x,
                        light.colour.y, light.colour.z, light.range, light.coronaSize});
    out += '\n';
    return out;
}

std::string soundBlock(const SoundRecord& sound)
{
    std::string out = "Sound " + sound.file + " ";
    appendNumbers(
        out, {sound.position.x, sound.position.y, sound.position.z, sound.radius, sound.volume});
    out += sound.loop ? " 1\n" : " 0\n";
    return out;
}

std::string skyboxBlock(const std::vector<DrawnPolygon>& polygons)
{
    std::string out = "Skybox\n";
    appendPolygons(out, polygons);
    return out;
}

std::string heightFieldBlock(const HeightFieldRecord& field)
{
    std::string out = "HeightField\n";
    out += std::to_string(field.columns);
    out += ' ';
    out += std::to_string(field.rows);
    out += ' ';
    out += field.texture;
    out += '\n';
    for (const Vertex& v : field.vertices) appendVertex(out, v);
    for (const CollisionPolygon& t : field.triangles) writeCollisionPolygon(out, t);
    return out;
}

std::string movingObjectBlock(const std::string& keyword, const Vector3& position,
                              const std::string& behaviour,
                              const std::vector<DrawnPolygon>& polygons)
{
    Vector3 lo{1e30, 1e30, 1e30}, hi{-1e30, -1e30, -1e30};
    for (const DrawnPolygon& p : polygons) {
        for (const Vertex& v : p.vertices) {
            lo = {std::min(lo.x, v.position.x), std::min(lo.y, v.position.y),
                  std::min(lo.z, v.position.z)};
            hi = {std::max(hi.x, v.position.x), std::max(hi.y, v.position.y),
                  std::max(hi.z, v.position.z)};
        }
    }
    if (polygons.empty()) lo = hi = Vector3{};
    std::string out = keyword + "\n";
    appendNumbers(out, {position.x, position.y, position.z});
    out += '\n';
    appendNumbers(out, {position.x + lo.x, position.y + lo.y, position.z + lo.z});
    out += ' ';
    appendNumbers(out, {position.x + hi.x, position.y + hi.y, position.z + hi.z});
    out += '\n';
    out += behaviour;
    out += '\n';
    appendPolygons(out, polygons);
    return out;
}

std::string vehicleBlock(const Vector3& scale, const Vector3& position, double range)
{
    std::string out = "Vehicle ";
    appendNumbers(out, {scale.x, scale.y, scale.z, position.x, position.y, position.z, range});
    out += '\n';
    return out;
}

std::string teapotBlock(const Vector3& scale, const Vector3& position, int style, double angle)
{
    std::string out = "Teapot ";
    appendNumbers(out, {scale.x, scale.y, scale.z, position.x, position.y, position.z});
    out += ' ';
    out += std::to_string(style);
    out += ' ';
    appendNumber(out, angle);
    out += '\n';
    return out;
}

std::string bspSection(const BspNode* root)
{
    std::string out;
    writeBspTree(out, root);
    return out;
}

}  // namespace tools
