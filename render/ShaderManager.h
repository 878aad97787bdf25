// The six GL programs of the game, built once at start-up in slot order from
// "./res/Shader/" and kept for the whole run. Owns the six Shader records.
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
    // Deletes the six Shader records; their GL objects go with the context.
    ~ShaderManager();

    // NOTE: owns the slots, so a copy would delete them twice.
    ShaderManager(const ShaderManager&) = delete;
    ShaderManager& operator=(const ShaderManager&) = delete;
};
