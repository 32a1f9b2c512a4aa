#pragma once

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
    // light.
    void loadWorld(const std::string& path);
    // Releases the world's GL textures and destroys it.
    void releaseWorld();
    // "Run World": release the current world, ask for a file, load it and,
    // when it loaded, capture the mouse.
    void runWorld();

    // The world's update, then the player's.
    void update();
    // The world through the camera, the player, then the HUD.
    void display(Hud& hud);

private:
    Player& player_;
    ProgramState& state_;
    std::unique_ptr<World> world_;
    std::uint64_t interruptionsSeen_ = 0;
};
