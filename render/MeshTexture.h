// A material texture of a mesh: its GL name, sampler kind, file name and shininess.
#pragma once

#include <string>

struct MeshTexture {
    static constexpr float DefaultShininess = 10.0f;  // for a material that gives none

    unsigned id = 0;
    std::string type;        // "texture_diffuse" or "texture_specular"
    std::string path;        // file name as the material gives it
    float shininess = DefaultShininess;
};
