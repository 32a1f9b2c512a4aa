#include "game/Player.h"

#include "entities/ControllableObject.h"
#include "game/PlayerKeys.h"
#include "platform/Platform.h"
#include "state/Gravity.h"
#include "state/ProgramState.h"
#include "world/World.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>

namespace {

// Speeds are per unit of timeStep; distances are world units.
constexpr double keyAcceleration = 0.5;
constexpr double keyTurnDegrees = 5.0;
constexpr double topSpeed = 1.0;
constexpr double friction = 0.3;       // share of the speed lost per unit of timeStep
constexpr double stoppingSpeed = 0.3;  // slower than this (per timeStep) stands still
constexpr double maximumPitch = 90.0;

constexpr double headRoom = 0.8;         // the head point above the body position
constexpr double wallClearance = 1.2;    // kept between the head point and a wall
constexpr double groundClearance = 0.3;  // the body position rests this far above ground
constexpr double shortestStep = 0.00001;
constexpr double surfaceGap = 0.01;     // every stop keeps this much free space before a surface
constexpr double wallSlideAngle = 1.1;  // radians
constexpr double glancingFacing = 0.5;  // a step at 30 degrees or less to a wall glances off it
constexpr double groundSlideAngle = 1.0;
constexpr double groundSlideRadius = 0.1;
constexpr double restingSlide = 0.05;     // a ground slide shorter than this is standing
constexpr double slidingFallLimit = 3.0;  // per timeStep
constexpr double freeFallLimit = 6.0;     // per timeStep
constexpr double jumpSpeed = 1.0;         // upwards, per timeStep

constexpr double eyeHeight = 1.5;
constexpr double skeletonHeight = 1.2;  // the skeleton's origin above the body position
constexpr Vector3 thirdPersonOffset{0.0, 2.0, 4.0};
constexpr std::uint64_t rotatingCameraTurnMs = 6000;  // one turn, on the wall clock

// Arrow keys with Control move up, down and sideways, with Alt they tilt the
// body; plain Up and Down walk, plain Right and Left turn.
enum class Modifier { none, control, alt };

}  // namespace

void Player::placeAt(const Vector3& start) { placement = Placement::at(start); }

void Player::forgetWorld()
{
    vehicle = nullptr;
    rocket.reset();
}

void Player::rotateBody(const Vector3& anglesDegrees) { placement.rotate(anglesDegrees); }

void Player::translateBody(const Vector3& step) { placement.translate(step); }

void Player::recentreCursor(const WindowSize& window)
{
    platform::Platform& os = platform::current();
    os.warpCursor(window.width / 2, window.height / 2);
    // Read back: the system may not land the cursor exactly where asked.
    const platform::CursorPosition reference = os.cursorPosition();
    mouseReferenceX = reference.x;
    mouseReferenceY = reference.y;
}

void Player::setMouseCaptured(bool on, ProgramState& state)
{
    if (on == mouseCaptured) return;
    mouseCaptured = on;
    if (on) {
        recentreCursor(state.window);
        platform::current().setCursorVisible(false);
    } else {
        platform::current().setCursorVisible(true);
    }
}

void Player::lookWithMouse(const WindowSize& window)
{
    const platform::CursorPosition cursor = platform::current().cursorPosition();
    const int dx = mouseReferenceX - cursor.x;
    const int dy = cursor.y - mouseReferenceY;
    rotateBody({0.0, static_cast<double>(dx), 0.0});
    pitch = std::clamp(pitch - dy, -maximumPitch, maximumPitch);
    recentreCursor(window);
}

void Player::update(World& world, ProgramState& state)
{
    const double timeStep = state.clock.timeStep;
    const KeyState& keys = state.keys;
    const double push = keyAcceleration * timeStep;
    const double turn = keyTurnDegrees * timeStep;

    if (mouseCaptured) lookWithMouse(state.window);

    // The modifiers are read from the keyboard now, never from the key
    // table, which a release missed during a message box leaves stale.
    platform::Platform& os = platform::current();
    const Modifier modifier = os.isModifierDown(platform::ModifierKey::control) ? Modifier::control
                              : os.isModifierDown(platform::ModifierKey::alt)   ? Modifier::alt
                                                                                : Modifier::none;
    auto special = [&](int code) { return keys.isKeyDown(code, KeyState::specialTable); };
    if (special(playerKeys::up)) {
        if (modifier == Modifier::control) velocity.y += push;
        else if (modifier == Modifier::alt) rotateBody({turn, 0.0, 0.0});
        else velocity.z -= push;
    }
    if (special(playerKeys::down)) {
        if (modifier == Modifier::control) velocity.y -= push;
        else if (modifier == Modifier::alt) rotateBody({-turn, 0.0, 0.0});
        else velocity.z += push;
    }
    if (special(playerKeys::right)) {
        if (modifier == Modifier::control) velocity.x += push;
        else if (modifier == Modifier::alt) rotateBody({0.0, 0.0, -turn});
        else rotateBody({0.0, -turn, 0.0});
    }
    if (special(playerKeys::left)) {
        if (modifier == Modifier::control) velocity.x -= push;
        else if (modifier == Modifier::alt) rotateBody({0.0, 0.0, turn});
        else rotateBody({0.0, turn, 0.0});
    }

    auto character = [&](int code) { return keys.isKeyDown(code, KeyState::characterTable); };
    if (character(playerKeys::forward)) velocity.z -= push;
    if (character(playerKeys::backward)) velocity.z += push;
    if (character(playerKeys::strafeLeft)) velocity.x -= push;
    if (character(playerKeys::strafeRight)) velocity.x += push;

    // One jump per press: the key's entry is set again only by a new press.
    if (character(playerKeys::jump) && onGround) {
        fallSpeed = -jumpSpeed;
        state.keys.setKey(playerKeys::jump, false, KeyState::characterTable);
        onGround = false;
    }

    if (state.settings.leftButtonDown) fire(world, state);

    const double speed = velocity.length();
    if (speed < stoppingSpeed * timeStep) velocity = {};
    else if (speed > topSpeed) velocity /= speed;
    else velocity -= velocity * (friction * timeStep);

    Vector3 step = velocity * timeStep;
    if (state.settings.collision) {
        step = collide(world, step, state.settings.gravity, timeStep);
    }
    translateBody(step);

    // The vehicle being driven follows every move of the body.
    if (auto* driven = dynamic_cast<ControllableObject*>(vehicle)) {
        driven->placement = placement;
    }

    updateCamera(state);

    updateRocket(world, state);

    // On the wall clock, so the walk keeps its pace whatever the frame rate.
    if (skeleton) {
        const double wallSeconds = static_cast<double>(platform::current().milliseconds()) / 1000.0;
        skeleton->animate(wallSeconds);
    }

    // The world's vehicles and then the player have read the keys and the
    // button this frame.
    inputPolled(state);
}

namespace {

// Where a traced move ended, and whether something cut it short.
struct Stop {
    Vector3 point;
    bool blocked = false;
};

// Where a move from `from` towards `to` ends: at `to` when the way is clear
// by `clearance` beyond it, otherwise `clearance` short of what it meets,
// measured across that surface, and never behind `from`. Every point the
// collision hands on to the next probe comes from here (or from a probe
// that kept more distance), so no probe starts on or behind a surface it
// could hit: a segment that starts on a plane does not cross it.
Stop clearMove(const World& world, const Vector3& from, const Vector3& to,
               double clearance = surfaceGap)
{
    const Vector3 path = to - from;
    const double length = path.length();
    if (!(length >= shortestStep)) return {from, false};
    const Vector3 direction = path / length;
    const std::optional<TraceHit> hit = world.traceSegment(from, to + direction * clearance);
    if (!hit) return {to, false};
    // A glancing approach needs a longer way back to gain the clearance across.
    const double facing = std::fabs(hit->plane.normal().dot(direction));
    const double back = facing > surfaceGap ? clearance / facing : hit->distance;
    return {from + direction * std::clamp(hit->distance - back, 0.0, length), true};
}

}  // namespace

double Player::fallThisFrame(double timeStep) const
{
    // Standing or sliding, the probe reaches the fall speed's worth of one
    // frame below the feet, which keeps walking down slopes as it was.
    if (onGround) return fallSpeed * timeStep;
    // In the air the body follows one parabola whatever the frame lengths:
    // the frame's share of it from the speed at the frame's start. At
    // timeStep 1 this is the fall speed itself.
    if (fallSpeed >= freeFallLimit) return fallSpeed * timeStep;
    return fallSpeed * timeStep + 0.5 * gravityAcceleration * timeStep * (timeStep - 1.0);
}

Vector3 Player::collide(const World& world, const Vector3& step, bool gravity, double timeStep)
{
    const Vector3 body = placement.position();
    // A body direction turned into world coordinates.
    auto toWorld = [&](const Vector3& v) {
        return transformPoint(v, placement.transform()) - body;
    };

    // Head room: a low ceiling lowers the head point, which stays a gap
    // below it so the probes that start there still see it.
    const Vector3 up{0.0, 1.0, 0.0};
    const Stop headStop = clearMove(world, body, body + up * headRoom);
    const Vector3 headPoint = headStop.point;
    const bool ceiling = headStop.blocked;
    const double head = ceiling ? headPoint.y - body.y : headRoom;
    // The head met a ceiling: a jump stops rising instead of carrying the
    // body through it.
    if (ceiling && fallSpeed < 0.0) fallSpeed = 0.0;

    // Walls: the head point keeps its clearance and slides along what it meets.
    Vector3 moved = headPoint;
    const double length = step.length();
    if (length >= shortestStep) {
        const Vector3 direction = step / length;
        // Far enough to see a wall the clearance away across it, up to the
        // most glancing approach that is still held off by the full clearance.
        const Vector3 reach =
            headPoint + toWorld(direction * (length + wallClearance / glancingFacing));
        const Vector3 wanted = headPoint + toWorld(step);
        if (const std::optional<TraceHit> wall = world.traceSegment(headPoint, reach)) {
            // The clearance is measured across the wall, not along the step,
            // so a glancing step does not end on the wall's surface, where the
            // next probe would start on it and miss it. More glancing still,
            // the stop keeps twice the clearance along the step. Never past
            // the step; backwards when already too close, as far as the way
            // back is free (behind may be terrain or a floor).
            const double facing = std::fabs(wall->plane.normal().dot(toWorld(direction)));
            const double along =
                std::min(wall->distance - wallClearance / std::max(facing, glancingFacing), length);
            const Vector3 target = headPoint + toWorld(direction * along);
            const Vector3 clear = clearMove(world, headPoint, target).point;
            const Vector3 slide = slideMotion(clear, wanted, wall->plane.normal(), world,
                                              wallSlideAngle, wallClearance, true);
            // A slide nearer than its clearance to a surface points back,
            // away from it: traced like any other move.
            moved = clearMove(world, clear, clear + slide).point;
        } else {
            moved = wanted;
        }
    }

    // Ground: probe down from the head point to just below the feet, further
    // by this frame's fall when falling (shorter while jumping).
    Vector3 feet = moved;
    feet.y = moved.y - (head + groundClearance);
    if (gravity) feet.y -= fallThisFrame(timeStep);
    // Under a ceiling the body never rises past the head room found clear
    // above it, however long the frame; otherwise a slow frame's jump probes
    // up through the roof. In open air the jump rises as far as it is thrown.
    if (ceiling) feet.y = std::min(feet.y, moved.y - groundClearance);
    // Only a probe downwards looks for ground; a rise past the head point
    // meets ceilings, not floors to stand on.
    const std::optional<TraceHit> ground =
        feet.y < moved.y ? world.traceSegment(moved, feet) : std::nullopt;
    if (ground) {
        // Resting above the ground, but never lifted through something above.
        const Vector3 resting = clearMove(world, moved, ground->point + up * groundClearance).point;
        const Vector3 slide = slideMotion(resting, feet, ground->plane.normal(), world,
                                          groundSlideAngle, groundSlideRadius, false);
        feet = clearMove(world, resting, resting + slide).point;
        // On the ground the fall speed only sets how far below the feet the
        // next probe reaches, and grows per frame as it always has.
        if (slide.length() < restingSlide) {
            fallSpeed = gravityAcceleration;
        } else if (fallSpeed < slidingFallLimit) {
            fallSpeed += gravityAcceleration * 0.5;
        }
        onGround = true;
    } else {
        feet.y += groundClearance;
        if (feet.y > moved.y) {
            // Rising past the head point: the rise stops a gap below a ceiling.
            const Stop risen = clearMove(world, moved, feet);
            if (risen.blocked && fallSpeed < 0.0) fallSpeed = 0.0;
            feet = risen.point;
        }
        if (gravity && fallSpeed < freeFallLimit) fallSpeed += gravityAcceleration * timeStep;
        onGround = false;
    }

    // Back into body coordinates.
    return transformPoint(feet - body, placement.inverse()) -
           transformPoint(Vector3{}, placement.inverse());
}

void Player::setDown(const Vector3& step, const FrameContext& frame)
{
    if (frame.settings.collision) {
        // From the head point, where walking meets walls too.
        const Vector3 body = placement.position();
        const Vector3 head = clearMove(frame.world, body, body + Vector3{0.0, headRoom, 0.0}).point;
        const Vector3 way = transformPoint(step, placement.transform()) - body;
        const Stop stop = clearMove(frame.world, head, head + way, wallClearance);
        if (stop.blocked) {
            translateBody(transformPoint(stop.point - head, placement.inverse()) -
                          transformPoint(Vector3{}, placement.inverse()));
            return;
        }
    }
    translateBody(step);
}

void Player::updateCamera(ProgramState& state) const
{
    Placement& camera = state.camera.placement;
    camera = placement;

    auto offset = [&](const Vector3& v) { camera.translate(v); };
    switch (cameraMode) {
    case CameraMode::firstPerson: offset({0.0, eyeHeight, 0.0}); break;
    case CameraMode::rotatingThirdPerson: {
        // Wall-clock driven, so the turn rate does not depend on the frame
        // rate; whole milliseconds modulo a turn keep long runs exact.
        const std::uint64_t intoTurn = platform::current().milliseconds() % rotatingCameraTurnMs;
        const double angle = static_cast<double>(intoTurn) / 1000.0 * 60.0;
        camera.rotate({0.0, angle, 0.0});
        offset(thirdPersonOffset);
        break;
    }
    case CameraMode::thirdPerson: offset(thirdPersonOffset); break;
    default: break;
    }

    // The camera tilts about its own position; the body never pitches.
    camera.rotate({pitch, 0.0, 0.0});
}

void Player::draw(const FrameContext& frame) const
{
    if (rocket)
        rocket->draw(frame.settings.texturing ? DrawMode::textured : DrawMode::untextured, frame);
    if (skeleton && cameraMode != CameraMode::firstPerson) {
        glPushMatrix();
        glMultMatrixd(placement.transform().data());
        glTranslated(0.0, skeletonHeight, 0.0);
        skeleton->draw();
        glPopMatrix();
    }
}
