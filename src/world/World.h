#pragma once

#include "geometry/BspNode.h"
#include "math/Matrix4.h"
#include "textures/TextureCache.h"
#include "world/Object.h"

#include <memory>
#include <optional>
#include <vector>

// A loaded world. Owns its entities, textures, cloud-shadow texture and BSP tree.
class World {
public:
    World() = default;
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    std::vector<std::unique_ptr<Object>> objects;  // skyboxes first, lights excluded
    std::vector<std::unique_ptr<Object>> lights;   // className() "Light"
    Vector3 playerStart;
    TextureCache textures;
    std::unique_ptr<Texture> cloudTexture;
    std::optional<Matrix4> cloudTextureMatrix;
    Vector3 cloudOffset;
    std::unique_ptr<BspNode> bspTree;

    // Nearest hit of the segment A->B on the BSP tree and every HeightField;
    // equal distances keep the earlier hit. Outputs written only on a hit.
    bool traceSegment(const Vector3& a, const Vector3& b, double& distance, Vector3& point,
                      Plane& plane) const;

    // Gives back the GL names of every texture the world owns (before it is
    // dropped or replaced); pixels stay.
    void unloadTextures();

    // Every object's update, then the cloud drift.
    void update(double timeStep);
    // Draws the frame's world: BSP view, entities, cloud shadows, coronas.
    void draw() const;
};

// The displacement to apply from A when the motion A->B was blocked by a
// surface with the given unit normal: the part along the surface, stopped
// `radius` short of whatever the probe meets. Zero when the motion is too
// steep (angle in radians) or empty.
Vector3 slideMotion(const Vector3& a, const Vector3& b, const Vector3& normal, const World& world,
                    double angle, double radius, bool keepLevel);
