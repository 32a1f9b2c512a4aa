#pragma once

#include "app/WorldReloadWatch.h"
#include "game/GameSounds.h"

#include <cstdint>
#include <memory>
#include <string>

class Hud;
class Player;
class World;
struct ProgramState;

// Holds the current world, or none, and runs the per-frame update and the
// frame display over it. With no world both do nothing.
class GameEngine {
public:
    GameEngine(Player& player, ProgramState& state);
    ~GameEngine();
    GameEngine(const GameEngine&) = delete;
    GameEngine& operator=(const GameEngine&) = delete;

    World* world() const { return world_.get(); }

    // Loads a world file and makes the result (possibly none) current; a
    // world that loads places the player at its start and sets the ambient
    // light. The file is watched from then on, whether it loaded or not.
    void loadWorld(const std::string& path);
    // A world named on the command line: its folder becomes the current
    // directory, as a file chosen in the dialog does, then it loads.
    void openWorld(const std::string& path);
    // Releases the world's GL textures and destroys it.
    void releaseWorld();
    // "Run World": release the current world, ask for a file, load it and,
    // when it loaded, capture the mouse.
    void runWorld();

    // A world chosen outside the game's dialog: its folder becomes the
    // current directory and it replaces the current world once it has
    // loaded whole; one that fails leaves the current world playing and the
    // current directory as it was.
    void switchWorld(const std::string& path);

    // Live reload of the watched world file, on at start.
    void setLiveReload(bool on);
    bool liveReload() const { return reloadWatch_.enabled(); }
    const std::string& watchedWorldPath() const { return reloadWatch_.path(); }

    // A world the platform was asked for is opened, a changed world file
    // that has settled is loaded again, then the
    // world's update, then the player's.
    void update();
    // The world through the camera, the player, then the HUD.
    void display(Hud& hud);

private:
    // Loads the watched file again. A world that loads replaces the current
    // one and the player stays where it is; one that fails leaves the
    // current world playing (the loader has shown its one message).
    void reloadWorld();

    Player& player_;
    ProgramState& state_;
    std::unique_ptr<World> world_;
    GameSounds sounds_;  // attached to the current world
    std::uint64_t interruptionsSeen_ = 0;
    WorldReloadWatch reloadWatch_;
};
