#include "world/World.h"

#include <cmath>
#include <cstring>

std::optional<TraceHit> World::traceSegment(const Vector3& a, const Vector3& b) const
{
    std::optional<TraceHit> nearest;
    nearest = bspTree.intersectSegment(a, b);
    for (const HeightGrid* field : heightFields) {
        std::optional<TraceHit> hit = field->intersectSegment(a, b);
        // On equal distances the earlier hit stays.
        if (hit && (!nearest || hit->distance < nearest->distance)) nearest = hit;
    }
    return nearest;
}

Object* World::findObjectOnSegment(const Vector3& a, const Vector3& b, const Object* exclude) const
{
    for (Object* object : movingObjects) {
        const char* name = object->className();
        if (std::strcmp(name, "DynamicObject") != 0 && std::strcmp(name, "RobotDrone") != 0)
            continue;
        if (object == exclude) continue;
        if (object->hitsSegment(a, b)) return object;
    }
    return nullptr;
}

Vector3 slideMotion(const Vector3& a, const Vector3& b, const Vector3& normal, const World& world,
                    double angle, double radius, bool keepLevel)
{
    const Vector3 wanted = b - a;
    const double length = wanted.length();
    // A motion with no length, or with no defined length, goes nowhere.
    if (!(length > planeEpsilon) || !std::isfinite(length)) return {};
    const double across = normal.dot(wanted);
    // Too steep against the surface: no sliding.
    if (std::sin(angle) <= std::fabs(across / length)) return {};

    Vector3 motion = wanted - normal * across;
    if (keepLevel) motion.y = 0.0;

    const double motionLength = motion.length();
    const Vector3 direction = motionLength > planeEpsilon ? motion / motionLength : motion;
    const Vector3 probeEnd = a + direction * (motionLength + radius);
    if (const std::optional<TraceHit> hit = world.traceSegment(a, probeEnd)) {
        // Stop `radius` short of what the probe met; nearer than that, back away.
        if (motionLength > planeEpsilon) motion /= motionLength;
        motion *= hit->distance - radius;
    }
    return motion;
}
