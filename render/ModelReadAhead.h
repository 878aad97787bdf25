// Reads model files on a second thread while the level set-up does other work: each
// file's Assimp import and the FreeImage images of its textures. Owns the thread and what
// it read until take() hands a file's share to its Model; the destructor joins the thread
// and frees whatever nobody took.
// NOTE: while reads are ahead the main thread makes no Assimp or FreeImage call of its own:
// it waits for the join first (take() and wait() join). Both libraries keep process-wide
// state, and an exit would tear that down under the thread, so every way out of the code
// that started the reads, a fatal exit included, destroys this or calls wait() first.
// GL work and cooking never run on the thread.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "render/DecodedImage.h"

class Model;
namespace Assimp {
class Importer;
}

class ModelReadAhead {
public:
    // Starts reading the files at once. Without a second thread nothing is read ahead and
    // every load reads its own file.
    explicit ModelReadAhead(std::vector<std::string> paths);
    ~ModelReadAhead();
    ModelReadAhead(const ModelReadAhead&) = delete;
    ModelReadAhead& operator=(const ModelReadAhead&) = delete;

    // Waits for the thread, then hands model what was read for its path, if anything: a
    // file that could not be read gives nothing, and the load reads it again to say why.
    void take(Model& model);
    // Waits for the thread.
    void wait();

private:
    void readAll();

    std::vector<std::string> paths;
    // Filled by the thread, touched here only after the join.
    std::map<std::string, std::unique_ptr<Assimp::Importer>> imports;
    std::map<std::string, std::map<std::string, DecodedImage>> images;
    // Last: started once the members it fills exist.
    std::thread thread;
};
