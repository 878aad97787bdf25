// Definitions of the process-wide globals. They all live in this one file so that
// the ones built by code are constructed in a fixed order before main runs.
#include "app/Globals.h"

#include <glm/gtc/matrix_transform.hpp>
// Included before the globals: reading the settings below may print, before main.
#include <iostream>

#include "app/GameState.h"

// Plain values, constant-initialised.
int gameState = GameState::Intro;
int currentLevel = 1;
int totalScore = 0;
bool scorePending = false;
bool letsGo = false;
bool introCamera = true;
bool showScores = false;
bool showShadowMapDebug = false;
uint32_t lastTick = 0;
uint32_t currentTick = 0;
float deltaMs = 0.0f;
float levelClock = 0.0f;
glm::mat4 cameraProjection(0.0f);
glm::vec3 cameraPosition(0.0f, 0.0f, -7.0f);
const glm::vec3 cameraUp(0.0f, 1.0f, 0.0f);
float cameraPitch = 0.0f;
float cameraOffsetX = 0.0f, cameraOffsetY = 0.0f, cameraOffsetZ = 0.0f;
int32_t yawAccumulator = 0, pitchAccumulator = 0;
int32_t mouseX = 0, mouseY = 0;
int32_t previousMouseX = 0, previousMouseY = 0;
const float mouseSensitivity = 0.05f;
const SunLight globalSun = {
    glm::vec3(-2.0f, -2.0f, 0.0f),
    glm::vec3(0.8f, 0.8f, 0.8f),
    glm::vec3(1.2f, 1.2f, 1.2f),
    glm::vec3(4.0f, 4.0f, 4.0f),
};
// ortho(-140, 140, -140, 140, -40, 40), written out as data.
const glm::mat4 lightProjection(1.0f / 140.0f, 0.0f, 0.0f, 0.0f,
                                0.0f, 1.0f / 140.0f, 0.0f, 0.0f,
                                0.0f, 0.0f, -0.025f, 0.0f,
                                0.0f, 0.0f, 0.0f, 1.0f);
glm::mat4 textProjection(0.0f);
// Full-viewport triangle strip for the depth-map view: x, y, z, u, v.
const float shadowMapQuadVertices[20] = {
    -1.0f, 1.0f,  0.0f, 0.0f, 1.0f,
    -1.0f, -1.0f, 0.0f, 0.0f, 0.0f,
    1.0f,  1.0f,  0.0f, 1.0f, 1.0f,
    1.0f,  -1.0f, 0.0f, 1.0f, 0.0f,
};

SDL_Window* mainWindow = nullptr;
phys::Foundation* foundation = nullptr;
phys::Physics* physics = nullptr;
phys::Cooking* cooking = nullptr;
ShaderManager* shaderManager = nullptr;
TextRenderer* textRenderer = nullptr;
ContactReportCallback* contactReportCallback = nullptr;

phys::Scene* scene = nullptr;
phys::ControllerManager* controllerManager = nullptr;
object::Character* playerCharacter = nullptr;
object::Hex* hexPrototype = nullptr;
object::Matchfield* matchfield = nullptr;
object::Wall* wall = nullptr;
object::Platform* platform = nullptr;
object::Barrel* barrels[BarrelCount] = {};
phys::RigidStatic* deathZone = nullptr;
Model* currentModel = nullptr;
SkyBox* currentSkyBox = nullptr;
service::ShadowMap* currentShadowMap = nullptr;
SunLight* levelSun = nullptr;
ScoreTable* scoreTable = nullptr;

// Built by code, in this order (definition order within one file).
glm::mat4 viewMatrix(0.0f);
std::vector<object::GameObject*> renderList;
std::vector<object::Hex*> hexList;
Mesh emptyMesh;
std::string nameEntryLine = "Enter name:_";
WindowSettings windowSettings = ReadWindowSettings();
std::string windowTitle = "Quorvane Game";
std::map<char, Glyph> glyphTable;
glm::mat4 lightView = glm::lookAt(-globalSun.direction, glm::vec3(0.0f, 0.0f, 0.0f), glm::vec3(0.0f, 1.0f, 0.0f));
std::vector<std::string> levelFileLines;
std::string targetHexName;
std::string currentLevelLine;
std::mt19937 randomEngine;  // default seed 5489
WindowSettings scoreTableSettings = ReadWindowSettings();
std::ifstream scoreInputStream;
std::ofstream scoreOutputStream;
std::vector<Score> scoreList;
