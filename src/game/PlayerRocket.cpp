#include "game/Frame.h"
#include "game/Player.h"
#include "state/ProgramState.h"
#include "world/World.h"

void Player::fire(World& world, const ProgramState& state)
{
    if (!rocket) {
        rocket = std::make_unique<Rocket>(world.textures.findOrLoad(rocketTextureName),
                                          world.textures.findOrLoad(burstTextureName));
    }
    if (rocket->state != Rocket::Ready) return;
    // From the previous frame's camera: half a unit to the right of the eye,
    // turned 0.2 degrees to the left.
    Placement from = state.camera.placement;
    from.translate({0.5, 0.0, 0.0});
    from.rotate({0.0, 0.2, 0.0});
    rocket->launch(from, state.clock.timeStep);
}

void Player::updateRocket(World& world, ProgramState& state)
{
    // Handed the current world every frame; it keeps none.
    if (rocket) rocket->update(frameContext(state, world, nullptr));
}
