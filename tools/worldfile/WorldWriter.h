#pragma once

#include "geometry/CollisionPolygon.h"
#include "geometry/Vertex.h"
#include "math/Vector3.h"

#include <string>
#include <vector>

struct BspNode;

namespace tools {

// A drawn polygon of a "worldspawn" or "Skybox" block.
struct DrawnPolygon {
    std::string texture;  // as written in the file, e.g. ..\Textures\rock.bmp
    Vector3 normal;
    std::vector<Vertex> vertices;
};

struct HeightFieldRecord {
    int columns = 0;
    int rows = 0;
    std::string texture;
    std::vector<Vertex> vertices;             // columns * rows, row by row
    std::vector<CollisionPolygon> triangles;  // two per cell, cell rows in order
};

// The text of a world file, block by block. Numbers are written in the
// shortest form that reads back exactly.
struct WorldText {
    Vector3 playerStart;
    Vector3 ambientLight;
    std::vector<std::string> textures;
    std::vector<std::string> entityBlocks;  // each begins with its keyword

    // Everything up to and including the last entity, without a BSP section.
    std::string withoutBsp() const;
};

// A point light: "Light" and its eight numbers.
struct LightRecord {
    Vector3 position;
    Vector3 colour;
    double range = 0.0;
    double coronaSize = 0.0;  // half the side of the corona square; 0 for none
};

// A sound placed in the world: file, position, radius, volume, loop or once.
struct SoundRecord {
    std::string file;  // as written in the file, e.g. ..\Sounds\wind.wav
    Vector3 position;
    double radius = 0.0;
    double volume = 1.0;
    bool loop = true;
};

std::string soundBlock(const SoundRecord& sound);
std::string worldspawnBlock(const std::vector<DrawnPolygon>& polygons);
std::string lightBlock(const LightRecord& light);
std::string skyboxBlock(const std::vector<DrawnPolygon>& polygons);
std::string heightFieldBlock(const HeightFieldRecord& field);

// A "DynamicObject" or "RobotDrone" block: placed at `position`, the box
// around the polygons (in object coordinates) moved there, the behaviour
// word ("NULL" for none) and the polygons in object coordinates.
std::string movingObjectBlock(const std::string& keyword, const Vector3& position,
                              const std::string& behaviour,
                              const std::vector<DrawnPolygon>& polygons);

// A vehicle: the look's scale, where it waits, and how near boards it.
std::string vehicleBlock(const Vector3& scale, const Vector3& position, double range);

// A turning teapot: style 0 wire-frame, 1 solid.
std::string teapotBlock(const Vector3& scale, const Vector3& position, int style, double angle);

// The BSP section that follows the entities ("0" for no tree).
std::string bspSection(const BspNode* root);

}  // namespace tools
