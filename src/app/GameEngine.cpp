#include "app/GameEngine.h"

#include "game/Frame.h"
#include "game/Player.h"
#include "platform/Platform.h"
#include "state/ProgramState.h"
#include "world/World.h"
#include "world/WorldLoader.h"

GameEngine::GameEngine(Player& player, ProgramState& state) : player_(player), state_(state) {}

GameEngine::~GameEngine() { releaseWorld(); }

void GameEngine::loadWorld(const std::string& path)
{
    // A world being replaced gives its GL names back first.
    releaseWorld();
    world_ = ::loadWorld(path, state_.settings.mipmapping);
    if (!world_) return;
    state_.ambientLight = world_->ambientLight;
    player_.placeAt(world_->playerStart);
}

void GameEngine::releaseWorld()
{
    if (!world_) return;
    player_.forgetWorld();
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
    // Keys released while a box was open or the window was away never
    // arrive: held keys start again from nothing.
    const std::uint64_t interruptions = platform::current().inputInterruptions();
    if (interruptions != interruptionsSeen_) {
        interruptionsSeen_ = interruptions;
        state_.keys.clear();
        state_.settings.leftButtonDown = false;
    }
    if (!world_) return;
    // Textures a record loads on demand follow the I toggle as it is now.
    world_->textures.setMipmapping(state_.settings.mipmapping);
    Rider rider = player_.rider();
    world_->update(frameContext(state_, *world_, &rider));
    player_.update(*world_, state_);
}
