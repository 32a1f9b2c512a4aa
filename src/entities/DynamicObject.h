#pragma once

#include "geometry/BoundingBox.h"
#include "geometry/Vertex.h"
#include "math/Placement.h"
#include "text/TokenReader.h"
#include "world/Object.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class World;

// An entity whose polygons move. It keeps its vertices in its own
// coordinates and every frame places them in the world from its placement,
// refits its box and relights them. A behaviour word makes it spin about
// one of its axes or roam as a "drone" that steers away from walls.
class DynamicObject : public Object {
public:
    void update(const FrameContext& frame) override;
    const char* className() const override { return "DynamicObject"; }

    // Whether the segment a->b passes through the bounding box: no box, no hit.
    bool hitsSegment(const Vector3& a, const Vector3& b) const override;

    // The word as read ("NULL" stores none); words it does not know do nothing.
    void setBehaviour(std::string word);
    const std::string& behaviour() const { return behaviour_; }

    // Copies the polygons' vertices, in polygon order, as the rest shape the
    // placement is applied to. Called once the polygons are final.
    void takeRestShape();

    // The behaviour's turn or step for one frame.
    void applyBehaviour(const FrameContext& frame);
    // World positions, normals, box and colours from the rest shape and the
    // placement; lit by the world while dynamic lighting is on, grey otherwise.
    void refreshVertices(const World& world, bool dynamicLighting);

    // Turns and moves along its own axes.
    void rotate(const Vector3& anglesDegrees) { placement.rotate(anglesDegrees); }
    void translate(const Vector3& step) { placement.translate(step); }
    Vector3 position() const { return placement.position(); }

    std::optional<BoundingBox> boundingBox;
    Placement placement;  // object to world and back
    // In object coordinates, one per polygon vertex in polygon order: the
    // live vertices are the polygons' own, in the same order.
    std::vector<Vertex> restVertices;

private:
    enum class Behaviour { none, rotateX, rotateY, rotateZ, drone };
    void steerAsDrone(const FrameContext& frame);

    std::string behaviour_;
    Behaviour kind_ = Behaviour::none;
};

// The record after the keyword, shared with RobotDrone: position, two box
// corners, behaviour word, polygon count and polygons. False (the reader
// failed) on a record cut short or malformed.
bool readDynamicRecord(TokenReader& in, World& world, DynamicObject& object);

std::unique_ptr<Object> readDynamicObject(TokenReader& in, World& world);
