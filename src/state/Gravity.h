#pragma once

// Downward acceleration per unit of timeStep, shared by everything that
// falls: the player, particles.
constexpr double gravityAcceleration = 0.08;
