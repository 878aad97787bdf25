#include "render/ModelCache.h"

#include <filesystem>
#include <map>
#include <memory>
#include <tuple>
#include <utility>

#include <glm/glm.hpp>

#include "objects/GameObject.h"
#include "physics/TriangleMesh.h"
#include "render/Model.h"
#include "render/ModelReadAhead.h"

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

// The reads of the set-up under way, if any: the one owner of the reading thread.
std::unique_ptr<ModelReadAhead>& ReadAhead() {
    static std::unique_ptr<ModelReadAhead> readAhead;
    return readAhead;
}

}  // namespace

void ModelCache::importAhead(const std::vector<std::string>& paths) {
    // What an earlier call read and nobody took would only be stale now.
    endReadAhead();
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
    if (!missing.empty()) ReadAhead() = std::make_unique<ModelReadAhead>(std::move(missing));
}

void ModelCache::endReadAhead() {
    ReadAhead().reset();
}

Mesh ModelCache::load(const std::string& path, object::GameObject* owner, phys::Cooking* cooking,
                      phys::Physics* physics) {
    const Key key = KeyOf(path, cooking);
    auto found = Entries().find(key);
    if (found == Entries().end()) {
        Model model(path);
        // Joins the reading thread before this thread's own Assimp and FreeImage calls.
        if (ReadAhead()) ReadAhead()->take(model);
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
    endReadAhead();
    for (auto& [key, entry] : Entries()) {
        entry.mesh.release();
        if (entry.triangleMesh != nullptr) entry.triangleMesh->release();
    }
    Entries().clear();
}

size_t ModelCache::size() {
    return Entries().size();
}
