// Turns one model file into what a scene object needs: the GPU mesh of its first mesh
// with textures, a collision triangle mesh stored into the owner, and the owner's bounds.
// NOTE: a Model owns only its strings and an import handed to it; the returned Mesh's GL
// objects belong to the caller.
#pragma once

#include <assimp/material.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "render/Mesh.h"

struct FIBITMAP;
struct aiScene;
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
    // Only regular files are opened, so a FIFO never blocks it. Null when the file, or a
    // material file it names, cannot be read: load() then reads it itself and says why.
    static std::unique_ptr<Assimp::Importer> import(const std::string& path);
    // An import() of this model's file, for load() to use instead of reading the file again.
    void useImport(std::unique_ptr<Assimp::Importer> importer);
    // The image files (by the path loadTextureFile opens) whose textures load() makes from
    // this scene of the model file at path.
    static std::vector<std::string> textureFiles(const aiScene* scene, const std::string& path);
    // Reads an image file into 32-bit rows, bottom row first, as a texture takes them; null
    // when it cannot be read. No GL: any thread may call it. Free it with freeImage().
    static FIBITMAP* decodeImage(const std::string& file);
    static void freeImage(FIBITMAP* image);
    // Images from decodeImage() not freed yet, in the whole process.
    static int imagesHeld();
    // Images decoded ahead by file path, for loadTextureFile to take instead of reading the
    // file again; the model frees those it does not take.
    void useDecoded(std::map<std::string, FIBITMAP*> images);

    // Ends the process when the file is missing, cannot be imported or holds no mesh, and
    // when it or a material file it names is a FIFO, a folder or unreadable.
    // Without a cooking object the owner's triangleMesh is left null.
    Mesh load(object::GameObject* owner, phys::Cooking* cooking, phys::Physics* physics);
    std::vector<MeshTexture> loadTexturesOfType(aiMaterial* material, aiTextureType type, std::string typeName);
    // An unreadable image gives an empty (0 x 0) texture.
    unsigned loadTextureFile(const char* name, std::string directory);

private:
    std::unique_ptr<Assimp::Importer> imported;
    std::map<std::string, FIBITMAP*> decoded;
};
