#pragma once

#include "audio/SoundCache.h"
#include "geometry/BspTree.h"
#include "geometry/HeightGrid.h"
#include "geometry/TraceHit.h"
#include "geometry/Vertex.h"
#include "math/Matrix4.h"
#include "state/AmbientLight.h"
#include "textures/TextureCache.h"
#include "world/EntityKinds.h"
#include "world/Object.h"
#include "world/PointLight.h"

#include <memory>
#include <optional>
#include <vector>

struct FrameContext;

// A loaded world. Owns its entities, textures, cloud-shadow texture and BSP
// tree. Members are declared so that the language destroys them in a safe
// order: objects, then lights (both point into the cache), then the tree
// and the textures.
class World {
public:
    World() = default;
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    Vector3 playerStart;
    AmbientLight ambientLight;  // as the file's header gives it
    TextureCache textures;
    // Decoded with the world and released with it: every buffer and source.
    SoundCache sounds;
    std::unique_ptr<Texture> cloudTexture;
    std::optional<Matrix4> cloudTextureMatrix;
    Vector3 cloudOffset;
    BspTree bspTree;
    std::vector<std::unique_ptr<Object>> lights;  // className() "Light"
    // What the dynamic lighting reads of those lights, found once when they
    // are filed.
    std::vector<const PointLight*> pointLights;
    std::vector<std::unique_ptr<Object>> objects;  // skyboxes first, lights excluded
    // The grids of the terrain among objects, found once when it is filed,
    // so a trace needs no search by kind.
    std::vector<const HeightGrid*> heightFields;
    // The moving objects among objects, in the same order: the rocket's
    // candidates, found once when they are filed.
    std::vector<Object*> movingObjects;

    // Files an entity by its role: sky to the front of objects (the last one
    // read first), lights apart (and to pointLights), terrain to objects and
    // its grid to heightFields, the rest to the end of objects. A null
    // entity is dropped.
    void add(std::unique_ptr<Object> object, EntityRole role);

    // The nearest hit of the segment A->B on the BSP tree and every
    // HeightField; on equal distances the earlier one. None on a miss.
    std::optional<TraceHit> traceSegment(const Vector3& a, const Vector3& b) const;

    // The first moving object, in list order, whose class name is exactly
    // "DynamicObject" or "RobotDrone" and whose box the segment A->B passes
    // through; never `exclude`. None when no object answers.
    Object* findObjectOnSegment(const Vector3& a, const Vector3& b, const Object* exclude) const;

    // The vertex's colour from its world position and normal: the ambient
    // light plus every light in range that is unshadowed and faces it,
    // weighted by its distance; clamped at 1.0 only.
    void lightVertex(Vertex& vertex) const;

    // Gives back the GL names of every texture the world owns (before it is
    // dropped or replaced); pixels stay.
    void unloadTextures();

    // Every object's update, then the cloud drift.
    void update(const FrameContext& frame);
    // Draws the frame's world: BSP view, entities, cloud shadows, coronas.
    void draw(const FrameContext& frame) const;
};

// The displacement to apply from A when the motion A->B was blocked by a
// surface with the given unit normal: the part along the surface, stopped
// `radius` short of whatever the probe meets. Zero when the motion is too
// steep (angle in radians) or empty.
Vector3 slideMotion(const Vector3& a, const Vector3& b, const Vector3& normal, const World& world,
                    double angle, double radius, bool keepLevel);
