// The six GL programs of the game, built once at start-up in slot order from
// "./res/Shader/" and kept for the whole run (the Shaders are never deleted).
#pragma once

class Shader;

class ShaderManager {
public:
    Shader* complexShader;         // lit scene and smoke bursts
    Shader* textShader;            // screen text
    Shader* shadowMapsQuadShader;  // depth-map view
    Shader* shadowMapShader;       // shadow depth pass
    Shader* skyboxShader;          // sky box
    Shader* particleShader;        // built and linked, not drawn with

    // Ends the process when a file is missing or a program does not build.
    ShaderManager();
};
