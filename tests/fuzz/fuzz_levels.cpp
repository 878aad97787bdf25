// Fuzzes the level loader on the real tile model: any level file either loads within the
// tile bound, with the target count of its lines, or fails with std::out_of_range and
// leaves nothing behind; no other exception, and no input takes long to refuse.
// Needs a display (software GL) and the staged res/Models/: run it from the build folder.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include "FuzzDriver.h"
#include "GlTestContext.h"
#include "app/Globals.h"
#include "objects/Hex.h"
#include "objects/Matchfield.h"
#include "physics/Cooking.h"
#include "physics/ErrorCallback.h"
#include "physics/Foundation.h"
#include "physics/Physics.h"
#include "physics/RigidStatic.h"
#include "physics/Scene.h"
#include "render/Model.h"

namespace {

constexpr size_t MaxTiles = 1000;  // the loader's bound
std::filesystem::path folder;
float tileWidth = 0.0f;
float tileDepth = 0.0f;

class QuietErrors : public phys::ErrorCallback {
public:
    void reportError(phys::ErrorCode, const char*, const char*, int) override {}
};

// Lines as the loader counts them: a last line without a line end counts, a carriage
// return before the line feed is no part of a line.
size_t CountLines(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    size_t lines = 0;
    while (std::getline(in, line)) ++lines;
    return lines;
}

void DropTiles() {
    for (object::GameObject* tile : renderList) delete tile;
    renderList.clear();
    hexList.assign(1, hexPrototype);
}

void RunOne(const std::string& input) {
    // Odd first bytes load as level 3, which has a goal tile; others as level 7.
    const int level = (!input.empty() && (input[0] & 1)) ? 3 : 7;
    {
        std::ofstream file(folder / "res" / "Levels" / ("Level" + std::to_string(level) + ".txt"),
                           std::ios::binary | std::ios::trunc);
        file << input;
    }
    std::ostringstream printed;
    std::streambuf* console = std::cout.rdbuf(printed.rdbuf());
    const auto start = std::chrono::steady_clock::now();
    try {
        object::Matchfield field(level, tileWidth, tileDepth);
        if (renderList.size() > MaxTiles) fuzz::Fail("levels", input, "more tiles than the bound");
        if (hexList.size() != renderList.size() + 1) fuzz::Fail("levels", input, "renderList and hexList differ");
        if (scene->getNbActors() != renderList.size() + 1) fuzz::Fail("levels", input, "a tile without its actor");
        if (field.targetCount != static_cast<int32_t>(CountLines(input)) - 4) {
            fuzz::Fail("levels", input, "the target count is not the lines from the fifth on");
        }
    } catch (const std::out_of_range&) {
        if (!renderList.empty() || hexList.size() != 1 || scene->getNbActors() != 1) {
            fuzz::Fail("levels", input, "a failed load left tiles behind");
        }
        // A level refused for its size is refused before any tile is made.
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const bool tooLarge = printed.str().find(" not loaded: asks for") != std::string::npos ||
                              printed.str().find(" not loaded: has more than") != std::string::npos;
        if (tooLarge && seconds > 1.0) fuzz::Fail("levels", input, "a refusal for size took more than a second");
    }
    std::cout.rdbuf(console);
    if (!levelFileLines.empty()) fuzz::Fail("levels", input, "levelFileLines not emptied");
    DropTiles();
    if (scene->getNbActors() != 1) fuzz::Fail("levels", input, "dropped tiles stayed in the scene");
}

std::string ReadShipped(int level) {
    std::ifstream in(object::Matchfield::levelFilePath(level), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

fuzz::Harness fuzz::MakeHarness() {
    static QuietErrors errors;
    if (!EnsureGlContext()) {
        std::fprintf(stderr, "fuzz_levels needs a display\n");
        std::exit(2);
    }
    foundation = phys::createFoundation(errors);
    physics = phys::createPhysics(foundation);
    cooking = phys::createCooking(physics);
    phys::SceneDesc desc;
    desc.gravity = glm::vec3(0.0f, -9.8f, 0.0f);
    desc.workerThreads = 1;
    scene = physics->createScene(desc);

    std::vector<std::string> seeds;
    for (int level = 1; level <= 9; ++level) {
        const std::string text = ReadShipped(level);
        if (!text.empty()) seeds.push_back(text);
    }
    seeds.push_back("3\n3\n1\n\n101\nm9\n");
    seeds.push_back("2\n3\n2\nheader\n121\n100\n");

    // Tiles are clones of the start tile on the real model, as in the game.
    hexPrototype = new object::Hex("hex", nullptr, glm::mat4(1.0f), emptyMesh);
    hexPrototype->setModel(Model("./res/Models/spielfeld.obj").load(cooking, physics));
    hexPrototype->init(physics, glm::vec3(0.0f, 1.0f, -34.0f), cooking);
    scene->addActor(*hexPrototype->staticActor);
    hexList.assign(1, hexPrototype);
    tileWidth = hexPrototype->boundsMax.x - hexPrototype->boundsMin.x;
    tileDepth = hexPrototype->boundsMax.z - hexPrototype->boundsMin.z;

    folder = fuzz::ScratchRoot() + "qv-fuzz-levels-" + std::to_string(getpid());
    std::filesystem::create_directories(folder / "res" / "Levels");
    std::filesystem::create_symlink(std::filesystem::absolute("./res/Models"), folder / "res" / "Models");
    std::filesystem::current_path(folder);
    fuzz::RemoveAtExit(folder);
    return {"levels",
            seeds,
            {"\n", "\r\n", "m", "m-", " ", "-", "+", "0", "1", "9", "10", "100", "1000", "1001", "2147483647",
             "2147483648", "-2147483648", "99999999999", "x"},
            512,
            RunOne};
}
