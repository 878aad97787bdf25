#include "render/ModelReadAhead.h"

#include <new>

#include <system_error>
#include <utility>

#include <assimp/Importer.hpp>

#include "render/Model.h"

ModelReadAhead::ModelReadAhead(std::vector<std::string> paths) : paths(std::move(paths)) {
    try {
        thread = std::thread(&ModelReadAhead::readAll, this);
    } catch (const std::system_error&) {
        // No second thread: each load reads its file itself.
    }
}

ModelReadAhead::~ModelReadAhead() {
    wait();
}

void ModelReadAhead::wait() {
    if (thread.joinable()) thread.join();
}

void ModelReadAhead::take(Model& model) {
    wait();
    auto found = imports.find(model.path);
    if (found != imports.end()) {
        model.useImport(std::move(found->second));
        imports.erase(found);
    }
    auto decoded = images.find(model.path);
    if (decoded != images.end()) {
        model.useDecoded(std::move(decoded->second));
        images.erase(decoded);
    }
}

// Imports first: the images come after, as the main thread's other work leaves time.
void ModelReadAhead::readAll() {
    // Without the memory for more, what was read so far is used; the load reads the rest.
    try {
        for (const std::string& path : paths) imports[path] = Model::import(path);
        for (const std::string& path : paths) {
            const Assimp::Importer* importer = imports[path].get();
            if (importer == nullptr) continue;
            std::map<std::string, DecodedImage>& decoded = images[path];
            // An image that cannot be read is kept empty: the load makes the same empty texture of it.
            for (const std::string& file : Model::textureFiles(importer->GetScene(), path)) {
                decoded.try_emplace(file, file);
            }
        }
    } catch (const std::bad_alloc&) {
    }
}
