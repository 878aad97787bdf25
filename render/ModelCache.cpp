#include "render/ModelCache.h"

#include <filesystem>
#include <map>
#include <memory>
#include <system_error>
#include <thread>
#include <tuple>
#include <utility>

#include <assimp/Importer.hpp>

#include <glm/glm.hpp>

#include "objects/GameObject.h"
#include "physics/TriangleMesh.h"
#include "render/Model.h"

namespace fs = std::filesystem;

namespace {

struct Entry {
    Mesh mesh;
    phys::TriangleMesh* triangleMesh = nullptr;
    glm::vec3 boundsMin{0.0f};
    glm::vec3 boundsMax{0.0f};
};

// The same relative path names another file after a change of folder, and a rewritten
// file is another model: both are part of the key, as is the cooking object the collision
// mesh was made with.
using Key = std::tuple<std::string, fs::file_time_type::rep, const phys::Cooking*>;

std::map<Key, Entry>& Entries() {
    static std::map<Key, Entry> entries;
    return entries;
}

Key KeyOf(const std::string& path, const phys::Cooking* cooking) {
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error).lexically_normal();
    const fs::file_time_type written = fs::last_write_time(absolute, error);
    return Key(error ? path : absolute.string(), error ? 0 : written.time_since_epoch().count(), cooking);
}

// Files being read on the second thread, by the path load() will be given. Never
// destroyed: a fatal exit in the middle of a set-up must neither wait for the thread nor
// end in std::terminate.
struct Ahead {
    std::thread thread;
    std::vector<std::string> paths;
    // Filled by the thread: each file's import and the images its textures are made from.
    std::map<std::string, std::unique_ptr<Assimp::Importer>> imports;
    std::map<std::string, std::map<std::string, FIBITMAP*>> images;
    ~Ahead() {
        for (auto& [path, decoded] : images) {
            for (auto& [file, image] : decoded) Model::freeImage(image);
        }
    }
};
Ahead* ahead = nullptr;

// Imports first: the images come after, as the main thread's other work leaves time.
void ImportAll(Ahead* work) {
    for (const std::string& path : work->paths) work->imports[path] = Model::import(path);
    for (const std::string& path : work->paths) {
        const Assimp::Importer* importer = work->imports[path].get();
        if (importer == nullptr) continue;
        std::map<std::string, FIBITMAP*>& decoded = work->images[path];
        for (const std::string& file : Model::textureFiles(importer->GetScene(), path)) {
            if (decoded.count(file) != 0) continue;
            if (FIBITMAP* image = Model::decodeImage(file)) decoded[file] = image;
        }
    }
}

// What was read ahead for path (handed to model), waiting for the thread. The last file
// taken lets the thread go.
void TakeAhead(const std::string& path, Model& model) {
    if (ahead == nullptr) return;
    if (ahead->thread.joinable()) ahead->thread.join();
    auto found = ahead->imports.find(path);
    if (found != ahead->imports.end()) {
        model.useImport(std::move(found->second));
        ahead->imports.erase(found);
    }
    auto images = ahead->images.find(path);
    if (images != ahead->images.end()) {
        model.useDecoded(std::move(images->second));
        ahead->images.erase(images);
    }
    if (ahead->imports.empty()) {
        delete ahead;
        ahead = nullptr;
    }
}

void DropAhead() {
    if (ahead == nullptr) return;
    if (ahead->thread.joinable()) ahead->thread.join();
    delete ahead;
    ahead = nullptr;
}

}  // namespace

void ModelCache::importAhead(const std::vector<std::string>& paths) {
    // What an earlier call read and nobody took would only be stale now.
    DropAhead();
    std::vector<std::string> missing;
    for (const std::string& path : paths) {
        // Loaded with any cooking object: the file is read already.
        const Key file = KeyOf(path, nullptr);
        bool loaded = false;
        for (const auto& [key, entry] : Entries()) {
            if (std::get<0>(key) == std::get<0>(file) && std::get<1>(key) == std::get<1>(file)) loaded = true;
        }
        if (!loaded) missing.push_back(path);
    }
    if (missing.empty()) return;
    ahead = new Ahead();
    ahead->paths = std::move(missing);
    try {
        ahead->thread = std::thread(ImportAll, ahead);
    } catch (const std::system_error&) {
        // No second thread: load() reads each file itself.
        delete ahead;
        ahead = nullptr;
    }
}

Mesh ModelCache::load(const std::string& path, object::GameObject* owner, phys::Cooking* cooking,
                      phys::Physics* physics) {
    const Key key = KeyOf(path, cooking);
    auto found = Entries().find(key);
    if (found == Entries().end()) {
        Model model(path);
        TakeAhead(path, model);
        object::GameObject loader;
        Entry entry;
        entry.mesh = model.load(&loader, cooking, physics);
        entry.triangleMesh = loader.triangleMesh;
        entry.boundsMin = model.boundsMin;
        entry.boundsMax = model.boundsMax;
        found = Entries().emplace(key, std::move(entry)).first;
    }
    const Entry& entry = found->second;
    if (owner != nullptr) {
        owner->triangleMesh = entry.triangleMesh;
        owner->setBounds(entry.boundsMin.x, entry.boundsMin.y, entry.boundsMin.z, entry.boundsMax.x,
                         entry.boundsMax.y, entry.boundsMax.z);
    }
    return entry.mesh;
}

bool ModelCache::holds(const Mesh& mesh) {
    if (mesh.vbo == 0 && mesh.ebo == 0) return false;
    for (const auto& [key, entry] : Entries()) {
        if (entry.mesh.vbo == mesh.vbo || entry.mesh.ebo == mesh.ebo) return true;
    }
    return false;
}

bool ModelCache::holds(const phys::TriangleMesh* triangleMesh) {
    if (triangleMesh == nullptr) return false;
    for (const auto& [key, entry] : Entries()) {
        if (entry.triangleMesh == triangleMesh) return true;
    }
    return false;
}

void ModelCache::releaseAll() {
    DropAhead();
    for (auto& [key, entry] : Entries()) {
        entry.mesh.release();
        if (entry.triangleMesh != nullptr) entry.triangleMesh->release();
    }
    Entries().clear();
}

size_t ModelCache::size() {
    return Entries().size();
}
