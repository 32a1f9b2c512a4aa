#pragma once

#include "images/Image.h"
#include "math/Vector3.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

// One generated file: its name in the Textures folder and its bytes.
struct GeneratedFile {
    std::string name;
    std::vector<std::uint8_t> bytes;
};

// Every texture of the default content, from fixed seeds. Side lengths are
// powers of two; BMP files of 8 and 24 bits and TGA files of 24 and 32 bits
// are all among them, so both readers get used.
std::vector<GeneratedFile> generateTextures();

// The pictures themselves, each a size x size tile (size a power of two).
Image rockTexture(int size);        // canyon sandstone in strata
Image sandTexture(int size);        // rippled sand
Image grassTexture(int size);       // dry grass over dirt
Image stoneBlockTexture(int size);  // blocks in running bond
Image woodPlankTexture(int size);   // planks with grain and nails
Image metalTexture(int size);       // brushed panels with rivets (grey in red)
Image cementTexture(int size);
Image droneTexture(int size);        // an atlas: teal plating, visor with eyes, stripes, grille
Image demoTileTexture(int size);     // light grey with a darker grout line, for tinting
Image crosshairTexture(int size);    // a thin cross, transparent around it
Image coronaTexture(int size);       // soft radial alpha
Image cloudShadowTexture(int size);  // grey clouds on white, tiling
Image cloudLayerTexture(int size);   // white clouds, translucent, tiling

// The sky around the world. Faces are seen from inside the cube; texture u
// runs to the viewer's right and v up:
//   front (-z) and back (+z), left (-x) and right (+x) with y up;
//   up (+y) with +z at its top edge (v = 1) ... seen looking up from the
//   front; down (-y) with -z at its top edge.
enum class SkyFace { Front, Back, Left, Right, Up, Down };
// The direction from the centre of the cube through (u, v) of a face, in
// the unit cube (-1..1 on each axis).
Vector3 skyFaceDirection(SkyFace face, double u, double v);
Image skyTexture(SkyFace face, int size);
const char* skyFaceFileName(SkyFace face);

// The direction towards the sun, shared by the sky and the baked lighting.
Vector3 sunDirection();

}  // namespace tools
