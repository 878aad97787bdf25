// Times the level set-up: starts the game's systems once (window, GL, physics, shaders,
// text) under the current X display, then builds every shipped level several times with
// SetupLevel. Prints per level the first set-up after start-up and the median and worst of
// the repeated ones, split into stages by the console lines the set-up prints, and the
// cost of its parts measured on their own (a model load, a smoke burst, the sky box, the
// shadow map). Run from the build folder: `DISPLAY=:N ./level_setup_bench [rounds]`.
#include <GL/glew.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <streambuf>
#include <string>
#include <vector>

#include "app/GameFlow.h"
#include "app/Globals.h"
#include "objects/GameObject.h"
#include "objects/Hex.h"
#include "objects/Matchfield.h"
#include "objects/ParticleObject.h"
#include "physics/TriangleMesh.h"
#include "render/Model.h"
#include "render/ShaderManager.h"
#include "render/ShadowMap.h"
#include "render/SkyBox.h"
#if __has_include("render/ModelCache.h")
#include "render/ModelCache.h"
#define QV_MODEL_CACHE 1
#endif
#if __has_include("render/LoadedModel.h")
#define QV_LENT_MODELS 1
#endif
// Matchfield::levelFilePath came with objects/ActorNames.h; older baselines lack both.
#if __has_include("objects/ActorNames.h")
#define QV_LEVEL_FILE_PATH 1
#endif

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Swallows the game's console output and notes when each line ends, so that the lines
// the set-up prints between its steps mark the stages.
class StampingBuffer : public std::streambuf {
public:
    struct Line {
        Clock::time_point at;
        std::string text;
    };
    std::vector<Line> lines;

protected:
    int overflow(int c) override {
        if (c == '\n') {
            lines.push_back({Clock::now(), current});
            current.clear();
        } else if (c != EOF) {
            current.push_back(static_cast<char>(c));
        }
        return c;
    }

private:
    std::string current;
};

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The stages of one set-up, in milliseconds.
struct Stages {
    double total = 0;
    double releaseAndScene = 0;  // previous level released, new scene made ("PhysX initialized")
    double objects = 0;          // character, tiles with their bursts, wall, platform, barrels, sky box
    double shadowMap = 0;        // from "Loaded SkyBox" to "Loaded ShadowMap"
    double rest = 0;             // score table, death zone, mouse
};

Stages TimeSetup(int level, StampingBuffer& out) {
    out.lines.clear();
    currentLevel = level;  // as the game sets it: from level 2 on the wall is built
    const Clock::time_point start = Clock::now();
    SetupLevel(level);
    glFinish();
    const Clock::time_point end = Clock::now();
    Clock::time_point scene = start, sky = start, shadow = start;
    for (const StampingBuffer::Line& line : out.lines) {
        // Other output may precede a marker on its line (the score file's note has no line end).
        if (EndsWith(line.text, "PhysX initialized")) scene = line.at;
        if (EndsWith(line.text, "Loaded SkyBox")) sky = line.at;
        if (EndsWith(line.text, "Loaded ShadowMap")) shadow = line.at;
    }
    auto ms = [](Clock::time_point a, Clock::time_point b) {
        return std::chrono::duration<double, std::milli>(b - a).count();
    };
    Stages s;
    s.total = ms(start, end);
    s.releaseAndScene = ms(start, scene);
    s.objects = ms(scene, sky);
    s.shadowMap = ms(sky, shadow);
    s.rest = ms(shadow, end);
    return s;
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

double Max(const std::vector<double>& v) {
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

long ResidentKb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

std::string LevelFile(int level) {
#if defined(QV_LEVEL_FILE_PATH)
    return object::Matchfield::levelFilePath(level);
#else
    return "./res/Levels/Level" + std::to_string(level) + ".txt";
#endif
}

int ShippedLevels() {
    int count = 0;
    while (std::ifstream(LevelFile(count + 1)).good()) ++count;
    return count;
}

// One model file loaded for one object the way the set-up does it; the object lets go of
// it again afterwards when it owns it.
double TimeModelLoad(const std::string& path) {
    object::GameObject owner("bench", shaderManager->complexShader, cameraProjection);
    const Clock::time_point start = Clock::now();
#if defined(QV_LENT_MODELS)
    owner.setModel(ModelCache::load(path, cooking, physics));
#elif defined(QV_MODEL_CACHE)
    owner.setMesh(ModelCache::load(path, &owner, cooking, physics));
#else
    owner.setMesh(Model(path).load(&owner, cooking, physics));
#endif
    glFinish();
    const double ms = MsSince(start);
#ifndef QV_MODEL_CACHE
    owner.mesh.release();
    if (owner.triangleMesh != nullptr) owner.triangleMesh->release();
#endif
    return ms;
}

double TimeBurst() {
    const Clock::time_point start = Clock::now();
    auto* burst = new object::ParticleObject("particlesystem", shaderManager->complexShader, cameraProjection,
                                             glm::mat4(1.0f), physics, cooking);
    glFinish();
    const double ms = MsSince(start);
    delete burst;
    return ms;
}

double TimeSkyBox() {
    const Clock::time_point start = Clock::now();
    auto* sky = new SkyBox("skybox", shaderManager->skyboxShader);
    sky->setup();
    glFinish();
    const double ms = MsSince(start);
    delete sky;
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(2, std::atoi(argv[1])) : 6;
    if (std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "level_setup_bench: needs an X display (Xvfb)\n");
        return 1;
    }
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    SDL_SetMainReady();

    StampingBuffer stamps;
    std::streambuf* console = std::cout.rdbuf(&stamps);
    const Clock::time_point systemsStart = Clock::now();
    InitSystems();
    glFinish();
    const double systemsMs = MsSince(systemsStart);
    const int levels = ShippedLevels();
    if (levels == 0) {
        std::cout.rdbuf(console);
        std::fprintf(stderr, "level_setup_bench: no res/Levels/Level1.txt; run it from the build folder\n");
        return 1;
    }

    // The first set-up after start-up, as the game does it, then every level once.
    const Stages startup = TimeSetup(1, stamps);
    std::vector<Stages> first(levels + 1);
    first[1] = startup;
    for (int level = 2; level <= levels; ++level) first[level] = TimeSetup(level, stamps);

    std::vector<std::vector<Stages>> repeated(levels + 1);
    std::vector<size_t> tiles(levels + 1);
    std::vector<long> rss;
    for (int round = 0; round < rounds; ++round) {
        for (int level = 1; level <= levels; ++level) {
            repeated[level].push_back(TimeSetup(level, stamps));
            tiles[level] = hexList.size();
        }
        malloc_trim(0);
        rss.push_back(ResidentKb());
    }

    // The parts on their own, with the last level still built.
    const std::vector<std::string> models = {"./res/Models/Character.obj", "./res/Models/spielfeld.obj",
                                             "./res/Models/Wall.obj",      "./res/Models/testQuader.obj",
                                             "./res/Models/Fass.obj",      "./res/Models/Smoke.obj"};
    std::map<std::string, std::vector<double>> modelMs;
    std::vector<double> burstMs, skyMs, shadowMs;
    for (int round = 0; round < rounds; ++round) {
        for (const std::string& path : models) modelMs[path].push_back(TimeModelLoad(path));
        for (int i = 0; i < 10; ++i) burstMs.push_back(TimeBurst());
        skyMs.push_back(TimeSkyBox());
        const Clock::time_point start = Clock::now();
        delete currentShadowMap;
        currentShadowMap = new service::ShadowMap();
        glFinish();
        shadowMs.push_back(MsSince(start));
    }
    std::cout.rdbuf(console);

    std::printf("start-up: systems %.1f ms, then level 1 %.1f ms, together %.1f ms\n", systemsMs, startup.total,
                systemsMs + startup.total);
    std::printf("level set-up, %d rounds after a first pass (ms)\n", rounds);
    std::printf("%-6s %6s %9s %9s %9s | %-34s | %s\n", "level", "tiles", "first", "median", "max",
                "median stages: scene objects shadow rest", "first-load stages");
    for (int level = 1; level <= levels; ++level) {
        std::vector<double> total, scene, objects, shadow, rest;
        for (const Stages& s : repeated[level]) {
            total.push_back(s.total);
            scene.push_back(s.releaseAndScene);
            objects.push_back(s.objects);
            shadow.push_back(s.shadowMap);
            rest.push_back(s.rest);
        }
        const Stages& f = first[level];
        std::printf("%-6d %6zu %9.1f %9.1f %9.1f | %7.1f %7.1f %7.1f %7.1f    | %.1f %.1f %.1f %.1f%s\n", level,
                    tiles[level], f.total, Median(total), Max(total), Median(scene), Median(objects), Median(shadow),
                    Median(rest), f.releaseAndScene, f.objects, f.shadowMap, f.rest,
                    level == 1 ? "  (start-up)" : "");
    }
    std::printf("parts on their own (median ms):\n");
    for (const std::string& path : models) {
        std::printf("  model load %-28s %7.2f\n", path.c_str(), Median(modelMs[path]));
    }
    std::printf("  smoke burst                            %7.2f\n", Median(burstMs));
    std::printf("  sky box                                %7.2f\n", Median(skyMs));
    std::printf("  shadow map                             %7.2f\n", Median(shadowMs));
    std::printf("RSS after each round (kB):");
    for (long kb : rss) std::printf(" %ld", kb);
    std::printf("\n");
    return 0;
}
