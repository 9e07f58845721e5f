// Replays seeds through a fuzz target without libFuzzer, so that the seed corpora run as
// ordinary tests in every build (GCC, sanitizers) and not only under clang's fuzzing build.
//
//   <target>_replay FOLDER|FILE...
//
// Every file named, and every file of every folder named (in name order), goes once through the
// target's LLVMFuzzerTestOneInput, in a buffer of exactly its size so that a sanitizer build
// catches a read past the end. A check that fails inside the target aborts the program. Exits 1
// when a target returns anything but 0, a seed cannot be read, or no seed was found.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

bool Collect(const fs::path& path, std::vector<fs::path>& seeds) {
    std::error_code ec;
    if (fs::is_regular_file(path, ec)) {
        seeds.push_back(path);
        return true;
    }
    if (!fs::is_directory(path, ec)) {
        std::fprintf(stderr, "replay: %s is neither a seed file nor a folder\n", path.c_str());
        return false;
    }
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(path, ec)) {
        if (entry.is_regular_file(ec)) {
            found.push_back(entry.path());
        }
    }
    std::sort(found.begin(), found.end());
    seeds.insert(seeds.end(), found.begin(), found.end());
    return !ec;
}

bool Replay(const fs::path& seed) {
    std::ifstream in(seed, std::ios::binary);
    std::vector<char> bytes;
    if (in) {
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (!in) {
        std::fprintf(stderr, "replay: cannot read %s\n", seed.c_str());
        return false;
    }
    std::printf("%s (%zu bytes)\n", seed.c_str(), bytes.size());
    std::fflush(stdout);  // the name stays on record when the target aborts
    const auto buffer = std::make_unique<std::uint8_t[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), buffer.get());
    if (LLVMFuzzerTestOneInput(buffer.get(), bytes.size()) != 0) {
        std::fprintf(stderr, "replay: the target refused %s\n", seed.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<fs::path> seeds;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        ok = Collect(argv[i], seeds) && ok;
    }
    if (seeds.empty()) {
        std::fprintf(stderr, "replay: no seeds found\n");
        return 1;
    }
    for (const fs::path& seed : seeds) {
        ok = Replay(seed) && ok;
    }
    std::printf("%zu seeds replayed\n", seeds.size());
    return ok ? 0 : 1;
}
