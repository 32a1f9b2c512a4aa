#include "app/GameEngine.h"

#include "audio/SoundDevice.h"
#include "game/Frame.h"
#include "game/Player.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "state/ProgramState.h"
#include "world/World.h"
#include "world/WorldLoader.h"

#include <filesystem>
#include <optional>
#include <system_error>

GameEngine::GameEngine(Player& player, ProgramState& state) : player_(player), state_(state) {}

GameEngine::~GameEngine() { releaseWorld(); }

namespace {

std::string absolutePath(const std::string& path)
{
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(platform::resolvePath(path), ec);
    return ec ? path : full.lexically_normal().string();
}

}  // namespace

void GameEngine::loadWorld(const std::string& path)
{
    // A world being replaced gives its GL names back first.
    releaseWorld();
    // Watched before it is read, so a write during the load is not missed.
    reloadWatch_.watch(absolutePath(path), platform::current());
    world_ = ::loadWorld(path, state_.settings.mipmapping);
    if (!world_) return;
    state_.ambientLight = world_->ambientLight;
    player_.placeAt(world_->playerStart);
    sounds_.attach(*world_);
}

void GameEngine::openWorld(const std::string& path) { loadWorld(enterWorldFolder(path)); }

void GameEngine::reloadWorld()
{
    if (!world_) {
        // Nothing to keep: as a first load, at the world's start.
        loadWorld(reloadWatch_.path());
        return;
    }
    // The old world stays until the new one is whole, so a failure keeps it;
    // its GL names go back as soon as it is replaced.
    std::unique_ptr<World> fresh = ::loadWorld(reloadWatch_.path(), state_.settings.mipmapping);
    if (!fresh) {
        // The box left the cursor wherever it was: look on from here.
        if (player_.mouseCaptured) player_.recentreCursor(state_.window);
        return;
    }
    releaseWorld();
    world_ = std::move(fresh);
    state_.ambientLight = world_->ambientLight;
    sounds_.attach(*world_);
}

void GameEngine::switchWorld(const std::string& path)
{
    std::error_code ec;
    const std::filesystem::path folderBefore = std::filesystem::current_path(ec);
    const std::string file = enterWorldFolder(path);
    std::unique_ptr<World> fresh = ::loadWorld(file, state_.settings.mipmapping);
    if (!fresh) {
        if (!ec) std::filesystem::current_path(folderBefore, ec);
        if (player_.mouseCaptured) player_.recentreCursor(state_.window);
        return;
    }
    releaseWorld();
    reloadWatch_.watch(absolutePath(file), platform::current());
    world_ = std::move(fresh);
    state_.ambientLight = world_->ambientLight;
    player_.placeAt(world_->playerStart);
    sounds_.attach(*world_);
    state_.settings.mouseControl = true;
    player_.setMouseCaptured(true, state_);
}

void GameEngine::setLiveReload(bool on) { reloadWatch_.setEnabled(on, platform::current()); }

void GameEngine::releaseWorld()
{
    if (!world_) return;
    player_.forgetWorld();
    sounds_.detach();
    world_->unloadTextures();
    world_.reset();
}

void GameEngine::runWorld()
{
    // No world is current while the dialog is open, so nothing draws or
    // updates a destroyed one.
    releaseWorld();
    const std::optional<std::string> path = chooseWorldFile();
    if (!path) {
        reloadWatch_.watch({}, platform::current());
        return;
    }
    loadWorld(*path);
    if (world_) {
        state_.settings.mouseControl = true;
        player_.setMouseCaptured(true, state_);
    }
}

void GameEngine::update()
{
    if (const std::optional<std::string> requested = platform::current().requestedWorld()) {
        switchWorld(*requested);
    }
    if (reloadWatch_.poll(platform::current())) reloadWorld();
    // Keys released while a box was open or the window was away never
    // arrive: held keys start again from nothing.
    const std::uint64_t interruptions = platform::current().inputInterruptions();
    if (interruptions != interruptionsSeen_) {
        interruptionsSeen_ = interruptions;
        state_.keys.clear();
        state_.settings.leftButtonDown = false;
        state_.settings.leftButtonLatch = {};
    }
    if (!world_) {
        // Nothing reads a quick press now, and a world loaded later must
        // not act on it.
        inputPolled(state_);
        return;
    }
    // Textures a record loads on demand follow the I toggle as it is now.
    world_->textures.setMipmapping(state_.settings.mipmapping);
    Rider rider = player_.rider();
    world_->update(frameContext(state_, *world_, &rider));
    player_.update(*world_, state_);
    sounds_.update(player_, state_);
    soundDevice().setListener(listenerAt(state_.camera, state_.settings.sound));
}
