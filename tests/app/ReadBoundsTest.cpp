// A file over its reader's bound (sparse, so it costs no disk), or an image whose header
// claims too many pixels, takes the reader's failure at once, naming its size; no throw.
#include <chrono>
#include <stdexcept>

#include "GlTestContext.h"
#include "app/Globals.h"
#include "app/ScoreTable.h"
#include "app/WindowSettings.h"
#include "objects/Matchfield.h"
#include "platform/IniReader.h"
#include "render/DecodedImage.h"
#include "render/Model.h"
#include "render/RegularFileIOSystem.h"
#include "render/Shader.h"
#include "render/TextRenderer.h"
#include "ScoreTableTestSupport.h"

using ReadBoundsTest = ScratchWorkingDirectory;

TEST_F(ReadBoundsTest, AFileOverItsReadersBoundFailsAtOnceNamingItsSize) {
    if (!EnsureGlContext()) GTEST_SKIP() << "no display";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const struct {  // a reader whose failure is no exit says it failed; one that ends the process exits
        std::string path;
        int64_t bound;
        std::function<bool()> failed;
        std::function<void()> exits = {};
    } readers[] = {
        {"shader.vert", Shader::MaxSourceBytes, {}, [] { GLuint id; Shader::compileShader("shader.vert", 0, id); }},
        {"model.obj", RegularFileIOSystem::MaxFileBytes, {}, [] { Model("model.obj").load(nullptr, nullptr); }},
        {"settings.ini", os::IniReader::MaxFileBytes, [] { return ReadWindowSettings("settings.ini").height == 768; }},
        // "file could not be opened", and a save that leaves the file as it is, the entry in memory
        {ScoreTable::FilePath, ScoreTable::MaxFileBytes,
         [] { ScoreTable t; t.add("a"); t.save(); return scoreList.size() == 1; }},
        {object::Matchfield::levelFilePath(1), object::Matchfield::MaxFileBytes, [] {
             try { object::Matchfield(1, 1.0f, 1.0f); } catch (const std::out_of_range&) { return true; }
             return false; }},
        {"./res/fonts/ARIAL.ttf", TextRenderer::MaxFontBytes, [] { return TextRenderer().loadGlyphs() == -1; }},
        {"face.png", DecodedImage::MaxFileBytes, [] { return DecodedImage("face.png").empty(); }},
    };
    for (const auto& reader : readers) {
        for (const int64_t size : {reader.bound + 1, reader.bound + (int64_t{1} << 30)}) {
            std::filesystem::create_directories(std::filesystem::absolute(reader.path).parent_path());
            std::ofstream(reader.path, std::ios::trunc).flush();
            std::filesystem::resize_file(reader.path, static_cast<uintmax_t>(size));
            const std::string reason = " " + std::to_string(size) + " bytes, more than " + std::to_string(reader.bound);
            if (!reader.failed) {
                EXPECT_EXIT(std::freopen("/dev/null", "r", stdin); reader.exits(), testing::ExitedWithCode(1), reason);
                continue;
            }
            testing::internal::CaptureStdout();
            testing::internal::CaptureStderr();
            const auto start = std::chrono::steady_clock::now();
            EXPECT_TRUE(reader.failed()) << reader.path << " " << size;
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << reader.path << size;
            const std::string said = testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
            EXPECT_NE(said.find(reason), std::string::npos) << reader.path << ": " << said;
            EXPECT_EQ(std::filesystem::file_size(reader.path), static_cast<uintmax_t>(size)) << reader.path;
        }
    }
    // A BMP header of 20000 x 20000 pixels of 24 bits, and no pixels.
    const std::string bmp("BM\0\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x20\x4e\0\0\x20\x4e\0\0\1\0\x18\0", 30);
    std::ofstream("huge.bmp", std::ios::binary) << bmp << std::string(24, '\0');
    testing::internal::CaptureStderr();
    EXPECT_TRUE(DecodedImage("huge.bmp").empty());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Image huge.bmp not loaded: claims 20000 x 20000 pixels, more than 8192 a side\n");
}
