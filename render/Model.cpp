#include "render/Model.h"

#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <assimp/Importer.hpp>
#include <cfloat>
#include <iostream>
#include <new>
#include <utility>

#include "physics/Cooking.h"
#include "platform/Pause.h"
#include "platform/ReadableFile.h"
#include "render/RegularFileIOSystem.h"

namespace {

constexpr unsigned ImportFlags = aiProcess_Triangulate | aiProcess_FlipUVs;
// Stands in for a normal the file does not give: lit as if facing the sun's sky.
const glm::vec3 DefaultNormal(0.0f, 1.0f, 0.0f);

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(0, slash);
}

// The image file of a material texture, which is also the key of what was decoded ahead.
std::string TextureFile(const std::string& directory, const char* name) {
    return directory + "/" + name;
}

// Points and lines that triangulation leaves behind are neither cooked nor drawn.
std::vector<unsigned> TriangleIndices(const aiMesh& mesh) {
    std::vector<unsigned> indices;
    indices.reserve(static_cast<size_t>(mesh.mNumFaces) * 3);
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices != 3) continue;
        indices.insert(indices.end(), face.mIndices, face.mIndices + 3);
    }
    return indices;
}

// Reads path with an importer that opens regular files only; refused is set to the first
// file it turned away (the model or a material it names), empty when none, and why to the
// reason when that was a regular file too large to read. An import that runs out of memory
// fails like an unreadable model.
std::unique_ptr<Assimp::Importer> ReadScene(const std::string& path, std::string& refused, std::string& why) {
    auto importer = std::make_unique<Assimp::Importer>();
    // NOTE: the importer owns its file system from here and deletes it.
    auto* files = new RegularFileIOSystem();
    importer->SetIOHandler(files);
    try {
        importer->ReadFile(path.c_str(), ImportFlags);
    } catch (const std::bad_alloc&) {
        importer->FreeScene();
        files->refuse(path, "no memory to import it");
    }
    refused = files->refused();
    why = files->refusedReason();
    return importer;
}

[[noreturn]] void FailToFind(const std::string& file, const std::string& why = std::string()) {
    if (!why.empty()) std::cerr << "Model file " << file << " not loaded: " << why << std::endl;
    std::cerr << "Failed to find Model-File" << std::endl;
    std::cerr << "FilePath: " << file << std::endl;
    os::PauseAndExit();
}

[[noreturn]] void FailToImport(const std::string& why) {
    std::cerr << "Could not load meshObject" << std::endl;
    std::cerr << why << std::endl;
    os::PauseAndExit();
}

}  // namespace

Model::Model(std::string path)
    : path(std::move(path)),
      boundsMax(-FLT_MAX),
      boundsMin(FLT_MAX),
      mipmapMode(2),
      linearFiltering(true) {}

Model::~Model() = default;

std::unique_ptr<Assimp::Importer> Model::import(const std::string& path) {
    std::string refused;
    std::string why;
    std::unique_ptr<Assimp::Importer> importer = ReadScene(path, refused, why);
    if (importer->GetScene() == nullptr || !refused.empty()) return nullptr;
    return importer;
}

void Model::useImport(std::unique_ptr<Assimp::Importer> importer) {
    imported = std::move(importer);
}

std::vector<std::string> Model::textureFiles(const aiScene* scene, const std::string& path) {
    std::vector<std::string> files;
    if (scene == nullptr || scene->mNumMeshes == 0 || !scene->mMeshes || !scene->mMeshes[0]) return files;
    const aiMesh* mesh = scene->mMeshes[0];
    if (mesh->mMaterialIndex >= scene->mNumMaterials) return files;
    const aiMaterial* material = scene->mMaterials[mesh->mMaterialIndex];
    const std::string directory = DirectoryOf(path);
    for (aiTextureType type : {aiTextureType_DIFFUSE, aiTextureType_SPECULAR}) {
        for (unsigned i = 0; i < aiGetMaterialTextureCount(material, type); ++i) {
            aiString name;
            aiGetMaterialTexture(material, type, i, &name, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
            files.push_back(TextureFile(directory, name.C_Str()));
        }
    }
    return files;
}

void Model::useDecoded(std::map<std::string, DecodedImage> images) {
    decoded = std::move(images);
}

LoadedModel Model::load(phys::Cooking* cooking, phys::Physics* /*physics*/) {
    const std::unique_ptr<Assimp::Importer> importer = importScene();
    const aiScene& scene = *importer->GetScene();
    const aiMesh& mesh = *scene.mMeshes[0];  // the file's other meshes are not used

    std::vector<Vertex> vertices = readVertices(mesh);
    std::vector<unsigned> indices = TriangleIndices(mesh);
    phys::TriangleMesh* triangleMesh = cook(cooking, mesh, indices);
    directory = DirectoryOf(path);
    std::vector<MeshTexture> textures = loadTextures(scene, mesh);
    return {Mesh(std::move(vertices), std::move(indices), std::move(textures)), triangleMesh, boundsMin, boundsMax};
}

std::unique_ptr<Assimp::Importer> Model::importScene() {
    // An import made ahead is used once; a failed one is read again here, to say why. A
    // model or material file that is a folder, a FIFO or unreadable fails as a missing model
    // does; the file is opened once, by the importer, and looked at again only to tell a
    // missing file from a broken one.
    std::unique_ptr<Assimp::Importer> importer = std::move(imported);
    if (importer == nullptr || importer->GetScene() == nullptr) {
        std::string refused;
        std::string why;
        importer = ReadScene(path, refused, why);
        if (!refused.empty()) FailToFind(refused, why);
        if (importer->GetScene() == nullptr && os::ProbeFile(path).state == os::FileState::Missing) FailToFind(path);
    }
    const aiScene* scene = importer->GetScene();
    if (!scene || scene->mFlags == AI_SCENE_FLAGS_INCOMPLETE || !scene->mRootNode) {
        FailToImport(importer->GetErrorString());
    }
    if (scene->mNumMeshes == 0 || !scene->mMeshes || !scene->mMeshes[0]) FailToImport("no mesh in " + path);
    return importer;
}

std::vector<Vertex> Model::readVertices(const aiMesh& mesh) {
    std::vector<Vertex> vertices;
    vertices.reserve(mesh.mNumVertices);
    const aiVector3D* uvs = mesh.HasTextureCoords(0) ? mesh.mTextureCoords[0] : nullptr;
    for (unsigned i = 0; i < mesh.mNumVertices; ++i) {
        const aiVector3D& p = mesh.mVertices[i];
        const glm::vec3 position(p.x, p.y, p.z);
        for (int axis = 0; axis < 3; ++axis) {
            if (position[axis] > boundsMax[axis]) boundsMax[axis] = position[axis];
            if (position[axis] < boundsMin[axis]) boundsMin[axis] = position[axis];
        }
        Vertex vertex;
        vertex.position = position;
        vertex.normal = mesh.mNormals ? glm::vec3(mesh.mNormals[i].x, mesh.mNormals[i].y, mesh.mNormals[i].z)
                                      : DefaultNormal;
        vertex.texCoords = uvs ? glm::vec2(uvs[i].x, uvs[i].y) : glm::vec2(0.0f);
        vertices.push_back(vertex);
    }
    return vertices;
}

phys::TriangleMesh* Model::cook(phys::Cooking* cooking, const aiMesh& mesh,
                                const std::vector<unsigned>& indices) const {
    if (!cooking) {
        std::cerr << "Model: no cooking object, no collision mesh for " << path << std::endl;
        return nullptr;
    }
    phys::TriangleMeshDesc desc;
    desc.points.count = mesh.mNumVertices;
    desc.points.stride = sizeof(aiVector3D);
    desc.points.data = mesh.mVertices;
    desc.triangles.count = static_cast<uint32_t>(indices.size() / 3);
    desc.triangles.stride = 3 * sizeof(unsigned);
    desc.triangles.data = indices.data();
    return cooking->createTriangleMesh(desc);
}

std::vector<MeshTexture> Model::loadTextures(const aiScene& scene, const aiMesh& mesh) {
    if (mesh.mMaterialIndex >= scene.mNumMaterials) return {};
    aiMaterial* material = scene.mMaterials[mesh.mMaterialIndex];
    std::vector<MeshTexture> textures = loadTexturesOfType(material, aiTextureType_DIFFUSE, "texture_diffuse");
    std::vector<MeshTexture> specular = loadTexturesOfType(material, aiTextureType_SPECULAR, "texture_specular");
    textures.insert(textures.end(), specular.begin(), specular.end());
    return textures;
}

std::vector<MeshTexture> Model::loadTexturesOfType(aiMaterial* material, aiTextureType type, std::string typeName) {
    std::vector<MeshTexture> textures;
    for (unsigned i = 0; i < aiGetMaterialTextureCount(material, type); ++i) {
        aiString name;
        aiGetMaterialTexture(material, type, i, &name, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        MeshTexture texture;
        texture.id = loadTextureFile(name.C_Str(), directory);
        texture.type = typeName;
        texture.path = name.C_Str();
        // Without a shininess of its own the material keeps MeshTexture's default.
        aiGetMaterialFloatArray(material, AI_MATKEY_SHININESS, &texture.shininess, nullptr);
        textures.push_back(texture);
    }
    return textures;
}

unsigned Model::loadTextureFile(const char* name, std::string directory) {
    const std::string file = TextureFile(directory, name);
    GLuint id = 0;
    glGenTextures(1, &id);

    // Decoded ahead on the reading thread when it could be; read here otherwise.
    auto ahead = decoded.find(file);
    const DecodedImage image = ahead != decoded.end() ? std::move(ahead->second) : DecodedImage(file);
    if (ahead != decoded.end()) decoded.erase(ahead);

    glBindTexture(GL_TEXTURE_2D, id);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, static_cast<GLsizei>(image.width()), static_cast<GLsizei>(image.height()),
                 0, GL_BGRA, GL_UNSIGNED_BYTE, image.pixels());
    // Modes 1 and 2 would ask for a mip chain, but the filters below never sample one: it
    // would only cost time (a third of all model loading on software GL) and memory.
    const GLint filter = linearFiltering ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glBindTexture(GL_TEXTURE_2D, 0);
    return id;
}
