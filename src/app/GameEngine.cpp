#include "app/GameEngine.h"

#include "game/Player.h"
#include "state/ProgramState.h"
#include "world/World.h"
#include "world/WorldLoader.h"

GameEngine::GameEngine(Player& player, ProgramState& state) : player_(player), state_(state) {}

GameEngine::~GameEngine() { releaseWorld(); }

void GameEngine::loadWorld(const std::string& path)
{
    // A world being replaced gives its GL names back first.
    releaseWorld();
    world_ = ::loadWorld(path, [this](const Vector3& start) { player_.placeAt(start); });
}

void GameEngine::releaseWorld()
{
    if (!world_) return;
    world_->unloadTextures();
    world_.reset();
}

void GameEngine::runWorld()
{
    // No world is current while the dialog is open, so nothing draws or
    // updates a destroyed one.
    releaseWorld();
    const std::optional<std::string> path = chooseWorldFile();
    if (!path) return;
    loadWorld(*path);
    if (world_) {
        state_.settings.mouseControl = true;
        player_.setMouseCaptured(true, state_);
    }
}

void GameEngine::update()
{
    if (!world_) return;
    world_->update(state_.clock.timeStep);
    player_.update(*world_, state_);
}
