// Building a level's GL resources over and over must not grow the process: every sky box
// and object made for a level is freed with it, while the models and the shadow map's
// target, made once and shared by every level, are not made again.
#include <gtest/gtest.h>

#include <FreeImage.h>
#include <malloc.h>
#include <filesystem>
#include <iostream>
#include <memory>
#include <set>

#include "GlTestContext.h"
#include "RenderTestSupport.h"
#include "TestSupport.h"
#include "objects/GameObject.h"
#include "render/ModelCache.h"
#include "render/ShaderManager.h"
#include "render/ShadowMap.h"
#include "render/SkyBox.h"

namespace fs = std::filesystem;

namespace {

constexpr int Levels = 50;
constexpr long AllowedGrowthKb = 8 * 1024;

// The game's six models when they are staged, otherwise the test models twice over.
std::vector<std::string> ModelPaths() {
    const std::string cwd = fs::current_path().string();
    std::vector<std::string> paths;
    for (const char* name : {"Character.obj", "spielfeld.obj", "Wall.obj", "testQuader.obj", "Fass.obj", "Smoke.obj"}) {
        paths.push_back(cwd + "/res/Models/" + name);
    }
    for (const std::string& path : paths) {
        if (!fs::exists(path)) {
            const std::string data = rendertest::DataDir();
            return {data + "/layered.obj", data + "/bare.obj", data + "/textured.ply",
                    data + "/layered.obj", data + "/bare.obj", data + "/textured.ply"};
        }
    }
    return paths;
}

// Sky faces of a realistic size, for when the game's own are not staged.
void WriteSkyFaces(const std::string& dir) {
    const std::string folder = dir + "/res/skybox/ltblue/";
    fs::create_directories(folder);
    for (const char* name : {"left.png", "right.png", "top.png", "bot.png", "back.png", "front.png"}) {
        FIBITMAP* image = FreeImage_Allocate(512, 512, 24);
        FreeImage_Save(FIF_PNG, image, (folder + name).c_str(), 0);
        FreeImage_Unload(image);
    }
}

struct Level {
    std::vector<std::unique_ptr<object::GameObject>> objects;
    std::unique_ptr<SkyBox> sky;
    std::unique_ptr<service::ShadowMap> shadowMap;
};

// What is still in use: the driver lets go of the last drawn framebuffer only when it draws
// to another one, and freed heap pages go back to the system first.
long LiveKb() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClear(GL_DEPTH_BUFFER_BIT);
    glFinish();
    malloc_trim(0);
    return rendertest::ResidentKb();
}

// Returns the process size while the level is alive.
long BuildDrawRelease(const std::vector<std::string>& models, ShaderManager& shaders,
                      rendertest::RecordingCooking& cooking) {
    Level level;
    std::vector<object::GameObject*> renderList;
    for (const std::string& path : models) {
        level.objects.emplace_back(new object::GameObject());
        object::GameObject* object = level.objects.back().get();
        object->setModel(ModelCache::load(path, &cooking, nullptr));
        renderList.push_back(object);
    }
    level.sky.reset(new SkyBox("skybox", shaders.skyboxShader));
    level.sky->setup();
    level.shadowMap.reset(new service::ShadowMap());
    level.shadowMap->render(renderList, shaders.shadowMapShader);
    const long alive = LiveKb();
    level = Level();
    glFinish();
    return alive;
}

}  // namespace

TEST(ResourceMemory, FiftyLevelBuildsKeepTheProcessSize) {
    if (!EnsureGlContext()) GTEST_SKIP() << "no display";
    if (testsupport::MemoryFiguresAreSkewed()) GTEST_SKIP() << "resident size means nothing under a sanitizer";
    testing::internal::CaptureStdout();
    ShaderManager shaders;
    testing::internal::GetCapturedStdout();
    const std::vector<std::string> models = ModelPaths();

    rendertest::TempDir temp;
    const bool ownSky = !fs::exists("./res/skybox/ltblue/left.png");
    if (ownSky) WriteSkyFaces(temp.path());
    rendertest::ScopedChdir cd(ownSky ? temp.path() : fs::current_path().string());
    rendertest::RecordingCooking cooking;

    // From nothing shared, so that the first build shows what sharing keeps.
    ModelCache::releaseAll();
    service::ShadowMap::releaseShared();
    testing::internal::CaptureStdout();
    const long initial = LiveKb();
    const long alive = BuildDrawRelease(models, shaders, cooking);
    BuildDrawRelease(models, shaders, cooking);
    const long before = LiveKb();
    for (int level = 0; level < Levels; ++level) BuildDrawRelease(models, shaders, cooking);
    const long after = LiveKb();
    const std::string printed = testing::internal::GetCapturedStdout();

    EXPECT_EQ(printed.find("failed to load"), std::string::npos) << printed.substr(0, 300);
    std::cout << "RSS over " << Levels << " level builds (" << models[0] << " ...): " << before << " kB -> " << after
              << " kB, growth " << (after - before) << " kB; the first level alive adds " << (alive - initial)
              << " kB" << std::endl;
    RecordProperty("rss_growth_kb", static_cast<int>(after - before));
    EXPECT_LT(after - before, AllowedGrowthKb);
    // The 100 MB depth map is made by the first build only.
    EXPECT_GT(alive - initial, 10 * AllowedGrowthKb) << "the measure must see the shared resources at all";
    EXPECT_EQ(ModelCache::size(), std::set<std::string>(models.begin(), models.end()).size())
        << "each model file loaded once over all builds";
    ModelCache::releaseAll();
    service::ShadowMap::releaseShared();
}
