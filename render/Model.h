// Turns one model file into what a scene object needs: the GPU mesh of its first mesh
// with textures, a collision triangle mesh and the bounds, as one LoadedModel.
// NOTE: a Model owns only its strings and what was read ahead for it; the GL objects and
// the triangle mesh it loads belong to the caller.
#pragma once

#include <assimp/material.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "render/DecodedImage.h"
#include "render/LoadedModel.h"

struct aiMesh;
struct aiScene;
namespace Assimp {
class Importer;
}
namespace phys {
class Cooking;
class Physics;
class TriangleMesh;
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
    // Images decoded ahead by file path, for loadTextureFile to take instead of reading the
    // file again.
    void useDecoded(std::map<std::string, DecodedImage> images);

    // Ends the process when the file is missing, cannot be imported or holds no mesh, and
    // when it or a material file it names is a FIFO, a folder, unreadable or over
    // RegularFileIOSystem::MaxFileBytes (one line more says its size).
    // Without a cooking object the triangle mesh is null. The caller owns the record it gives.
    LoadedModel load(phys::Cooking* cooking, phys::Physics* physics);
    std::vector<MeshTexture> loadTexturesOfType(aiMaterial* material, aiTextureType type, std::string typeName);
    // An unreadable image gives an empty (0 x 0) texture.
    unsigned loadTextureFile(const char* name, std::string directory);

private:
    // The steps of load, in its order; a step that fails ends the process.
    // import: the import made ahead, else the file read now; a scene with a first mesh.
    std::unique_ptr<Assimp::Importer> importScene();
    // geometry: the mesh's vertices, widening the bounds (its indices need no Model state).
    std::vector<Vertex> readVertices(const aiMesh& mesh);
    // cooking: the collision mesh of those triangles; null without a cooking object.
    phys::TriangleMesh* cook(phys::Cooking* cooking, const aiMesh& mesh, const std::vector<unsigned>& indices) const;
    // textures: the diffuse maps, then the specular maps, of the mesh's material.
    std::vector<MeshTexture> loadTextures(const aiScene& scene, const aiMesh& mesh);

    std::unique_ptr<Assimp::Importer> imported;
    std::map<std::string, DecodedImage> decoded;
};
