#include "world/World.h"

#include "geometry/HeightField.h"

#include <cmath>
#include <cstring>

bool World::traceSegment(const Vector3& a, const Vector3& b, double& distance, Vector3& point,
                         Plane& plane) const
{
    bool hit = bspTree && bspTree->intersectSegment(a, b, distance, point, plane);
    for (const std::unique_ptr<Object>& object : objects) {
        if (std::strcmp(object->className(), "HeightField") != 0) continue;
        const auto* field = dynamic_cast<const HeightField*>(object.get());
        if (!field) continue;
        double fieldDistance = 0.0;
        Vector3 fieldPoint;
        Plane fieldPlane;
        if (!field->intersectSegment(a, b, fieldDistance, fieldPoint, fieldPlane)) continue;
        // On equal distances the earlier hit stays.
        if (!hit || fieldDistance < distance) {
            distance = fieldDistance;
            point = fieldPoint;
            plane = fieldPlane;
        }
        hit = true;
    }
    return hit;
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
    double hitDistance = 0.0;
    Vector3 hitPoint;
    Plane hitPlane;
    if (world.traceSegment(a, probeEnd, hitDistance, hitPoint, hitPlane)) {
        // Stop `radius` short of what the probe met; nearer than that, back away.
        if (motionLength > planeEpsilon) motion /= motionLength;
        motion *= hitDistance - radius;
    }
    return motion;
}
