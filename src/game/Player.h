#pragma once

#include "entities/Rocket.h"
#include "math/Placement.h"
#include "math/Vector3.h"
#include "skeleton/Skeleton.h"
#include "world/FrameContext.h"

#include <memory>

class Object;
class World;
struct ProgramState;
struct WindowSize;

// Where the camera sits: at the eye, behind the body, or circling it.
enum class CameraMode { firstPerson, thirdPerson, rotatingThirdPerson };

// The one player: lives from start-up to exit and outlives worlds.
class Player {
public:
    Placement placement;     // body to world and back; its position is the body's
    double pitch = 0.0;      // degrees, -90..90, camera only
    Vector3 velocity;        // body frame: x strafe, y rise, z walk (- forward)
    double fallSpeed = 1.0;  // positive downwards, world units per unit of timeStep
    bool onGround = false;
    bool mouseCaptured = false;
    CameraMode cameraMode = CameraMode::firstPerson;
    int mouseReferenceX = 0;  // cursor after the last re-centring
    int mouseReferenceY = 0;
    Object* vehicle = nullptr;           // what the player drives; set and cleared by the vehicle
    std::unique_ptr<Skeleton> skeleton;  // the body, when test.skl loaded
    // Built by the first shot in the world current then; rebuilt by the
    // first shot after a world change, so it never keeps the old one's textures.
    std::unique_ptr<Rocket> rocket;

    // What a vehicle may move of the player, handed to the world's update.
    Rider rider()
    {
        return {&placement, &vehicle,
                [this](const Vector3& step, const FrameContext& frame) { setDown(step, frame); }};
    }

    // Leaving a vehicle: the body moves by `step` in its own axes as far as
    // the way is clear and keeps its wall clearance from whatever stands
    // there, measured across it. With collision off it simply moves.
    void setDown(const Vector3& step, const FrameContext& frame);

    // Where a world load puts the player: orientation discarded, the other
    // fields kept.
    void placeAt(const Vector3& start);

    // Drops every reference into a world that is about to be released (the
    // vehicle driven, the rocket with its textures and any flight in
    // progress); called before any world goes.
    void forgetWorld();

    // Cursor capture for mouse look: centre, remember, hide; or show again.
    void setMouseCaptured(bool on, ProgramState& state);

    // Puts the cursor in the middle of the window and takes it as reference.
    void recentreCursor(const WindowSize& window);

    // One frame: mouse look, keys, jump, speed, collision, camera.
    void update(World& world, ProgramState& state);

    // Rebuilds the camera from the body for the current camera mode.
    void updateCamera(ProgramState& state) const;

    // The rocket and, in the third-person cameras, the body.
    void draw(const FrameContext& frame) const;

private:
    // Both placement matrices change together so they stay inverse.
    void rotateBody(const Vector3& anglesDegrees);
    void translateBody(const Vector3& step);
    void lookWithMouse(const WindowSize& window);
    // Left button held: launches the rocket when it is ready.
    void fire(World& world, const ProgramState& state);
    void updateRocket(World& world, ProgramState& state);
    // The body step after head room, walls and ground have had their say.
    Vector3 collide(const World& world, const Vector3& step, bool gravity, double timeStep);
    // How far the body falls (or rises, when negative) in a frame this long.
    double fallThisFrame(double timeStep) const;
};
