// A material texture of a mesh: its GL name, sampler kind, file name and shininess.
#pragma once

#include <string>

struct MeshTexture {
    unsigned id = 0;
    std::string type;        // "texture_diffuse" or "texture_specular"
    std::string path;        // file name as the material gives it
    float shininess = 10.0f;
};
