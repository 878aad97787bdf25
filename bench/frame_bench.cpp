// Frame time of every shipped level, headless under an X display (Xvfb), software GL.
// Runs the real start-up once, then per level: the intro frames, play frames without and
// with a smoke burst running, the first frames of a burst that was never drawn before
// (a tile stepped on for the first time) and of the start tile's burst ("f"), and the name
// screen after a run, with ordinary names and with a 5 MB name in the table and a long typed one.
// A frame is UpdateFrame + RenderFrame + glFinish, not paced: work time only.
// Run from the build folder (res/ is staged there):
//   DISPLAY=:N ./frame_bench [frames per measurement, 240] [first level, 1] [last level, 5]
// Prints one "result" line per level and figure, for bench/compare_frames.sh to collect.
#include <GL/glew.h>
#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include <vector>

#include "app/GameFlow.h"
#include "app/GameState.h"
#include "app/Globals.h"
#include "objects/Hex.h"
#include "objects/ParticleObject.h"

namespace {

constexpr float FrameMs = 17.0f;        // a 60 Hz frame, as the main loop hands it on
constexpr float PlayClock = 13.0f;      // level seconds after "LET'S GO"
constexpr int WarmUpFrames = 10;
constexpr int BurstFirstFrames = 3;     // frames that count as a burst's start
constexpr int BurstFrames = 58;         // a burst runs 1000 ms: 59 frames of 17 ms
constexpr size_t LongTableName = 5u << 20;
constexpr size_t LongTypedName = 1000;
constexpr int NameScreenFrames = 10;    // few: a frame took seconds when every byte was drawn

std::FILE* out = stdout;  // the figures; the game's own lines go to /dev/null

double FrameWork() {
    const auto start = std::chrono::steady_clock::now();
    UpdateFrame();
    RenderFrame();
    glFinish();
    SDL_PumpEvents();  // keeps the X queue short; costs next to nothing
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The name screen draws without an update, as the main loop runs it after a run.
double NameScreenFrame() {
    const auto start = std::chrono::steady_clock::now();
    RenderFrame();
    glFinish();
    SDL_PumpEvents();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Percentile(std::vector<double> values, double share) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, static_cast<size_t>(share * static_cast<double>(values.size())));
    return values[index];
}

double Median(const std::vector<double>& values) {
    return Percentile(values, 0.5);
}

void Result(int level, const char* figure, double ms) {
    std::fprintf(out, "result level=%d %s %.2f\n", level, figure, ms);
}

void EnterPlay() {
    introCamera = false;
    letsGo = false;
    levelClock = PlayClock;
    gameState = GameState::Play;
}

// Runs frames until the burst has ended; returns every frame's time.
std::vector<double> RunBurst(object::ParticleObject* burst) {
    burst->active = true;
    std::vector<double> times;
    for (int frame = 0; frame < BurstFrames + 5 && burst->active; ++frame) times.push_back(FrameWork());
    return times;
}

double MaxOfFirst(const std::vector<double>& times) {
    double worst = 0.0;
    for (size_t i = 0; i < times.size() && i < static_cast<size_t>(BurstFirstFrames); ++i)
        worst = std::max(worst, times[i]);
    return worst;
}

// Everything after a burst's start, while it still runs.
std::vector<double> Running(const std::vector<double>& times) {
    if (times.size() <= static_cast<size_t>(BurstFirstFrames)) return {};
    return std::vector<double>(times.begin() + BurstFirstFrames, times.end());
}

double NameScreenMedian(int frames) {
    std::vector<double> times;
    for (int i = 0; i < frames; ++i) times.push_back(NameScreenFrame());
    return Median(times);
}

void MeasureNameScreen(int level, int frames) {
    const int savedState = gameState;
    const std::vector<Score> savedScores = scoreList;
    const std::string savedLine = nameEntryLine;
    gameState = GameState::GameOver;
    showScores = true;
    scoreList = {{"Bob", 12}, {"Ann", 9}, {"Zoe", 4}};
    nameEntryLine = "Enter name:Zed_";
    NameScreenFrame();
    Result(level, "name_screen_median_ms", NameScreenMedian(frames));

    scoreList.insert(scoreList.begin() + 1, {std::string(LongTableName, 'W'), 10});
    nameEntryLine = "Enter name:" + std::string(LongTypedName, 'w') + "_";
    NameScreenFrame();
    Result(level, "name_screen_long_median_ms", NameScreenMedian(NameScreenFrames));

    scoreList = savedScores;
    nameEntryLine = savedLine;
    showScores = false;
    gameState = savedState;
}

void MeasureLevel(int level, int frames) {
    currentLevel = level;
    const auto setupStart = std::chrono::steady_clock::now();
    SetupLevel(level);
    glFinish();
    Result(level, "setup_ms", std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - setupStart).count());
    gameState = GameState::Intro;
    deltaMs = FrameMs;

    Result(level, "first_frame_ms", FrameWork());
    std::vector<double> intro;
    for (int i = 0; i < frames; ++i) {
        levelClock = 1.0f;  // stays in the intro
        intro.push_back(FrameWork());
    }
    Result(level, "intro_median_ms", Median(intro));

    EnterPlay();
    for (int i = 0; i < WarmUpFrames; ++i) FrameWork();
    std::vector<double> play;
    for (int i = 0; i < frames; ++i) play.push_back(FrameWork());
    Result(level, "play_median_ms", Median(play));
    Result(level, "play_p99_ms", Percentile(play, 0.99));

    // A tile's burst that has never been drawn: the first step on it.
    object::Hex* tile = hexList.size() > 1 ? hexList[1] : hexPrototype;
    const std::vector<double> step = RunBurst(tile->burst);
    Result(level, "step_first_max_ms", MaxOfFirst(step));
    Result(level, "step_running_median_ms", Median(Running(step)));

    // "f": the start tile's burst, its first run on this level and then a second run.
    const std::vector<double> firstF = RunBurst(hexPrototype->burst);
    Result(level, "f_first_max_ms", MaxOfFirst(firstF));
    const std::vector<double> againF = RunBurst(hexPrototype->burst);
    Result(level, "f_again_max_ms", MaxOfFirst(againF));

    // Play with one burst running throughout: start it again whenever it ends.
    std::vector<double> busy;
    while (static_cast<int>(busy.size()) < frames) {
        hexPrototype->burst->active = true;
        busy.push_back(FrameWork());
    }
    Result(level, "burst_play_median_ms", Median(busy));
    Result(level, "burst_play_p99_ms", Percentile(busy, 0.99));

    MeasureNameScreen(level, frames);
    std::fflush(out);
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(10, std::atoi(argv[1])) : 240;
    const int firstLevel = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
    const int lastLevel = argc > 3 ? std::max(firstLevel, std::atoi(argv[3])) : 5;
    if (std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "frame_bench: needs an X display (DISPLAY), e.g. Xvfb\n");
        return 1;
    }
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
    // The game's own progress lines would bury the figures.
    const int figures = dup(STDOUT_FILENO);
    if (figures < 0 || (out = fdopen(figures, "w")) == nullptr || !std::freopen("/dev/null", "w", stdout)) {
        std::fprintf(stderr, "frame_bench: cannot set up the output\n");
        return 1;
    }
    InitSystems();
    for (int level = firstLevel; level <= lastLevel; ++level) MeasureLevel(level, frames);
    return 0;
}
