// The process-wide state shared by the game flow, the scene objects and the
// rendering services. Defined in Globals.cpp, built before main runs.
#pragma once

#include <SDL2/SDL.h>
#include <cstdint>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "app/Score.h"
#include "app/SunLight.h"
#include "app/WindowSettings.h"
#include "render/Glyph.h"
#include "render/Mesh.h"

namespace object {
class GameObject;
class Hex;
class Character;
class Matchfield;
class Wall;
class Platform;
class Barrel;
}  // namespace object
namespace service {
class ShadowMap;
}
namespace phys {
class Foundation;
class Physics;
class Cooking;
class Scene;
class ControllerManager;
class RigidStatic;
}  // namespace phys
class ContactReportCallback;
class ShaderManager;
class TextRenderer;
class SkyBox;
class Model;
class ScoreTable;

constexpr int BarrelCount = 15;

extern int gameState;
extern int currentLevel;
extern int totalScore;
extern bool scorePending;
extern bool letsGo;
extern bool introCamera;
extern bool showScores;
extern bool showShadowMapDebug;
extern uint32_t lastTick;
extern uint32_t currentTick;
extern float deltaMs;
extern float levelClock;
extern glm::mat4 cameraProjection;
extern glm::mat4 viewMatrix;
extern glm::vec3 cameraPosition;
extern const glm::vec3 cameraUp;
extern float cameraPitch;
extern float cameraOffsetX, cameraOffsetY, cameraOffsetZ;
extern int32_t yawAccumulator, pitchAccumulator;
extern int32_t mouseX, mouseY;
extern int32_t previousMouseX, previousMouseY;
extern const float mouseSensitivity;
extern std::string nameEntryLine;
extern std::string windowTitle;
extern WindowSettings windowSettings;
extern WindowSettings scoreTableSettings;
extern const SunLight globalSun;
extern glm::mat4 lightView;
extern const glm::mat4 lightProjection;
extern glm::mat4 textProjection;
extern const float shadowMapQuadVertices[20];
extern std::vector<object::GameObject*> renderList;
extern std::vector<object::Hex*> hexList;
extern Mesh emptyMesh;
extern std::map<char, Glyph> glyphTable;
extern std::vector<std::string> levelFileLines;
extern std::string targetHexName;
extern std::string currentLevelLine;
extern std::mt19937 randomEngine;
extern std::vector<Score> scoreList;
extern std::ifstream scoreInputStream;
extern std::ofstream scoreOutputStream;

// Created once by InitSystems.
extern SDL_Window* mainWindow;
extern phys::Foundation* foundation;
extern phys::Physics* physics;
extern phys::Cooking* cooking;
extern ShaderManager* shaderManager;
extern TextRenderer* textRenderer;
extern ContactReportCallback* contactReportCallback;

// Replaced by every SetupLevel.
extern phys::Scene* scene;
extern phys::ControllerManager* controllerManager;
extern object::Character* playerCharacter;
extern object::Hex* hexPrototype;
extern object::Matchfield* matchfield;
extern object::Wall* wall;
extern object::Platform* platform;
extern object::Barrel* barrels[BarrelCount];
extern phys::RigidStatic* deathZone;
extern Model* currentModel;
extern SkyBox* currentSkyBox;
extern service::ShadowMap* currentShadowMap;
extern SunLight* levelSun;
extern ScoreTable* scoreTable;
