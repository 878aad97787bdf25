// A small fuzzing driver shared by the reader harnesses, runnable by hand.
// Built with g++ it is a plain random-mutation loop:
//     fuzz_<reader> [runs] [seed] [seconds]   (defaults: 100000 runs, seed 1, no time limit)
// It starts from the harness's seed inputs, stacks a few random mutations on one of them
// (bit flips, bytes, cuts, copies, splices, tokens from the harness's dictionary), runs the
// reader on the result and checks the harness's rules. A broken rule writes the input to
// fuzz-failure-<reader>.bin and aborts; under the sanitizer build (build-asan) memory errors
// and undefined behaviour stop it too. Built with clang and -DQV_LIBFUZZER it is a libFuzzer
// target instead (see tests/fuzz/CMakeLists.txt).
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace fuzz {

// What one harness gives the driver.
struct Harness {
    const char* name;
    std::vector<std::string> seeds;
    std::vector<std::string> dictionary;  // tokens worth inserting whole
    size_t maxSize;                        // inputs are cut to this many bytes
    void (*runOne)(const std::string& input);
};

// Where the harnesses write their scratch files: memory when the system has it, since
// every run writes a file.
inline std::string ScratchRoot() {
    FILE* probe = std::fopen("/dev/shm/.qv-fuzz-probe", "w");
    if (probe == nullptr) return "/tmp/";
    std::fclose(probe);
    std::remove("/dev/shm/.qv-fuzz-probe");
    return "/dev/shm/";
}

// Set up by the harness once, before the first input.
Harness MakeHarness();

// The folder the harness was started in (harnesses may change to a scratch folder).
inline const std::filesystem::path startFolder = std::filesystem::current_path();

// Removes a harness's scratch folder when the process ends normally.
inline void RemoveAtExit(const std::filesystem::path& folder) {
    static std::filesystem::path doomed;
    doomed = folder;
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::current_path(startFolder, ignored);
        std::filesystem::remove_all(doomed, ignored);
    });
}

// Reports a broken rule for the input being run, keeps the input in the folder the harness
// was started in and ends the process.
[[noreturn]] inline void Fail(const char* harness, const std::string& input, const std::string& rule) {
    const std::string path = (startFolder / (std::string("fuzz-failure-") + harness + ".bin")).string();
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(input.data(), 1, input.size(), out);
        std::fclose(out);
    }
    std::fprintf(stderr, "fuzz_%s: %s (input kept in %s)\n", harness, rule.c_str(), path.c_str());
    std::abort();
}

// One to five stacked random changes of input.
class Mutator {
public:
    Mutator(const Harness& harness, uint32_t seed) : harness_(harness), random_(seed) {}

    std::string mutate(std::string input) {
        const int steps = 1 + pick(5);
        for (int i = 0; i < steps; ++i) mutateOnce(input);
        if (input.size() > harness_.maxSize) input.resize(harness_.maxSize);
        return input;
    }
    size_t pick(size_t bound) { return bound == 0 ? 0 : static_cast<size_t>(random_() % bound); }

private:
    void mutateOnce(std::string& s) {
        const size_t at = pick(s.size() + 1);
        switch (pick(8)) {
            case 0:
                if (!s.empty()) s[pick(s.size())] ^= static_cast<char>(1u << pick(8));
                break;
            case 1:
                if (!s.empty()) s[pick(s.size())] = static_cast<char>(pick(256));
                break;
            case 2: s.insert(at, 1, static_cast<char>(pick(256))); break;
            case 3: s.erase(at, 1 + pick(8)); break;
            case 4: {  // copy a piece of the input elsewhere
                if (s.empty()) break;
                const size_t from = pick(s.size());
                s.insert(at, s.substr(from, 1 + pick(16)));
                break;
            }
            case 5: {  // splice in a piece of another seed
                const std::string& other = harness_.seeds[pick(harness_.seeds.size())];
                if (other.empty()) break;
                const size_t from = pick(other.size());
                s.insert(at, other.substr(from, 1 + pick(32)));
                break;
            }
            case 6: {  // replace a digit run by a token
                const std::string& token = harness_.dictionary[pick(harness_.dictionary.size())];
                size_t end = at;
                while (end < s.size() && s[end] >= '0' && s[end] <= '9') ++end;
                s.replace(at, end - at, token);
                break;
            }
            default: s.insert(at, harness_.dictionary[pick(harness_.dictionary.size())]); break;
        }
    }

    const Harness& harness_;
    std::mt19937 random_;
};

}  // namespace fuzz

#ifdef QV_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fuzz::Harness harness = fuzz::MakeHarness();
    harness.runOne(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
#else
int main(int argc, char** argv) {
    const long runs = argc > 1 ? std::atol(argv[1]) : 100000;
    const uint32_t seed = argc > 2 ? static_cast<uint32_t>(std::atol(argv[2])) : 1u;
    const double timeLimit = argc > 3 ? std::atof(argv[3]) : 0.0;
    const fuzz::Harness harness = fuzz::MakeHarness();
    fuzz::Mutator mutator(harness, seed);
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& input : harness.seeds) harness.runOne(input);
    double slowest = 0.0;
    double lastReport = 0.0;
    long run = 0;
    for (; run < runs; ++run) {
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (timeLimit > 0.0 && elapsed > timeLimit) break;
        if (elapsed - lastReport >= 10.0) {
            std::fprintf(stderr, "fuzz_%s: %ld runs in %.0f s\n", harness.name, run, elapsed);
            lastReport = elapsed;
        }
        const std::string input = mutator.mutate(harness.seeds[mutator.pick(harness.seeds.size())]);
        const auto before = std::chrono::steady_clock::now();
        harness.runOne(input);
        const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - before).count();
        if (took > slowest) slowest = took;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("fuzz_%s: %ld runs (+%zu seeds) in %.1f s, slowest input %.3f s, no rule broken\n", harness.name,
                run, harness.seeds.size(), seconds, slowest);
    return 0;
}
#endif
