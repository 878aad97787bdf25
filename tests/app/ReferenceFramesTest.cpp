// The picture against frames that the game drew before its frame work was made cheaper:
// the intro and play of levels 1 and 2, reached by fixed steps, within a small tolerance.
// The reference images in tests/app/data are a quarter of the window in each direction
// (mean of 4 x 4 pixels) and were written by this test itself, built at commit 85cb228
// and run with QV_WRITE_REFERENCE_FRAMES set to a folder. The levels are drawn from the
// copies of Level1.txt and Level2.txt kept next to them, so that changes to the shipped
// level files do not count as changes to the picture; everything else is the game's res/.
#include <gtest/gtest.h>

#include <FreeImage.h>
#include <GL/glew.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/GameFlow.h"
#include "app/GameState.h"
#include "app/GameWorld.h"
#include "app/Globals.h"
#include "objects/Hex.h"
#include "ScratchRes.h"
#include "TestSupport.h"

namespace fs = std::filesystem;

namespace {

constexpr int Shrink = 4;
constexpr float FrameMs = 17.0f;
// The character lands on the start tile in the first frames, which starts its smoke burst
// (1 s): the frames are taken after it, since the puffs may look different now.
constexpr int SettleFrames = 70;
// A reference pixel may be off by a few levels (rounding in another GL build); a shadow or
// an object in the wrong place changes far more, over many pixels.
constexpr int ChannelTolerance = 6;
constexpr double MaxOffShare = 0.002;

std::string DataDir() {
    return QV_TESTS_DIR "/app/data";
}

struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // rows from the bottom, as GL reads them
};

// The presented frame, each Shrink x Shrink block averaged into one pixel.
Image ShrunkFrame() {
    const int w = windowSettings.width, h = windowSettings.height;
    std::vector<unsigned char> pixels(static_cast<size_t>(w) * h * 3);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    Image image;
    image.width = w / Shrink;
    image.height = h / Shrink;
    image.rgb.resize(static_cast<size_t>(image.width) * image.height * 3);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = 0; dy < Shrink; ++dy)
                    for (int dx = 0; dx < Shrink; ++dx)
                        sum += pixels[(static_cast<size_t>(y * Shrink + dy) * w + x * Shrink + dx) * 3 + c];
                image.rgb[(static_cast<size_t>(y) * image.width + x) * 3 + c] =
                    static_cast<unsigned char>((sum + Shrink * Shrink / 2) / (Shrink * Shrink));
            }
        }
    }
    return image;
}

bool Save(const Image& image, const std::string& path) {
    FIBITMAP* bitmap = FreeImage_Allocate(image.width, image.height, 24);
    if (bitmap == nullptr) return false;
    for (int y = 0; y < image.height; ++y) {
        BYTE* row = FreeImage_GetScanLine(bitmap, y);  // FreeImage rows also start at the bottom
        for (int x = 0; x < image.width; ++x) {
            const unsigned char* p = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
            row[x * 3 + FI_RGBA_RED] = p[0];
            row[x * 3 + FI_RGBA_GREEN] = p[1];
            row[x * 3 + FI_RGBA_BLUE] = p[2];
        }
    }
    const bool saved = FreeImage_Save(FIF_PNG, bitmap, path.c_str(), PNG_Z_BEST_COMPRESSION) != 0;
    FreeImage_Unload(bitmap);
    return saved;
}

bool Load(const std::string& path, Image& image) {
    FIBITMAP* loaded = FreeImage_Load(FIF_PNG, path.c_str(), 0);
    if (loaded == nullptr) return false;
    FIBITMAP* bitmap = FreeImage_ConvertTo24Bits(loaded);
    FreeImage_Unload(loaded);
    if (bitmap == nullptr) return false;
    image.width = static_cast<int>(FreeImage_GetWidth(bitmap));
    image.height = static_cast<int>(FreeImage_GetHeight(bitmap));
    image.rgb.resize(static_cast<size_t>(image.width) * image.height * 3);
    for (int y = 0; y < image.height; ++y) {
        const BYTE* row = FreeImage_GetScanLine(bitmap, y);
        for (int x = 0; x < image.width; ++x) {
            unsigned char* p = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
            p[0] = row[x * 3 + FI_RGBA_RED];
            p[1] = row[x * 3 + FI_RGBA_GREEN];
            p[2] = row[x * 3 + FI_RGBA_BLUE];
        }
    }
    FreeImage_Unload(bitmap);
    return true;
}

void Frames(int count) {
    for (int i = 0; i < count; ++i) {
        UpdateFrame();
        RenderFrame();
    }
}

// The level's intro 1.2 s in, and play after "LET'S GO" with the camera behind the
// character; the barrels have settled by then.
std::vector<std::pair<std::string, Image>> LevelFrames(int level) {
    currentLevel = level;
    object::Hex::hexTime = 0.0f;  // the moving tile's phase, shared by every level so far
    SetupLevel(level);
    gameState = GameState::Intro;
    letsGo = false;
    showScores = false;
    showShadowMapDebug = false;
    deltaMs = FrameMs;
    Frames(SettleFrames);
    std::vector<std::pair<std::string, Image>> frames;
    frames.emplace_back("level" + std::to_string(level) + "_intro", ShrunkFrame());

    levelClock = 10.5f;  // the intro timer ends the intro: plain tiles, camera behind
    UpdateFrame();
    levelClock = 12.5f;  // and "LET'S GO" is over
    UpdateFrame();
    gameState = GameState::Play;
    Frames(SettleFrames);
    frames.emplace_back("level" + std::to_string(level) + "_play", ShrunkFrame());
    return frames;
}

struct Comparison {
    double offShare = 1.0;
    int worst = 255;
};

Comparison Compare(const Image& a, const Image& b) {
    Comparison result;
    if (a.width != b.width || a.height != b.height) return result;
    size_t off = 0;
    int worst = 0;
    for (size_t i = 0; i < a.rgb.size(); i += 3) {
        int pixelWorst = 0;
        for (int c = 0; c < 3; ++c) pixelWorst = std::max(pixelWorst, std::abs(int(a.rgb[i + c]) - int(b.rgb[i + c])));
        worst = std::max(worst, pixelWorst);
        if (pixelWorst > ChannelTolerance) ++off;
    }
    result.offShare = static_cast<double>(off) / static_cast<double>(a.rgb.size() / 3);
    result.worst = worst;
    return result;
}

class ReferenceFramesTest : public FreshLevelTest {};

TEST_F(ReferenceFramesTest, IntroAndPlayOfLevelsOneAndTwoLookAsBefore) {
    const char* writeTo = std::getenv("QV_WRITE_REFERENCE_FRAMES");
    testsupport::ScratchRes res;  // the game's res/, but with the reference copies of the levels
    ASSERT_TRUE(res.ok());
    for (int level : {1, 2}) {
        const std::string name = "/Level" + std::to_string(level) + ".txt";
        fs::copy_file(DataDir() + name, res.levelPath(level), fs::copy_options::overwrite_existing);
    }
    std::vector<std::pair<std::string, Image>> frames;
    {
        testsupport::ScopedChdir into(res.path());
        ASSERT_TRUE(into.ok());
        for (int level : {1, 2}) {
            for (auto& frame : LevelFrames(level)) frames.push_back(std::move(frame));
        }
    }
    {
        for (const auto& [name, frame] : frames) {
            if (writeTo != nullptr) {
                EXPECT_TRUE(Save(frame, std::string(writeTo) + "/" + name + ".png")) << name;
                continue;
            }
            Image reference;
            ASSERT_TRUE(Load(DataDir() + "/" + name + ".png", reference)) << name;
            const Comparison c = Compare(frame, reference);
            EXPECT_LE(c.offShare, MaxOffShare) << name << ": worst channel difference " << c.worst;
        }
    }
    currentLevel = 1;
    SetupLevel(1);  // a world from the game's own files for the tests after this one
}

}  // namespace
