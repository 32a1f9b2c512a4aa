#include "WorldTestFiles.h"
#include "support/TestEnvironment.h"

#include "game/Frame.h"
#include "state/ProgramState.h"
#include "text/TokenReader.h"
#include "world/FrameContext.h"
#include "world/Object.h"
#include "world/ObjectFactory.h"
#include "world/World.h"
#include "world/WorldLoader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace worldtest;

namespace {

// Stand-ins for entity classes: each records its updates and destruction.
class StandIn : public Object {
public:
    StandIn(std::string kind, std::string label, std::vector<std::string>& log)
        : kind_(std::move(kind)),
          label_(std::move(label)),
          log_(log)
    {}
    ~StandIn() override { log_.push_back("destroy " + label_); }
    void update(const FrameContext&) override { log_.push_back("update " + label_); }
    const char* className() const override { return kind_.c_str(); }
    const std::string& label() const { return label_; }

private:
    std::string kind_;
    std::string label_;
    std::vector<std::string>& log_;
};

std::vector<std::string> labels(const std::vector<std::unique_ptr<Object>>& list)
{
    std::vector<std::string> out;
    for (const auto& o : list) out.push_back(static_cast<const StandIn&>(*o).label());
    return out;
}

}  // namespace

TEST(WorldObjects, SkyboxesGoToTheFrontInReverseOrderAndLightsApart)
{
    std::vector<std::string> log;
    World world;
    world.add(std::make_unique<StandIn>("Object", "ground", log), EntityRole::staticGeometry);
    world.add(std::make_unique<StandIn>("Skybox", "sky1", log), EntityRole::sky);
    world.add(std::make_unique<StandIn>("Light", "lamp", log), EntityRole::light);
    world.add(std::make_unique<StandIn>("Object", "spinner", log), EntityRole::moving);
    world.add(std::make_unique<StandIn>("Skybox", "sky2", log), EntityRole::sky);
    world.add(nullptr, EntityRole::scenery);

    EXPECT_EQ(labels(world.objects),
              (std::vector<std::string>{"sky2", "sky1", "ground", "spinner"}));
    EXPECT_EQ(labels(world.lights), (std::vector<std::string>{"lamp"}));
    EXPECT_TRUE(world.heightFields.empty());
}

TEST(WorldObjects, UpdateRunsObjectsInOrderNotLightsThenDriftsClouds)
{
    std::vector<std::string> log;
    World world;
    world.add(std::make_unique<StandIn>("Object", "a", log), EntityRole::scenery);
    world.add(std::make_unique<StandIn>("Light", "lamp", log), EntityRole::light);
    world.add(std::make_unique<StandIn>("Object", "b", log), EntityRole::scenery);

    FrameContext frame = frameContext(programState(), world, nullptr);
    frame.timeStep = 0.4;
    world.update(frame);
    frame.timeStep = 1.6;
    world.update(frame);
    EXPECT_EQ(log, (std::vector<std::string>{"update a", "update b", "update a", "update b"}));
    EXPECT_NEAR(world.cloudOffset.x, 0.4, 1e-12);
    EXPECT_NEAR(world.cloudOffset.y, 0.2, 1e-12);
    EXPECT_EQ(world.cloudOffset.z, 0.0);
}

TEST(WorldObjects, DestroyingAWorldReleasesObjectsThenLights)
{
    std::vector<std::string> log;
    {
        World world;
        world.add(std::make_unique<StandIn>("Light", "lamp", log), EntityRole::light);
        world.add(std::make_unique<StandIn>("Object", "a", log), EntityRole::scenery);
        world.add(std::make_unique<StandIn>("Object", "b", log), EntityRole::scenery);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"destroy a", "destroy b", "destroy lamp"}));
}

TEST(ObjectFactory, WorldspawnWithNoPolygonsDrawsNothing)
{
    World world;
    TokenReader in("worldspawn 0");
    auto object = readObject(in, world);
    ASSERT_TRUE(object);
    EXPECT_STREQ(object->className(), "Object");
    EXPECT_TRUE(object->polygons.empty());
    EXPECT_TRUE(in.atEnd());
}

TEST(ObjectFactory, ReadsPolygonsInFileOrder)
{
    World world;
    TokenReader in("worldspawn 2 " + polygonRecord("none", {0, 1, 0}, floorCorners(1)) +
                   polygonRecord("none", {0, 0, 1}, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}));
    auto object = readObject(in, world);
    ASSERT_TRUE(object);
    ASSERT_EQ(object->polygons.size(), 2u);
    EXPECT_EQ(object->polygons[0].vertices.size(), 4u);
    EXPECT_EQ(object->polygons[1].vertices.size(), 3u);
    EXPECT_EQ(object->polygons[1].normal, Vector3(0, 0, 1));
}

TEST(ObjectFactory, RefusalsLeaveTheReaderFailedAtTheKeyword)
{
    for (const char* text : {"skybox 0", "WorldSpawn 0", "Teapot 1 1 1 0 0 0 0", "",
                             "worldspawn -2", "worldspawn x"}) {
        SCOPED_TRACE(text);
        World world;
        TokenReader in(text);
        EXPECT_FALSE(readObject(in, world));
        EXPECT_FALSE(in.ok());
    }
}
