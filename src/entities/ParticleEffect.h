#pragma once

#include "math/Vector3.h"
#include "world/DrawMode.h"

#include <vector>

class Texture;

// Both bursts, the drone's and the rocket's, show this texture.
inline constexpr const char* burstTextureName = "!..\\Textures\\corona.bmp";

class World;
struct Camera;

// One camera-facing, translucent square of a burst.
struct Particle {
    Vector3 position;        // world position of the square's centre
    Vector3 velocity;        // world displacement per frame
    double alpha = 0.0;      // drawn only while above 0
    double fadeRate = 0.02;  // alpha lost per unit of timeStep
    double size = 0.0;       // half the edge; also the radius it keeps from the world
    double red = 0.7, green = 0.7, blue = 0.7;
    bool stopped = true;  // met the world (or never set going): moves no more

    // Fades, then (unless stopped) moves, stopping `size` short of what it meets, and falls.
    void update(const World& world, double timeStep);
    void draw(DrawMode drawMode, const Texture* texture, const Camera& camera) const;
};

// A pool of particles sharing one texture (owned by a texture cache). The
// pool grows to the largest burst asked for and never shrinks: a new burst
// re-initialises the particles of the last one, so no frame allocates.
// A burst ends with its owner, and no owner outlives the world its
// particles fly in: a drone goes with its world, and the player drops its
// rocket before any world is released.
class ParticleEffect {
public:
    explicit ParticleEffect(Texture* shared = nullptr) : texture(shared) {}

    // Sets the first `count` particles going from `position` in random
    // directions (rand(), three draws a particle in x, y, z order) at up to
    // `speed` x timeStep a frame, plus baseVelocity.
    void spawn(int count, const Vector3& baseVelocity, const Vector3& position, double size,
               double speed, double red, double green, double blue, double timeStep);
    void update(const World& world, double timeStep);
    // Drawn in draw modes 0 and 1 only; blending is left as found.
    void draw(DrawMode drawMode, const Camera& camera) const;

    std::vector<Particle> particles;
    Texture* texture = nullptr;
};
