// Every reader opens its file once: with the file and a FIFO swapped at its path (link +
// rename) all the while, each read gives the content or the reader's failure; none blocks.
#include <sys/stat.h>

#include <assimp/scene.h>
#include <assimp/Importer.hpp>
#include <atomic>
#include <chrono>
#include <thread>

#include "app/Globals.h"
#include "app/ScoreTable.h"
#include "app/WindowSettings.h"
#include "render/DecodedImage.h"
#include "render/Model.h"
#include "ScoreTableTestSupport.h"

using SwappedFileTest = ScratchWorkingDirectory;

TEST_F(SwappedFileTest, EveryReaderGivesTheContentOrItsFailureWithoutBlocking) {
    for (const char* file : {"Smoke.obj", "Smoke.png"}) std::filesystem::copy(previous / "res/Models" / file, file);
    std::ofstream("settings.ini") << "[window]\nwidth=800\n";
    writeScores("ann 5\n");
    ScoreTable table;
    const struct {
        std::string path, failure;
        std::function<std::string()> read;
    } readers[] = {
        {"Smoke.obj", "failed", [] {
             const std::unique_ptr<Assimp::Importer> imported = Model::import("Smoke.obj");
             if (!imported) return std::string("failed");
             const aiScene* scene = imported->GetScene();
             return scene->mNumMeshes ? std::to_string(scene->mMeshes[0]->mNumVertices) : std::string("no mesh"); }},
        {"Smoke.png", "0", [] { return std::to_string(DecodedImage("Smoke.png").width()); }},
        {"settings.ini", "1280", [] { return std::to_string(ReadWindowSettings("settings.ini").width); }},
        {ScoreTable::FilePath, "file could not be opened0", [&table] {
             ::testing::internal::CaptureStdout();
             table.load();
             return ::testing::internal::GetCapturedStdout() + std::to_string(scoreList.size()); }},
    };
    ::alarm(120);  // a read that blocks ends the test: SIGALRM kills the process
    for (const auto& reader : readers) {
        const std::string content = reader.read(), path = reader.path, file = path + ".file", fifo = path + ".fifo";
        EXPECT_NE(content, reader.failure) << path;
        EXPECT_EQ(::link(path.c_str(), file.c_str()) | ::mkfifo(fifo.c_str(), 0600), 0);
        std::atomic<bool> stop{false};
        std::thread swapper([&, temp = path + ".tmp"] {
            for (int i = 0; !stop; ++i) {
                if (::link((i % 2 ? file : fifo).c_str(), temp.c_str()) == 0) ::rename(temp.c_str(), path.c_str());
                ::unlink(temp.c_str());  // a rename onto another link of the same file leaves it
            }
        });
        // Many reads, as the gap between a check and a second open is short, and both outcomes;
        // fewer where a sanitizer makes each import slow.
        const auto enough = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        int reads = 0, contents = 0, failures = 0;
        for (; (reads < 1000 && std::chrono::steady_clock::now() < enough) || contents == 0 || failures == 0; ++reads) {
            const std::string got = reader.read();
            contents += got == content;
            failures += got == reader.failure;
        }
        stop = true;
        swapper.join();
        EXPECT_EQ(contents + failures, reads) << path;
    }
    ::alarm(0);
}
