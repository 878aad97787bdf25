// Turns one model file into what a scene object needs: the GPU mesh of its first mesh
// with textures, a collision triangle mesh stored into the owner, and the owner's bounds.
// NOTE: a Model owns only its strings and an import handed to it; the returned Mesh's GL
// objects belong to the caller.
#pragma once

#include <assimp/material.h>
#include <memory>
#include <string>

#include <glm/glm.hpp>

#include "render/Mesh.h"

namespace Assimp {
class Importer;
}
namespace object {
class GameObject;
}
namespace phys {
class Cooking;
class Physics;
}  // namespace phys

class Model {
public:
    std::string path;
    std::string directory;
    glm::vec3 boundsMax;  // widened by every load, never reset
    glm::vec3 boundsMin;
    int mipmapMode;
    bool linearFiltering;

    explicit Model(std::string path);
    ~Model();

    // Reads the file with Assimp alone, without GL or cooking, so any thread may call it.
    // Null when the file cannot be read: load() then reads it itself and says why.
    static std::unique_ptr<Assimp::Importer> import(const std::string& path);
    // An import() of this model's file, for load() to use instead of reading the file again.
    void useImport(std::unique_ptr<Assimp::Importer> importer);

    // Ends the process when the file is missing, cannot be imported or holds no mesh.
    // Without a cooking object the owner's triangleMesh is left null.
    Mesh load(object::GameObject* owner, phys::Cooking* cooking, phys::Physics* physics);
    std::vector<MeshTexture> loadTexturesOfType(aiMaterial* material, aiTextureType type, std::string typeName);
    // An unreadable image gives an empty (0 x 0) texture.
    unsigned loadTextureFile(const char* name, std::string directory);

private:
    std::unique_ptr<Assimp::Importer> imported;
};
