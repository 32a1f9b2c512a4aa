#include "content/SkeletonFile.h"

#include "content/Noise.h"
#include "math/Vector3.h"
#include "worldfile/Format.h"

#include <functional>
#include <vector>

namespace tools {

namespace {

// A bone at rest (every hinge at 0 degrees), in skeleton space.
struct BoneSpec {
    int parent;  // -1 for the root; parents come before their children
    Vector3 start;
    Vector3 direction;  // along the bone: the bone's local z
    Vector3 hinge;      // the axis it swings about: the bone's local x
    double length;
    double minAngle, maxAngle;
    // Hinge angle in degrees over the walk cycle, phase 0..1.
    std::function<double(double)> angle;
};

constexpr double period = 1.0;  // seconds per walk cycle
constexpr int keysPerCycle = 8;

const Vector3 up{0, 1, 0}, down{0, -1, 0}, leftward{-1, 0, 0}, rightward{1, 0, 0};
const Vector3 swing{1, 0, 0};  // hinge for swinging forward and back
const Vector3 still{0, 0, 1};  // hinge of the fixed girdle bones

double wave(double phase, double shift = 0.0) { return sine(2 * pi * (phase + shift)); }

double knee(double phase)
{
    // Bent most while the leg swings forward, nearly straight while it carries.
    const double s = cosine(2 * pi * (phase - 0.92));
    const double bend = s > 0.0 ? s * s : 0.0;
    return -(8.0 + 47.0 * bend);
}

std::vector<BoneSpec> humanoid()
{
    auto fixed = [](double) { return 0.0; };
    return {
        {-1,
         {0, -0.55, 0},
         up,
         swing,
         0.12,
         -4,
         4,
         [](double p) { return 2.0 * wave(p * 2.0); }},  // 0 hips
        {0,
         {0, -0.43, 0},
         up,
         swing,
         0.45,
         -6,
         6,
         [](double p) { return -3.0 + 2.0 * wave(p * 2.0, 0.25); }},  // 1 spine
        {1, {0, 0.02, 0}, up, swing, 0.10, -5, 5, fixed},             // 2 neck
        {2,
         {0, 0.12, 0},
         up,
         swing,
         0.22,
         -8,
         8,
         [](double p) { return 2.0 * wave(p * 2.0, 0.5); }},     // 3 head
        {1, {0, -0.02, 0}, leftward, still, 0.20, 0, 0, fixed},  // 4 left shoulder
        {4,
         {-0.20, -0.02, 0},
         down,
         swing,
         0.30,
         -25,
         25,
         [](double p) { return -20.0 * wave(p); }},  // 5 left upper arm
        {5,
         {-0.20, -0.32, 0},
         down,
         swing,
         0.28,
         5,
         45,
         [](double p) { return 22.0 - 14.0 * wave(p); }},         // 6 left forearm
        {1, {0, -0.02, 0}, rightward, still, 0.20, 0, 0, fixed},  // 7 right shoulder
        {7,
         {0.20, -0.02, 0},
         down,
         swing,
         0.30,
         -25,
         25,
         [](double p) { return 20.0 * wave(p); }},  // 8 right upper arm
        {8,
         {0.20, -0.32, 0},
         down,
         swing,
         0.28,
         5,
         45,
         [](double p) { return 22.0 + 14.0 * wave(p); }},        // 9 right forearm
        {0, {0, -0.55, 0}, leftward, still, 0.10, 0, 0, fixed},  // 10 left hip
        {10,
         {-0.10, -0.55, 0},
         down,
         swing,
         0.45,
         -30,
         30,
         [](double p) { return 25.0 * wave(p); }},  // 11 left thigh
        {11,
         {-0.10, -1.00, 0},
         down,
         swing,
         0.45,
         -65,
         0,
         [](double p) { return knee(p); }},                       // 12 left shin
        {0, {0, -0.55, 0}, rightward, still, 0.10, 0, 0, fixed},  // 13 right hip
        {13,
         {0.10, -0.55, 0},
         down,
         swing,
         0.45,
         -30,
         30,
         [](double p) { return -25.0 * wave(p); }},  // 14 right thigh
        {14,
         {0.10, -1.00, 0},
         down,
         swing,
         0.45,
         -65,
         0,
         [](double p) { return knee(p + 0.5); }},  // 15 right shin
    };
}

void appendTriple(std::string& out, const Vector3& v)
{
    for (double c : {v.x, v.y, v.z}) {
        out += ' ';
        appendNumber(out, roundDecimals(c, 6));
    }
}

struct Frame {
    Vector3 origin, x, y, z;
};

Frame frameOf(const BoneSpec& b)
{
    return {b.start, b.hinge, b.direction.cross(b.hinge), b.direction};
}

// One bone record and, depth first, its children's.
void appendBone(std::string& out, const std::vector<BoneSpec>& bones, int index, int depth)
{
    const BoneSpec& b = bones[static_cast<std::size_t>(index)];
    const Frame own = frameOf(b);
    const Frame parent = b.parent < 0 ? Frame{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}
                                      : frameOf(bones[static_cast<std::size_t>(b.parent)]);
    // The hinge axis and the reference direction in the parent's frame, and
    // the offset along the bone's own axes.
    const Vector3 axis{parent.x.dot(own.x), parent.y.dot(own.x), parent.z.dot(own.x)};
    const Vector3 reference{parent.x.dot(own.y), parent.y.dot(own.y), parent.z.dot(own.y)};
    const Vector3 fromParent = own.origin - parent.origin;
    const Vector3 offset{own.x.dot(fromParent), own.y.dot(fromParent), own.z.dot(fromParent)};

    std::vector<int> children;
    for (std::size_t i = 0; i < bones.size(); ++i) {
        if (bones[i].parent == index) children.push_back(static_cast<int>(i));
    }
    out.append(static_cast<std::size_t>(depth) * 2, ' ');
    appendNumber(out, b.length);
    appendTriple(out, axis);
    appendTriple(out, reference);
    appendTriple(out, offset);
    out += ' ';
    appendNumber(out, b.minAngle);
    out += ' ';
    appendNumber(out, b.maxAngle);
    out += ' ';
    out += std::to_string(children.size());
    out += '\n';
    for (int child : children) appendBone(out, bones, child, depth + 1);
}

}  // namespace

std::string humanoidSkeletonText()
{
    const std::vector<BoneSpec> bones = humanoid();
    std::string out;
    appendBone(out, bones, 0, 0);
    // The file's bone order is the pre-order of the tree, which is the order
    // of the table above; one channel per bone in that order.
    out += std::to_string(bones.size());
    out += '\n';
    for (const BoneSpec& b : bones) {
        out += std::to_string(keysPerCycle + 1);
        for (int k = 0; k <= keysPerCycle; ++k) {
            const double phase = static_cast<double>(k % keysPerCycle) / keysPerCycle;
            const double span = b.maxAngle - b.minAngle;
            const double blend = span != 0.0 ? (b.angle(phase) - b.minAngle) / span : 0.0;
            out += ' ';
            appendNumber(out, period * k / keysPerCycle);
            out += ' ';
            appendNumber(out, roundDecimals(clamp01(blend), 4));
        }
        out += '\n';
    }
    return out;
}

}  // namespace tools
