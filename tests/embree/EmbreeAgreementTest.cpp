// Our traces against Embree's on the same polygons and segments: both must
// find the same first surface (hit or miss, and the distance to it), except
// where the hit lies so near a polygon's edge, or a segment's end so near
// the hit surface, that single precision cannot say which side it is on.
// There our double-precision answer is the one to trust.

#include "embree/EmbreeTracer.h"
#include "embree/TraceSegments.h"
#include "unit/ContentTestSupport.h"

#include "bsp/BspCompiler.h"
#include "content/TriangleSoup.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <sstream>
#include <string>

namespace {

// Single precision cannot place a point closer than this to an edge or a
// plane of worlds this size (hundreds of units: a float's step is ~3e-5).
constexpr double band = 1e-4;

double distanceToEdge(const Vector3& p, const Vector3& from, const Vector3& to)
{
    const Vector3 edge = to - from;
    const double squared = edge.dot(edge);
    const double t = squared > 0 ? std::clamp((p - from).dot(edge) / squared, 0.0, 1.0) : 0.0;
    return (p - (from + edge * t)).length();
}

Vector3 position(const Vertex& v) { return v.position; }

// Whether p lies in some polygon's plane within `band` of one of its edges.
bool nearAnEdge(const std::vector<const CollisionPolygon*>& polygons, const Vector3& p)
{
    for (const CollisionPolygon* polygon : polygons) {
        if (std::abs(polygon->plane.distance(p)) > band) continue;
        const std::vector<Vertex>& corners = polygon->vertices;
        for (std::size_t k = 0; k < corners.size(); ++k) {
            const Vector3 from = position(corners[k]);
            const Vector3 to = position(corners[(k + 1) % corners.size()]);
            if (distanceToEdge(p, from, to) <= band) return true;
        }
    }
    return false;
}

// Whether an end of the segment lies within `band` of a plane the segment
// is said to hit there: ours counts a crossing only beyond planeEpsilon.
bool endNearHitPlane(const std::vector<const CollisionPolygon*>& polygons, const TraceSegment& s,
                     const Vector3& hit)
{
    for (const CollisionPolygon* polygon : polygons) {
        if (std::abs(polygon->plane.distance(hit)) > band) continue;
        if (std::abs(polygon->plane.distance(s.a)) <= band ||
            std::abs(polygon->plane.distance(s.b)) <= band) {
            return true;
        }
    }
    return false;
}

std::string describe(const TraceSegment& s, const std::optional<TraceHit>& ours,
                     const std::optional<EmbreeTracer::Hit>& embree)
{
    char text[400];
    std::snprintf(text, sizeof text,
                  "world.traceSegment({%.17g, %.17g, %.17g}, {%.17g, %.17g, %.17g}): ours %s "
                  "%.9g, Embree %s %.9g",
                  s.a.x, s.a.y, s.a.z, s.b.x, s.b.y, s.b.z, ours ? "hit at" : "miss",
                  ours ? ours->distance : 0.0, embree ? "hit at" : "miss",
                  embree ? embree->distance : 0.0);
    return text;
}

struct Tally {
    std::size_t segments = 0, hits = 0, agreed = 0, nearEdges = 0, nearEnds = 0;
    double largestGap = 0.0;  // between the distances of agreeing hits
    std::vector<std::string> disagreements;
};

Tally compare(const World& world, const EmbreeTracer& embree,
              const std::vector<TraceSegment>& segments)
{
    const auto& polygons = embree.polygons();
    Tally tally;
    for (const TraceSegment& s : segments) {
        ++tally.segments;
        const std::optional<TraceHit> ours = world.traceSegment(s.a, s.b);
        const std::optional<EmbreeTracer::Hit> theirs = embree.trace(s.a, s.b);
        tally.hits += ours.has_value();
        if (!ours && !theirs) {
            ++tally.agreed;
            continue;
        }
        if (ours && theirs) {
            // Embree's single-precision hit, pushed along the segment by the
            // float step of its coordinates however steeply it meets the
            // surface: a few parts in ten million of the world's size.
            const Vector3 d = s.b - s.a;
            const double cosine = std::abs(ours->plane.normal().dot(d)) / d.length();
            const double floatSteps =
                8e-7 * (std::max({std::abs(s.a.x), std::abs(s.a.y), std::abs(s.a.z)}) + d.length());
            const double tolerance = 1e-6 * ours->distance + floatSteps / std::max(cosine, 1e-3);
            const double gap = std::abs(ours->distance - theirs->distance);
            if (gap <= tolerance) {
                tally.largestGap = std::max(tally.largestGap, gap);
                ++tally.agreed;
                continue;
            }
        }
        const bool edge = (ours && nearAnEdge(polygons, ours->point)) ||
                          (theirs && nearAnEdge(polygons, theirs->point));
        const bool end = (ours && endNearHitPlane(polygons, s, ours->point)) ||
                         (theirs && endNearHitPlane(polygons, s, theirs->point));
        if (edge) {
            ++tally.nearEdges;
        } else if (end) {
            ++tally.nearEnds;
        } else {
            tally.disagreements.push_back(describe(s, ours, theirs));
        }
    }
    return tally;
}

void expectAgreement(const char* name, const Tally& tally)
{
    SCOPED_TRACE(name);
    std::ostringstream listed;
    for (std::size_t i = 0; i < tally.disagreements.size() && i < 20; ++i) {
        listed << "  " << tally.disagreements[i] << "\n";
    }
    EXPECT_TRUE(tally.disagreements.empty())
        << tally.disagreements.size() << " of " << tally.segments
        << " segments disagree beyond the edge band:\n"
        << listed.str();
    // A comparison of misses alone would prove nothing.
    EXPECT_GE(tally.hits, 100u);
    std::printf(
        "[ %-18s ] %zu segments, %zu hit, %zu agree (distances within %.2g), %zu near an "
        "edge, %zu near an end\n",
        name, tally.segments, tally.hits, tally.agreed, tally.largestGap, tally.nearEdges,
        tally.nearEnds);
}

constexpr std::size_t segmentsPerCase = 2000;

TEST(EmbreeAgreement, CanyonTracesFindTheSameSurfaces)
{
    content_test::LoadedCanyon canyon;
    ASSERT_TRUE(canyon.world);
    const World& world = *canyon.world;
    const EmbreeTracer embree(traceablePolygons(world), true);
    ASSERT_GT(embree.triangleCount(), 1000u);

    expectAgreement(
        "canyon short",
        compare(world, embree, segmentsOverGround(world, segmentsPerCase, shortLengths, 101)));
    expectAgreement(
        "canyon long",
        compare(world, embree, segmentsOverGround(world, segmentsPerCase, longLengths, 102)));
}

TEST(EmbreeAgreement, SoupTracesFindTheSameSurfaces)
{
    constexpr std::size_t triangles = 20000;
    const std::vector<tools::SourcePolygon> soup = tools::triangleSoup(triangles);
    World world;
    world.bspTree = tools::compileBsp(soup).root;
    const EmbreeTracer embree(traceablePolygons(world), true);

    // Segments from anywhere in so sparse a cube would nearly all miss:
    // they start close to the triangles' centres instead.
    std::vector<Vector3> centres;
    for (const tools::SourcePolygon& p : soup)
        centres.push_back((p.corners[0] + p.corners[1] + p.corners[2]) / 3.0);
    expectAgreement(
        "soup short",
        compare(world, embree, segmentsNear(centres, 0.5, segmentsPerCase, shortLengths, 201)));
    expectAgreement(
        "soup long",
        compare(world, embree, segmentsNear(centres, 0.5, segmentsPerCase, longLengths, 202)));
}

}  // namespace
