#include "entities/DynamicObject.h"

#include "geometry/Polygon.h"
#include "state/GameSettings.h"
#include "world/FrameContext.h"
#include "world/World.h"

namespace {

constexpr double turnDegrees = 5.0;  // per unit of timeStep, spinning and steering alike
constexpr double probeLength = 10.0;
constexpr double forwardClearance = 8.0;  // a wall nearer than this ahead makes a drone turn
constexpr double sideClearance = 6.0;     // a wall nearer than this at a side steers it away
constexpr double unlitGrey = 0.7;

// Behaviour words are words of the file format, which holds at most this many characters.
constexpr std::size_t longestWord = 255;

}  // namespace

void DynamicObject::setBehaviour(std::string word)
{
    if (word == "NULL") word.clear();
    behaviour_ = std::move(word);
    kind_ = behaviour_ == "rotateX"   ? Behaviour::rotateX
            : behaviour_ == "rotateY" ? Behaviour::rotateY
            : behaviour_ == "rotateZ" ? Behaviour::rotateZ
            : behaviour_ == "drone"   ? Behaviour::drone
                                      : Behaviour::none;
}

void DynamicObject::takeRestShape()
{
    restVertices.clear();
    std::size_t count = 0;
    for (const Polygon& polygon : polygons) count += polygon.vertices.size();
    restVertices.reserve(count);
    for (const Polygon& polygon : polygons) {
        restVertices.insert(restVertices.end(), polygon.vertices.begin(), polygon.vertices.end());
    }
}

void DynamicObject::update(const FrameContext& frame)
{
    applyBehaviour(frame);
    refreshVertices(frame.world, frame.settings.dynamicLighting);
}

void DynamicObject::applyBehaviour(const FrameContext& frame)
{
    const double angle = turnDegrees * frame.timeStep;
    switch (kind_) {
    case Behaviour::rotateX: rotate({angle, 0.0, 0.0}); break;
    case Behaviour::rotateY: rotate({0.0, angle, 0.0}); break;
    case Behaviour::rotateZ: rotate({0.0, 0.0, angle}); break;
    case Behaviour::drone: steerAsDrone(frame); break;
    case Behaviour::none: break;
    }
}

void DynamicObject::steerAsDrone(const FrameContext& frame)
{
    const Vector3 from = position();
    auto probe = [&](const Vector3& towards) {
        const std::optional<TraceHit> hit =
            frame.world.traceSegment(from, transformPoint(towards, placement.transform()));
        return hit ? hit->distance : probeLength;
    };
    const double left = probe({-probeLength, 0.0, 0.0});
    const double right = probe({probeLength, 0.0, 0.0});
    const double ahead = probe({0.0, 0.0, -probeLength});

    const bool leftNear = left < sideClearance, rightNear = right < sideClearance;
    enum class Action { turnRight, turnLeft, forward } action;
    if (ahead < forwardClearance) {
        // Blocked ahead: away from the nearer side (right when level).
        if (leftNear) action = Action::turnRight;
        else if (rightNear) action = Action::turnLeft;
        else action = left < right ? Action::turnRight : Action::turnLeft;
    } else if (leftNear != rightNear) {
        action = leftNear ? Action::turnRight : Action::turnLeft;
    } else {
        action = Action::forward;
    }

    // One action a frame: a turning drone stands still.
    const double angle = turnDegrees * frame.timeStep;
    switch (action) {
    case Action::turnRight: rotate({0.0, -angle, 0.0}); break;
    case Action::turnLeft: rotate({0.0, angle, 0.0}); break;
    case Action::forward: translate({0.0, 0.0, -frame.timeStep}); break;
    }
}

void DynamicObject::refreshVertices(const World& world, bool dynamicLighting)
{
    const Vector3 origin = placement.position();
    std::size_t k = 0;
    for (Polygon& polygon : polygons) {
        for (Vertex& live : polygon.vertices) {
            if (k >= restVertices.size())
                return;  // polygons changed after the rest shape was taken
            const Vertex& rest = restVertices[k];
            const Vector3 at = transformPoint(rest.position, placement.transform());
            // The rotation alone; not renormalised.
            const Vector3 normal = transformPoint(rest.normal, placement.transform()) - origin;
            live.position.x = at.x;
            live.position.y = at.y;
            live.position.z = at.z;
            live.normal.x = normal.x;
            live.normal.y = normal.y;
            live.normal.z = normal.z;
            // Refitted from scratch every frame.
            if (k == 0) boundingBox = BoundingBox::at(at);
            else boundingBox->include(at);
            if (dynamicLighting) {
                world.lightVertex(live);
            } else {
                live.r = live.g = live.b = unlitGrey;
            }
            ++k;
        }
    }
}

bool DynamicObject::hitsSegment(const Vector3& a, const Vector3& b) const
{
    return boundingBox && boundingBox->crossedBy(a, b);
}

bool readDynamicRecord(TokenReader& in, World& world, DynamicObject& object)
{
    Vector3 p, a, b;
    if (!(in.readDouble(p.x) && in.readDouble(p.y) && in.readDouble(p.z))) return false;
    if (!(in.readDouble(a.x) && in.readDouble(a.y) && in.readDouble(a.z))) return false;
    if (!(in.readDouble(b.x) && in.readDouble(b.y) && in.readDouble(b.z))) return false;
    object.translate(p);
    object.boundingBox = BoundingBox::at(a);
    object.boundingBox->include(b);

    std::string word;
    if (!in.readWord(word)) return false;
    if (word.size() > longestWord) {
        in.fail("a behaviour word of at most 255 characters");
        return false;
    }
    object.setBehaviour(std::move(word));

    // Refused before anything is allocated when the rest of the file
    // cannot hold that many polygons; a count of zero or below is none.
    std::optional<std::vector<Polygon>> polygons =
        readPolygonList(in, world.textures, CountBelowZero::noPolygons);
    if (!polygons) return false;
    object.polygons = std::move(*polygons);
    // The polygons keep object coordinates until the first update.
    object.takeRestShape();
    return true;
}

std::unique_ptr<Object> readDynamicObject(TokenReader& in, World& world)
{
    auto object = std::make_unique<DynamicObject>();
    if (!readDynamicRecord(in, world, *object)) return nullptr;
    return object;
}
