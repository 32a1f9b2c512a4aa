#include "entities/ParticleEffect.h"

#include "geometry/Plane.h"
#include "state/Gravity.h"
#include "world/World.h"

#include <cstdlib>

namespace {

// rand() % 1000 - 500: from -500 to 499.
double randomComponent() { return static_cast<double>(std::rand() % 1000 - 500); }

}  // namespace

void Particle::update(const World& world, double timeStep)
{
    // Fades in every frame, stopped or not, and on below 0.
    alpha -= timeStep * fadeRate;
    if (stopped) return;
    const double speed = velocity.length();
    if (speed > planeEpsilon) {
        const Vector3 direction = velocity / speed;
        const Vector3 reach = position + direction * (speed + size);
        if (const std::optional<TraceHit> hit = world.traceSegment(position, reach)) {
            // Ends this step `size` short of the surface (back, when nearer).
            velocity = direction * (hit->distance - size);
            stopped = true;
        }
    }
    position += velocity;
    velocity.y -= gravityAcceleration * timeStep;
}

void ParticleEffect::spawn(int count, const Vector3& baseVelocity, const Vector3& position,
                           double size, double speed, double red, double green, double blue,
                           double timeStep)
{
    if (count <= 0) return;
    if (particles.size() < static_cast<std::size_t>(count)) {
        particles.resize(static_cast<std::size_t>(count));
    }
    const double k = speed * 0.002;
    for (int i = 0; i < count; ++i) {
        Particle& p = particles[static_cast<std::size_t>(i)];
        const double rx = randomComponent();
        const double ry = randomComponent();
        const double rz = randomComponent();
        p.alpha = 1.0;
        p.size = size;
        p.position = position;
        p.velocity = {rx * timeStep * k + baseVelocity.x, ry * timeStep * k + baseVelocity.y,
                      rz * timeStep * k + baseVelocity.z};
        p.red = red;
        p.green = green;
        p.blue = blue;
        p.stopped = false;
    }
}

void ParticleEffect::update(const World& world, double timeStep)
{
    for (Particle& p : particles) p.update(world, timeStep);
}
