// The game's entry and its one-time start-up: SDL, the window and its OpenGL context,
// the physics engine, the shader programs and the text renderer.
#include <GL/glew.h>
#include <SDL2/SDL.h>

#include <iostream>
#include <string>

#include "app/CameraProjection.h"
#include "app/ContactReportCallback.h"
#include "app/GameFlow.h"
#include "app/Globals.h"
#include "app/PhysXErrorCallback.h"
#include "physics/Cooking.h"
#include "physics/Foundation.h"
#include "physics/Physics.h"
#include "render/ShaderManager.h"
#include "render/TextRenderer.h"

namespace {

void CreateMainWindow() {
    Uint32 flags = SDL_WINDOW_OPENGL;
    if (windowSettings.windowMode == Fullscreen) {
        flags |= SDL_WINDOW_FULLSCREEN;
    } else if (windowSettings.windowMode != Windowed) {
        flags |= SDL_WINDOW_BORDERLESS;
    }
    mainWindow = SDL_CreateWindow(windowTitle.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                  windowSettings.width, windowSettings.height, flags);
    // SDL's reason says what was wrong (a size the display cannot take, no display at all).
    if (!mainWindow) {
        const std::string reason = SDL_GetError();
        FatalError(reason.empty() ? "SDL Window == Nullpointer" : "SDL Window == Nullpointer\n" + reason);
    }
    if (windowSettings.windowMode == Fullscreen) {
        // The first mode of display 0, at the configured refresh rate.
        SDL_DisplayMode mode = {};
        SDL_GetDisplayMode(0, 0, &mode);
        mode.refresh_rate = windowSettings.refreshRate;
        SDL_SetWindowDisplayMode(mainWindow, &mode);
    }
}

void CreateGlContext() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    if (!SDL_GL_CreateContext(mainWindow)) FatalError("glContext == Nullpointer");

    glewExperimental = GL_TRUE;
    const GLenum glStatus = glewInit();
    // Debian's GLEW reports a missing GLX display under EGL although every entry point loaded.
    const bool loaded = glStatus == GLEW_OK || (glStatus == GLEW_ERROR_NO_GLX_DISPLAY && glCreateShader);
    if (!loaded) FatalError("glStatus != GLEW_OK");
}

void CreatePhysics() {
    static service::PhysXErrorCallback errorCallback;
    foundation = phys::createFoundation(errorCallback);
    if (!foundation) FatalError("PxCreateFoundation failed!");
    physics = phys::createPhysics(foundation, phys::ToleranceScale());
    if (!physics) FatalError("PxCreatePhysics failed!");
    cooking = phys::createCooking(physics);
    if (!cooking) std::cout << "Cook has free today" << std::endl;
}

}  // namespace

int SDL_main(int argc, char* argv[]) {
    std::cout << "Starting quorvane...\n" << std::endl;
    InitSystems();
    ShowTextScreen("LOADING LEVEL " + std::to_string(currentLevel));
    SetupLevel(currentLevel);
    RunMainLoop();
    // Closed by the window manager: the window and its context are still there.
    if (mainWindow != nullptr) ReleaseWorld();
    return 0;
}

void InitSystems() {
    contactReportCallback = new ContactReportCallback();
    // Ctrl+C and SIGTERM end the game at once; SDL would turn them into a window close
    // request, which counts only in play.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_Init(SDL_INIT_EVERYTHING) != 0) {
        // One missing subsystem (no sound device, say) makes SDL undo them all; the game
        // needs only these.
        SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER);
    }
    // SDL switches text input on with its video; only the name entry wants it.
    SDL_StopTextInput();
    CreateMainWindow();
    std::cout << "SDL initialized\n" << std::endl;

    CreateGlContext();
    glViewport(0, 0, windowSettings.width, windowSettings.height);
    cameraProjection = CameraProjection(windowSettings.width, windowSettings.height);
    glEnable(GL_DEPTH_TEST);
    std::cout << "OpenGL initialized\n" << std::endl;

    CreatePhysics();
    shaderManager = new ShaderManager();
    TextRenderer* renderer = new TextRenderer();
    textRenderer = renderer;
}
