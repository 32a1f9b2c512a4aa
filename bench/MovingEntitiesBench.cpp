// One world update of the canyon with 50 roaming drones and 8 lights, with
// dynamic lighting on: every drone vertex relit (a trace per light in range)
// every frame. The figure to watch is the time per frame.

#include "content/Canyon.h"
#include "content/CanyonShape.h"
#include "content/ContentGenerator.h"
#include "content/Drone.h"
#include "entities/Light.h"
#include "entities/RobotDrone.h"
#include "state/ProgramState.h"
#include "textures/NullTextureDevice.h"
#include "world/FrameContext.h"
#include "world/World.h"
#include "world/WorldLoader.h"

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstring>
#include <filesystem>
#include <sstream>

namespace {

constexpr int droneCount = 50;
constexpr int lightCount = 8;

namespace fs = std::filesystem;

// The generated content in a folder of this process's own (benchmarks of
// two checkouts may run at once on one machine), removed once read.
class GeneratedContent {
public:
    GeneratedContent()
        : root_(fs::temp_directory_path() / ("engine-bench-moving-" + std::to_string(::getpid())))
    {
        std::ostringstream report, errors;
        made_ = tools::generateContent(root_.string(), report, errors);
    }
    ~GeneratedContent()
    {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    GeneratedContent(const GeneratedContent&) = delete;
    GeneratedContent& operator=(const GeneratedContent&) = delete;

    bool made() const { return made_; }
    const fs::path& root() const { return root_; }

private:
    fs::path root_;
    bool made_ = false;
};

// The generated canyon with drones and lights added to this copy.
std::unique_ptr<World> crowdedCanyon()
{
    const GeneratedContent content;
    if (!content.made()) return nullptr;
    const fs::path& root = content.root();
    const fs::path previous = fs::current_path();
    fs::current_path(root / "Bin");
    std::unique_ptr<World> world = loadWorld(defaultWorldPath, false);
    fs::current_path(previous);
    if (!world) return nullptr;

    int drones = 0;
    for (Object* object : world->movingObjects)
        drones += std::strcmp(object->className(), "RobotDrone") == 0;
    const std::vector<tools::DrawnPolygon> mesh = tools::droneMesh();
    fs::current_path(root / "Bin");
    for (int i = 0; drones < droneCount; ++i, ++drones) {
        const double z = -135.0 + 270.0 * (i + 0.5) / droneCount;
        const double x = tools::canyon::centreX(z) + ((i % 3) - 1) * 7.0;
        const std::optional<TraceHit> ground = world->traceSegment({x, 100, z}, {x, -100, z});
        const double y = (ground ? ground->point.y : 0.0) + tools::droneHover;
        const std::string block = tools::movingObjectBlock("RobotDrone", {x, y, z}, "drone", mesh);
        TokenReader in(block.substr(block.find('\n') + 1));
        world->add(readRobotDrone(in, *world), EntityRole::moving);
    }
    fs::current_path(previous);
    for (int i = 0; i < lightCount; ++i) {
        auto light = std::make_unique<Light>();
        const double z = -140.0 + 280.0 * (i + 0.5) / lightCount;
        light->position = {tools::canyon::centreX(z), 8.0, z};
        light->red = 1.0;
        light->green = 0.8;
        light->blue = 0.6;
        light->range = 30.0;
        world->add(std::move(light), EntityRole::light);
    }
    return world;
}

void BM_CanyonWorldUpdateWithDroneLighting(benchmark::State& bench)
{
    // No GL context here: texture names are counted, nothing is uploaded.
    NullTextureDevice device(NullTextureDevice::History::countsOnly);
    installTextureDevice(&device);
    std::unique_ptr<World> world = crowdedCanyon();
    if (!world) {
        bench.SkipWithError("the canyon could not be generated and loaded");
        installTextureDevice(nullptr);
        return;
    }
    ProgramState& state = programState();
    state.settings.dynamicLighting = true;
    const FrameContext frame{.timeStep = 0.4,
                             .frameMilliseconds = 25,
                             .wallMilliseconds = 0,
                             .settings = state.settings,
                             .camera = state.camera,
                             .keys = state.keys,
                             .world = *world,
                             .rider = nullptr};
    std::size_t vertices = 0;
    for (Object* object : world->movingObjects)
        for (const Polygon& p : object->polygons) vertices += p.vertices.size();
    for (auto _ : bench) world->update(frame);
    bench.counters["drones"] = droneCount;
    bench.counters["lights"] = static_cast<double>(world->lights.size());
    bench.counters["vertices"] = static_cast<double>(vertices);
    installTextureDevice(nullptr);
}
BENCHMARK(BM_CanyonWorldUpdateWithDroneLighting)->Unit(benchmark::kMillisecond);

}  // namespace
