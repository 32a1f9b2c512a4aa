#include "app/GameEngine.h"
#include "app/Hud.h"
#include "game/Frame.h"
#include "game/Player.h"
#include "state/ProgramState.h"
#include "world/World.h"

#include <GL/gl.h>

void GameEngine::display(Hud& hud)
{
    if (!world_) return;
    glPushMatrix();
    glLoadMatrixd(state_.camera.placement.inverse().data());
    const FrameContext frame = frameContext(state_, *world_, nullptr);
    world_->draw(frame);
    player_.draw(frame);
    glPopMatrix();
    hud.draw(state_);
}
