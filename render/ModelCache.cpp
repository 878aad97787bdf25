#include "render/ModelCache.h"

#include <map>
#include <memory>
#include <utility>

#include "platform/ReadableFile.h"
#include "render/Model.h"
#include "render/ModelReadAhead.h"

namespace {

// A rewritten file or the same path in another folder is another model, and so is one
// cooked with another cooking object.
using Key = std::pair<os::FileVersion, const phys::Cooking*>;

// Never destroyed: an entry's destructor would free GL objects and cooked meshes after the
// context and the physics are gone, on a fatal exit; releaseAll frees them in time.
std::map<Key, LoadedModel>& Entries() {
    static auto* const entries = new std::map<Key, LoadedModel>();
    return *entries;
}

// A file without a version fails in its load; until then it goes by its path.
os::FileVersion VersionOrPath(const std::string& path) {
    return os::VersionOf(path).value_or(os::FileVersion(path, 0));
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
        const os::FileVersion file = VersionOrPath(path);
        bool loaded = false;
        for (const auto& [key, entry] : Entries()) loaded = loaded || key.first == file;
        if (!loaded) missing.push_back(path);
    }
    if (!missing.empty()) ReadAhead() = std::make_unique<ModelReadAhead>(std::move(missing));
}

void ModelCache::endReadAhead() {
    ReadAhead().reset();
}

LoadedModel ModelCache::load(const std::string& path, phys::Cooking* cooking, phys::Physics* physics) {
    const Key key(VersionOrPath(path), cooking);
    auto found = Entries().find(key);
    if (found == Entries().end()) {
        Model model(path);
        // Joins the reading thread before this thread's own Assimp and FreeImage calls.
        if (ReadAhead()) ReadAhead()->take(model);
        found = Entries().emplace(key, model.load(cooking, physics)).first;
    }
    return found->second.lend();
}

void ModelCache::releaseAll() {
    endReadAhead();
    for (auto& [key, entry] : Entries()) entry.release();
    Entries().clear();
}

size_t ModelCache::size() {
    return Entries().size();
}
