// Loads each model file once per process and lends every object built from it the same
// GPU mesh (vertex array, buffers, textures), cooked triangle mesh and bounds: a level
// builds a hundred objects from six files.
// NOTE: the cache's entries are the owning records of what it loaded; every load hands out
// a borrowed copy (LoadedModel::lend), which objects never free. releaseAll() frees
// everything exactly once.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "render/LoadedModel.h"

namespace phys {
class Cooking;
class Physics;
}  // namespace phys

class ModelCache {
public:
    // What Model::load gives, borrowed, from the first load of this file with this cooking
    // object. A missing or broken file ends the process as Model::load does.
    static LoadedModel load(const std::string& path, phys::Cooking* cooking, phys::Physics* physics);
    // Starts reading those of the files that are not loaded yet on a second thread (the
    // file reading alone: GL and cooking stay on this thread), so that the caller can do
    // other work meanwhile; load() waits for them. The first level's files would otherwise
    // be read one after another at start-up.
    // NOTE: until endReadAhead(), Assimp and FreeImage are called on this thread only
    // through load() (see ModelReadAhead.h).
    static void importAhead(const std::vector<std::string>& paths);
    // Waits for the files being read ahead and drops those no load took. Whoever called
    // importAhead() calls it on every way out, a fatal exit included.
    static void endReadAhead();
    // Deletes every cached mesh's GL objects and releases every cooked mesh, once; the next
    // load reads its file again; files still being read ahead are waited for and dropped.
    // Needs the GL context; no object may draw a cached mesh after.
    static void releaseAll();
    static size_t size();
};
