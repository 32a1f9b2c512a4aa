#include "game/GameSounds.h"

#include "entities/RobotDrone.h"
#include "entities/Rocket.h"
#include "game/Player.h"
#include "state/ProgramState.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Levels and reaches, in world units (about a metre): the burst carries
// down the canyon, a drone's hum is heard a few strides off.
PlaySettings at(const Vector3& position, double gain, double full, double silent, bool loop = false)
{
    PlaySettings s;
    s.position = position;
    s.gain = gain;
    s.fullVolumeDistance = full;
    s.silentDistance = silent;
    s.loop = loop;
    return s;
}

}  // namespace

void GameSounds::attach(World& world)
{
    detach();
    SoundCache& cache = world.sounds;
    cache_ = &cache;
    launch_ = cache.findOrLoad(soundFile::rocketLaunch);
    flight_ = cache.findOrLoad(soundFile::rocketFlight);
    burst_ = cache.findOrLoad(soundFile::burst);
    droneHum_ = cache.findOrLoad(soundFile::droneHum);
    droneBack_ = cache.findOrLoad(soundFile::droneBack);
    footstep_ = cache.findOrLoad(soundFile::footstep);
    jump_ = cache.findOrLoad(soundFile::jump);
    land_ = cache.findOrLoad(soundFile::land);
    engine_ = cache.findOrLoad(soundFile::engine);
    board_ = cache.findOrLoad(soundFile::board);
    leave_ = cache.findOrLoad(soundFile::leave);
    tick_ = cache.findOrLoad(soundFile::tick);
    flightVoice_ = cache.voice();
    engineVoice_ = cache.voice();
    for (Voice& v : oneShots_) v = cache.voice();

    // The class name promises the type.
    for (Object* object : world.movingObjects) {
        if (std::strcmp(object->className(), "RobotDrone") != 0) continue;
        const auto* drone = static_cast<const RobotDrone*>(object);
        drones_.push_back({drone, cache.voice(), drone->state});
        if (drone->state == RobotDrone::Active)
            cache.play(drones_.back().hum, droneHum_, at(drone->position(), 0.55, 2.0, 28.0, true));
    }
}

void GameSounds::detach()
{
    cache_ = nullptr;
    drones_.clear();
    rocketState_ = Rocket::Ready;
    vehicle_ = nullptr;
    wasOnGround_ = true;
    airborneMilliseconds_ = 0;
    stepDistance_ = 0.0;
}

void GameSounds::playOnce(Sound sound, const PlaySettings& settings)
{
    cache_->play(oneShots_[nextOneShot_], sound, settings);
    nextOneShot_ = (nextOneShot_ + 1) % oneShots_.size();
}

void GameSounds::playHere(Sound sound, double gain, double pitch)
{
    PlaySettings s;
    s.relative = true;
    s.gain = gain;
    s.pitch = pitch;
    playOnce(sound, s);
}

void GameSounds::update(const Player& player, const ProgramState& state)
{
    // A press seen with no world attached is not heard later.
    const unsigned presses = state.settings.togglePresses;
    const bool toggled = presses != togglePresses_;
    togglePresses_ = presses;
    if (!cache_) return;
    SoundCache& cache = *cache_;
    if (toggled) playHere(tick_, 0.5);

    // The rocket: the launch where it leaves, its flight following it, the
    // burst where it strikes.
    const Rocket* rocket = player.rocket.get();
    const int rocketState = rocket ? rocket->state : Rocket::Ready;
    if (rocketState != rocketState_) {
        if (rocketState == Rocket::Flying) {
            playOnce(launch_, at(rocket->position(), 1.0, 3.0, 60.0));
            cache.play(flightVoice_, flight_, at(rocket->position(), 0.6, 2.0, 50.0, true));
        } else {
            cache.stop(flightVoice_);
            if (rocketState == Rocket::Exploded)
                playOnce(burst_, at(rocket->position(), 1.0, 10.0, 150.0));
        }
        rocketState_ = rocketState;
    }
    if (rocketState == Rocket::Flying) cache.move(flightVoice_, rocket->position());

    // The drones hum while they fly; one coming back says so.
    for (Drone& d : drones_) {
        if (d.drone->state != d.state) {
            d.state = d.drone->state;
            if (d.state == RobotDrone::Active) {
                playOnce(droneBack_, at(d.drone->position(), 0.9, 3.0, 45.0));
                cache.play(d.hum, droneHum_, at(d.drone->position(), 0.55, 2.0, 28.0, true));
            } else {
                cache.stop(d.hum);
            }
        }
        if (d.state == RobotDrone::Active) cache.move(d.hum, d.drone->position());
    }

    // The vehicle: a thunk aboard, the engine while driven, its pitch
    // following the speed.
    const double speed = std::hypot(player.velocity.x, player.velocity.z);
    if (player.vehicle != vehicle_) {
        if (player.vehicle) {
            playHere(board_, 0.8);
            PlaySettings engine = at({}, 0.55, 4.0, 40.0, true);
            engine.relative = true;
            cache.play(engineVoice_, engine_, engine);
        } else {
            playHere(leave_, 0.8);
            cache.stop(engineVoice_);
        }
        vehicle_ = player.vehicle;
    }
    if (vehicle_) cache.setPitch(engineVoice_, 0.75 + 0.65 * std::min(speed, 1.0));

    // On foot: a jump, a landing after a real flight, and footsteps by the
    // distance walked on the ground.
    const bool onGround = player.onGround;
    if (!vehicle_) {
        if (wasOnGround_ && !onGround && player.fallSpeed < 0.0) playHere(jump_, 0.7);
        if (onGround && !wasOnGround_ && airborneMilliseconds_ >= landingAfterMilliseconds)
            playHere(land_, 0.8);
        if (onGround && speed > 0.0) {
            stepDistance_ += speed * state.clock.timeStep;
            if (stepDistance_ >= footstepStride) {
                stepDistance_ -= footstepStride;
                // Left and right feet a little apart in pitch.
                playHere(footstep_, 0.5, steps_++ % 2 == 0 ? 0.96 : 1.04);
            }
        } else if (onGround) {
            // Standing: the first step comes soon after walking starts.
            stepDistance_ = footstepStride * 0.7;
        }
    }
    airborneMilliseconds_ = onGround ? 0 : airborneMilliseconds_ + state.clock.frameMilliseconds;
    wasOnGround_ = onGround;
}

Listener listenerAt(const Camera& camera, bool soundOn)
{
    const Matrix4& m = camera.placement.transform();
    Listener l;
    l.position = camera.placement.position();
    l.forward = transformPoint({0.0, 0.0, -1.0}, m) - l.position;
    l.up = transformPoint({0.0, 1.0, 0.0}, m) - l.position;
    l.gain = soundOn ? 1.0 : 0.0;
    return l;
}
