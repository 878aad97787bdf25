// Builds one level's world from its level file, after releasing the world of the level
// before, so that any number of levels can be played with flat memory.
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include <GL/glew.h>
#include <SDL2/SDL.h>

#include "app/ContactReportCallback.h"
#include "app/GameFlow.h"
#include "app/Globals.h"
#include "app/ScoreTable.h"
#include "objects/ActorNames.h"
#include "objects/Barrel.h"
#include "objects/Character.h"
#include "objects/DeathZone.h"
#include "objects/Hex.h"
#include "objects/HexColor.h"
#include "objects/Matchfield.h"
#include "objects/ParticleObject.h"
#include "objects/Platform.h"
#include "objects/Wall.h"
#include "physics/ControllerManager.h"
#include "physics/Physics.h"
#include "physics/RigidDynamic.h"
#include "physics/RigidStatic.h"
#include "physics/Scene.h"
#include "physics/TriangleMesh.h"
#include "platform/ReadableFile.h"
#include "render/Model.h"
#include "render/ModelCache.h"
#include "render/ShaderManager.h"
#include "render/ShadowMap.h"
#include "render/SkyBox.h"

namespace {

const glm::vec3 SceneGravity(0.0f, -9.8f, 0.0f);
constexpr uint32_t SceneWorkerThreads = 1;
const glm::vec3 StartTilePosition(0.0f, 1.0f, -34.0f);
const glm::vec3 WallPosition(15.0f, 4.0f, 0.0f);
constexpr float WallMaterial = 1.0f;  // static friction, dynamic friction and restitution
constexpr float PlatformOffsetX = -40.0f;
const glm::vec3 PlatformPlace(0.0f, 0.0f, 5.0f);
const glm::vec3 FirstBarrelOffset(2.0f, 2.5f, -2.0f);

const char* const CharacterModel = "./res/Models/Character.obj";
const char* const StartTileModel = "./res/Models/spielfeld.obj";
const char* const SmokeModel = object::ParticleObject::ModelPath;  // every tile's burst
const char* const WallModel = "./res/Models/Wall.obj";
const char* const PlatformModel = "./res/Models/testQuader.obj";
const char* const BarrelModel = "./res/Models/Fass.obj";

// Each model file is read once per process: every object built from it, on this level
// and the next, is lent the same mesh, textures and collision mesh by the cache, which
// frees them in ReleaseWorld.
void LoadInto(object::GameObject* object, const char* path) {
    object->setModel(ModelCache::load(path, cooking, physics));
}

// Frees the previous level's world. The objects release their own actors (taking them out
// of the scene) and bursts and let go of their lent models; the start tile is deleted on its
// own, in or out of renderList. The scene then frees what is left in it: the death zone and
// the controller manager with its controller.
void ReleaseLevel() {
    for (object::GameObject* object : renderList) {
        if (object != hexPrototype) delete object;
    }
    delete hexPrototype;
    renderList.clear();
    hexList.clear();
    playerCharacter = nullptr;
    hexPrototype = nullptr;
    wall = nullptr;
    platform = nullptr;
    for (object::Barrel*& barrel : barrels) barrel = nullptr;

    scene->release();
    scene = nullptr;
    controllerManager = nullptr;
    deathZone = nullptr;

    delete levelSun;
    levelSun = nullptr;
    delete currentSkyBox;
    currentSkyBox = nullptr;
    delete currentShadowMap;
    currentShadowMap = nullptr;
    delete scoreTable;
    scoreTable = nullptr;
    delete currentModel;
    currentModel = nullptr;
}

void CreateScene() {
    phys::SceneDesc desc;
    desc.gravity = SceneGravity;
    desc.workerThreads = SceneWorkerThreads;
    desc.filterShader = contactReportFilterShader;
    desc.simulationEventCallback = contactReportCallback;
    scene = physics->createScene(desc);
    if (scene == nullptr) FatalError("failed to create Scene");
    std::cout << "PhysX initialized\n" << std::endl;
    controllerManager = phys::createControllerManager(scene);
}

void BuildCharacter() {
    playerCharacter = new object::Character("character", shaderManager->complexShader, cameraProjection);
    LoadInto(playerCharacter, CharacterModel);
    InitCharacterPhysics();
    scene->addActor(*playerCharacter->dynamicActor);
}

void BuildStartTile() {
    hexPrototype = new object::Hex("hex", shaderManager->complexShader, cameraProjection, emptyMesh);
    LoadInto(hexPrototype, StartTileModel);
    hexPrototype->init(physics, StartTilePosition, cooking);
    scene->addActor(*hexPrototype->staticActor);
    hexList.push_back(hexPrototype);
    hexPrototype->hexColor = HexColor::Visited;
    hexPrototype->isTarget = true;
}

void BuildField(int level, float tileWidth, float tileDepth) {
    try {
        matchfield = new object::Matchfield(level, tileWidth, tileDepth);
    } catch (const std::out_of_range&) {
        LevelLoadFallback(tileWidth, tileDepth);
    }
}

void BuildWall() {
    wall = new object::Wall(object::WallName, shaderManager->complexShader, cameraProjection);
    LoadInto(wall, WallModel);
    wall->material = physics->createMaterial(WallMaterial, WallMaterial, WallMaterial);
    wall->createActor(physics, ActorKind::StaticMesh);
    wall->staticActor->setGlobalPose(phys::Pose(WallPosition), true);
    wall->baseX = WallPosition.x;
    scene->addActor(*wall->staticActor);
    renderList.push_back(wall);
}

void BuildPlatformAndBarrels(float tileDepth) {
    platform = new object::Platform("right", shaderManager->complexShader, cameraProjection);
    LoadInto(platform, PlatformModel);
    platform->initPhysics(physics, phys::Pose(PlatformPlace + glm::vec3(tileDepth + PlatformOffsetX, 0.0f, 0.0f)));
    scene->addActor(*platform->staticActor);

    float width = 0.0f;
    float height = 0.0f;
    for (int index = 0; index < BarrelCount; ++index) {
        auto* barrel = new object::Barrel("b" + std::to_string(index + 1), shaderManager->complexShader,
                                          cameraProjection);
        barrels[index] = barrel;
        LoadInto(barrel, BarrelModel);
        if (index == 0) {
            const glm::vec3 platformPosition = platform->staticActor->getGlobalPose().p;
            barrel->initPhysics(physics, phys::Pose(platformPosition + FirstBarrelOffset));
            width = barrel->boundsMax.x - barrel->boundsMin.x;
            height = barrel->boundsMax.y - barrel->boundsMin.y;
        } else {
            const glm::vec3 first = barrels[0]->dynamicActor->getGlobalPose().p;
            barrel->initPhysics(physics, phys::Pose(PyramidPosition(index, first, width, height)));
        }
        scene->addActor(*barrel->dynamicActor);
    }
}

}  // namespace

// A failed load has already taken its tiles out of the scene and the lists again.
void LevelLoadFallback(float tileWidth, float tileDepth) {
    currentLevel = 1;
    try {
        matchfield = new object::Matchfield(1, tileWidth, tileDepth);
    } catch (const std::exception& error) {
        // Level 1 is where every failed load ends up: without it there is no game.
        const os::FileState state = os::ProbeFile(object::Matchfield::levelFilePath(1)).state;
        const char* const what = state == os::FileState::Missing      ? " is missing"
                                 : state == os::FileState::Unreadable ? " cannot be read"
                                                                      : " is not a valid level file";
        FatalError("Level file " + object::Matchfield::levelFilePath(1) + what);
    }
}

void ReleaseWorld() {
    if (scene != nullptr) ReleaseLevel();
    ModelCache::releaseAll();
    service::ShadowMap::releaseShared();
    // The software driver can hang tearing its context down while its threads still work
    // (the last level's depth clear, say): let them finish first.
    glFinish();
}

void SetupLevel(int level) {
    // Files not read yet (all of them at start-up) are read on a second thread while this
    // one takes the shadow map's 100 MB: both mostly wait for fresh memory.
    std::vector<std::string> models = {CharacterModel, StartTileModel, SmokeModel, PlatformModel, BarrelModel};
    if (currentLevel >= 2) models.push_back(WallModel);  // as the wall is built below
    ModelCache::importAhead(models);
    service::ShadowMap::makeShared();
    if (scene != nullptr) ReleaseLevel();
    CreateScene();

    renderList.clear();
    hexList.clear();
    levelSun = new SunLight(globalSun);

    BuildCharacter();
    BuildStartTile();

    const float tileWidth = hexPrototype->boundsMax.x - hexPrototype->boundsMin.x;
    const float tileDepth = hexPrototype->boundsMax.z - hexPrototype->boundsMin.z;
    BuildField(level, tileWidth, tileDepth);

    if (currentLevel >= 2) {
        BuildWall();
    } else {
        wall = nullptr;
    }
    playerCharacter->targetCount = matchfield->targetCount;

    BuildPlatformAndBarrels(tileDepth);
    // Every model is loaded: the reading thread ends before the sky box's images are read.
    ModelCache::endReadAhead();

    currentSkyBox = new SkyBox("skybox", shaderManager->skyboxShader);
    currentSkyBox->setup();

    renderList.push_back(platform);
    renderList.push_back(hexPrototype);
    renderList.push_back(playerCharacter);
    for (object::Barrel* barrel : barrels) renderList.push_back(barrel);

    currentShadowMap = new service::ShadowMap();
    scoreTable = new ScoreTable();
    // The scene's release frees it with its shape and material.
    deathZone = object::CreateDeathZone(*physics);
    scene->addActor(*deathZone);

    levelClock = 0.0f;
    // A "LET'S GO" left over from the level before would skip this level's intro.
    letsGo = false;
    lastTick = SDL_GetTicks();
    if (mainWindow != nullptr) {
        SDL_WarpMouseInWindow(mainWindow, windowSettings.width / 2, windowSettings.height / 2);
    }
    SDL_ShowCursor(0);
    SDL_CaptureMouse(SDL_TRUE);
    introCamera = true;

    delete matchfield;
    matchfield = nullptr;
}
