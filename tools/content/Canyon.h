#pragma once

#include "bsp/BspCompiler.h"
#include "math/Vector3.h"
#include "worldfile/MeshBuilder.h"

#include <string>
#include <vector>

namespace tools {

// Texture names as the world file gives them: relative to the Bin folder
// the game runs from.
namespace texture {
inline const std::string rock = "..\\Textures\\rock.bmp";
inline const std::string sand = "..\\Textures\\sand.tga";
inline const std::string grass = "..\\Textures\\grass.bmp";
inline const std::string stone = "..\\Textures\\stone.bmp";
inline const std::string wood = "..\\Textures\\wood.tga";
inline const std::string metal = "..\\Textures\\metal.bmp";
inline const std::string cement = "..\\Textures\\cement-1.bmp";
inline const std::string drone = "..\\Textures\\drone.bmp";
}  // namespace texture

// The ambient sounds the canyon places, in Sounds/ beside Bin/.
namespace sound {
inline const std::string wind = "..\\Sounds\\wind.wav";
inline const std::string gusts = "..\\Sounds\\gusts.wav";
inline const std::string lampHum = "..\\Sounds\\lamp-hum.wav";
}  // namespace sound

// Named places of the canyon, for whatever later stands in it (lights,
// drones, vehicles, teapots) and for tests.
struct CanyonLayout {
    Vector3 playerStart;       // on the floor, looking down -z along the canyon
    Vector3 ruinDoor;          // floor point in the ruin's doorway
    Vector3 ruinInside;        // floor point under its low ceiling
    double ruinCeiling = 0.0;  // height of that ceiling's underside
    std::vector<Vector3> pillarTops;
    Vector3 rampFoot;                  // floor point before the ramp up to the ledge and bridge
    Vector3 ledge;                     // on the ledge between the two ramps
    Vector3 bridgeTop;                 // on the bridge deck
    Vector3 underArch;                 // floor point under the arch
    std::vector<Vector3> openGround;   // clear floor spots along the canyon
    std::vector<Vector3> drones;       // where each drone starts (its origin, hovering)
    std::vector<Vector3> spinners;     // the turning crystals' centres
    Vector3 doorLamp;                  // hanging in front of the ruin's lintel
    std::vector<Vector3> bridgeLamps;  // over the near edge of the deck
    Vector3 plinthTop;                 // middle of the teapots' plinth on the ledge
    Vector3 vehicle;                   // where the vehicle waits, near the start
};

// The static structures (walls, arch, ruin, ramps, pillars, boulders) as
// drawn polygons, with the places they make.
void buildCanyonWalls(MeshBuilder& mesh);
void buildCanyonStructures(MeshBuilder& mesh, CanyonLayout& layout);
// Collision-only walls that close the level all round behind its rim, up to
// the sky: nothing of them is drawn.
void addRimClips(std::vector<SourcePolygon>& clips);

struct CanyonOptions {
    // A skybox block with the generated sky faces and cloud layer.
    bool skybox = true;
    // Collision-only surfaces above the rim in the BSP section, so that
    // nobody leaves the level over its walls.
    bool rimClips = true;
};

struct CanyonWorld {
    std::string text;  // the whole world file, BSP section included
    CanyonLayout layout;
    BspCompileStats bsp;
    std::vector<std::string> warnings;
    std::size_t worldspawnPolygons = 0;
    int terrainColumns = 0;
    int terrainRows = 0;
};

// The default world "canyon.wrl": the same text on every run.
CanyonWorld generateCanyon(const CanyonOptions& options = {});

// The skybox's polygons: the six faces of the unit cube seen from inside,
// mapped as skyFaceDirection says, then the cloud layer.
std::vector<DrawnPolygon> skyboxPolygons();

}  // namespace tools
