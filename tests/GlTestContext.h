// Shared test fixture: one hidden SDL window with an OpenGL 4.3 core context and GLEW
// loaded, made current once per test process and kept until exit.
// Use: `if (!EnsureGlContext()) GTEST_SKIP() << "no display";` at the top of a GL test.
#pragma once

#include <GL/glew.h>
#include <SDL2/SDL.h>
#include <cstdio>
#include <cstdlib>

// True when a current 4.3 core context exists; false (once, with a line on stderr) when
// there is no display or no such context.
inline bool EnsureGlContext() {
    static int state = 0;  // 0 untried, 1 ready, -1 failed
    if (state != 0) return state == 1;
    state = -1;
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "GlTestContext: DISPLAY not set\n");
        return false;
    }
    // Software GL gives the same results everywhere; a caller's own choice wins.
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "GlTestContext: SDL_Init: %s\n", SDL_GetError());
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_Window* window = SDL_CreateWindow("gl-test", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                          1280, 768, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window) {
        std::fprintf(stderr, "GlTestContext: window: %s\n", SDL_GetError());
        return false;
    }
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context || SDL_GL_MakeCurrent(window, context) != 0) {
        std::fprintf(stderr, "GlTestContext: context: %s\n", SDL_GetError());
        return false;
    }
    glewExperimental = GL_TRUE;
    const GLenum status = glewInit();
    // Debian's GLEW reports a missing GLX display under EGL although every entry point loaded.
#ifdef GLEW_ERROR_NO_GLX_DISPLAY
    const bool glewOk = status == GLEW_OK || status == GLEW_ERROR_NO_GLX_DISPLAY;
#else
    const bool glewOk = status == GLEW_OK;
#endif
    if (!glewOk || !glCreateShader) {
        std::fprintf(stderr, "GlTestContext: glewInit failed (%u)\n", status);
        return false;
    }
    while (glGetError() != GL_NO_ERROR) {
    }
    glViewport(0, 0, 1280, 768);
    state = 1;
    return true;
}
