#include "EntityTestSupport.h"

#include "entities/ParticleEffect.h"
#include "state/Gravity.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace entity_test;

namespace {

TEST(ParticlePool, GrowsToTheLargestBurstAndReusesItsParticles)
{
    ParticleEffect effect;
    effect.spawn(0, {}, {}, 0.3, 1.0, 1, 1, 1, 0.4);
    EXPECT_TRUE(effect.particles.empty());

    effect.spawn(30, {}, {1, 2, 3}, 0.3, 1.0, 1, 0.7, 0, 0.4);
    ASSERT_EQ(effect.particles.size(), 30u);
    effect.spawn(40, {}, {4, 5, 6}, 0.5, 1.2, 1, 0.2, 0, 0.4);
    ASSERT_EQ(effect.particles.size(), 40u);
    for (const Particle& p : effect.particles) {
        EXPECT_EQ(p.position, Vector3(4, 5, 6));
        EXPECT_EQ(p.size, 0.5);
        EXPECT_EQ(p.green, 0.2);
        EXPECT_FALSE(p.stopped);
        EXPECT_EQ(p.alpha, 1.0);
    }
    // The last ten keep whatever they had; the pool keeps its storage.
    World world;
    effect.update(world, 0.4);
    const std::vector<Particle> before = effect.particles;
    const Particle* storage = effect.particles.data();
    effect.spawn(30, {}, {7, 8, 9}, 0.3, 1.0, 1, 0.7, 0, 0.4);
    ASSERT_EQ(effect.particles.size(), 40u);
    EXPECT_EQ(effect.particles.data(), storage);
    for (std::size_t i = 0; i < 40; ++i) {
        const Particle& p = effect.particles[i];
        if (i < 30) {
            EXPECT_EQ(p.position, Vector3(7, 8, 9));
            EXPECT_EQ(p.alpha, 1.0);
        } else {
            EXPECT_EQ(p.position, before[i].position);
            EXPECT_EQ(p.velocity, before[i].velocity);
            EXPECT_EQ(p.alpha, before[i].alpha);
            EXPECT_EQ(p.size, 0.5);
        }
    }
}

TEST(ParticlePool, DrawsRandThreeTimesAParticleInXYZOrder)
{
    for (const double timeStep : {0.4, 1.6}) {
        std::srand(3);
        ParticleEffect effect;
        const Vector3 base{0.5, -0.25, 2};
        effect.spawn(500, base, {}, 0.3, 1.0, 1, 0.7, 0, timeStep);
        std::srand(3);
        const double k = 1.0 * 0.002;
        for (const Particle& p : effect.particles) {
            const double rx = std::rand() % 1000 - 500;
            const double ry = std::rand() % 1000 - 500;
            const double rz = std::rand() % 1000 - 500;
            ASSERT_EQ(p.velocity, Vector3(rx * timeStep * k + base.x, ry * timeStep * k + base.y,
                                          rz * timeStep * k + base.z));
            // Speed 1.0: each random part between -timeStep and 499/500 of it.
            EXPECT_GE(p.velocity.x - base.x, -timeStep);
            EXPECT_LE(p.velocity.x - base.x, 0.998 * timeStep + 1e-12);
        }
    }
}

TEST(ParticleMotion, FadesEveryFrameFallsAndStopsShortOfTheWorld)
{
    // A floor at y = 0 facing up.
    auto world = worldOf({wall(1, 0, 1)});
    ParticleEffect effect;
    effect.spawn(1, {}, {0, 5, 0}, 0.3, 0.0, 1, 1, 1, 0.4);
    Particle& p = effect.particles[0];
    int frames = 0;
    while (!p.stopped && frames < 200) {
        const Vector3 velocity = p.velocity;
        const Vector3 position = p.position;
        effect.update(*world, 0.4);
        ++frames;
        if (!p.stopped) {
            // Moved by the velocity it had, then gravity.
            EXPECT_EQ(p.position, position + velocity);
            EXPECT_DOUBLE_EQ(p.velocity.y, velocity.y - gravityAcceleration * 0.4);
        }
    }
    ASSERT_TRUE(p.stopped);
    // Falling straight down: stopped `size` above the floor, and stays there while it fades on.
    EXPECT_NEAR(p.position.y, 0.3, 1e-9);
    const Vector3 rest = p.position;
    const double alpha = p.alpha;
    EXPECT_NEAR(alpha, 1.0 - frames * 0.4 * 0.02, 1e-12);
    for (int i = 0; i < 200; ++i) effect.update(*world, 0.4);
    EXPECT_EQ(p.position, rest);
    EXPECT_NEAR(p.alpha, alpha - 200 * 0.4 * 0.02, 1e-12);
    EXPECT_LT(p.alpha, 0.0);  // fades on below 0

    // In open space a particle falls for ever.
    World open;
    effect.spawn(1, {}, {0, 5, 0}, 0.3, 0.0, 1, 1, 1, 0.4);
    for (int i = 0; i < 100; ++i) effect.update(open, 0.4);
    EXPECT_FALSE(p.stopped);
    EXPECT_LT(p.position.y, -50.0);
}

TEST(ParticleMotion, ASurfaceNearerThanItsSizeMovesItBack)
{
    auto world = worldOf({wall(0, 0.1, -1)});  // facing -x at x = 0.1
    ParticleEffect effect;
    effect.spawn(1, {1, 0, 0}, {0, 0, 0}, 0.3, 0.0, 1, 1, 1, 0.4);
    effect.update(*world, 0.4);
    EXPECT_TRUE(effect.particles[0].stopped);
    EXPECT_NEAR(effect.particles[0].position.x, -0.2, 1e-9);
}

}  // namespace
