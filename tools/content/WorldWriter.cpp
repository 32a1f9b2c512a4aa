#include "content/WorldWriter.h"

#include "content/Format.h"
#include "geometry/BspNode.h"

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
    appendNumbers(out, {v.x, v.y, v.z, v.u, v.v, v.nx, v.ny, v.nz, v.r, v.g, v.b});
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
    appendNumbers(out, {light.position.x, light.position.y, light.position.z, light.colour.x, light.colour.y,
                        light.colour.z, light.range, light.coronaSize});
    out += '\n';
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

std::string bspSection(const BspNode* root)
{
    std::string out;
    writeBspTree(out, root);
    return out;
}

}  // namespace tools
