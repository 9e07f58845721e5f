// Saving and loading the largest valid profile file (100 macros of 2000 actions) beside a plain
// write and read of the same bytes, the flush of a durable save on its own, and building the
// largest macro memory image. Run with --benchmark_repetitions=N for medians.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "macros/macro_image.h"
#include "profiles/profile_store.h"
#include "text/safe_file.h"

namespace {

namespace fs = std::filesystem;
using namespace qf;

fs::path BenchFolder() {
    static const fs::path folder = [] {
        fs::path p =
            fs::temp_directory_path() / ("qf-profiles-bench-" + std::to_string(::getpid()));
        fs::create_directories(p);
        return p;
    }();
    return folder;
}

macros::MacroRecord FullMacro(std::uint16_t id, std::size_t actions) {
    macros::MacroRecord m;
    m.SetName(std::u16string(macros::kMacroNameMaxChars, u'm'));
    m.id = id;
    m.repeatCount = 1;
    for (std::size_t j = 0; j < actions; ++j) {
        m.AppendAction({static_cast<std::int32_t>(10 * (j % 4000)),
                        static_cast<std::uint16_t>(0x010 + j % 0x40),
                        static_cast<std::uint16_t>(j & 1)});
    }
    return m;
}

// The largest valid profile: 100 macros of 2000 actions and a string on every eighth record.
void FillLargest(profiles::ProfileStore& store) {
    auto access = store.Lock();
    access->mainBlock = profiles::NewMainBlock(0);
    access->macros.clear();
    for (std::uint16_t id = 1; id <= macros::kMaxMacros; ++id) {
        access->macros.push_back(FullMacro(id, macros::kMaxMacroActions));
    }
    for (std::size_t n = 0; n < profiles::kKeyRecordCount; n += 8) {
        access->SetRecord(n, {6, 0, 0, 0, 0});
        access->strings.Set(n, u"C:/Program Files/Something/program.exe");
    }
}

std::vector<std::uint8_t> LargestFileBytes() {
    profiles::ProfileStore store;
    FillLargest(store);
    std::vector<std::uint8_t> bytes;
    auto access = store.Lock();
    (void)profiles::BuildProfileFile(*access, bytes);
    return bytes;
}

void PlainWrite(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    std::size_t done = 0;
    while (fd >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

void BM_SaveLargestProfile(benchmark::State& state) {
    profiles::ProfileStore store;
    FillLargest(store);
    const fs::path path = BenchFolder() / "save.fwc";
    profiles::SaveOptions options;
    options.flush = false;
    for (auto _ : state) {
        if (profiles::SaveProfileFile(store, path, options) != 1) {
            state.SkipWithError("save failed");
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(fs::file_size(path)));
}
BENCHMARK(BM_SaveLargestProfile)->Unit(benchmark::kMillisecond);

void BM_PlainWriteSameBytes(benchmark::State& state) {
    const auto bytes = LargestFileBytes();
    const fs::path path = BenchFolder() / "plain.bin";
    for (auto _ : state) {
        PlainWrite(path, bytes);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_PlainWriteSameBytes)->Unit(benchmark::kMillisecond);

// The durable save as the program runs it: the flush to disk dominates and depends on the disk.
void BM_SaveLargestProfileFlushed(benchmark::State& state) {
    profiles::ProfileStore store;
    FillLargest(store);
    const fs::path path = BenchFolder() / "durable.fwc";
    for (auto _ : state) {
        if (profiles::SaveProfileFile(store, path) != 1) {
            state.SkipWithError("save failed");
        }
    }
}
BENCHMARK(BM_SaveLargestProfileFlushed)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_LoadLargestProfile(benchmark::State& state) {
    const fs::path path = BenchFolder() / "load.fwc";
    const auto bytes = LargestFileBytes();
    PlainWrite(path, bytes);
    profiles::ProfileStore store;
    for (auto _ : state) {
        auto access = store.Lock();
        if (profiles::LoadProfileFile(access, path) != 1) {
            state.SkipWithError("load failed");
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_LoadLargestProfile)->Unit(benchmark::kMillisecond);

void BM_PlainReadSameBytes(benchmark::State& state) {
    const fs::path path = BenchFolder() / "read.bin";
    const auto bytes = LargestFileBytes();
    PlainWrite(path, bytes);
    std::vector<std::uint8_t> in;
    for (auto _ : state) {
        if (text::ReadWholeFile(path, in, bytes.size()) != 1) {
            state.SkipWithError("read failed");
        }
        benchmark::DoNotOptimize(in.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_PlainReadSameBytes)->Unit(benchmark::kMillisecond);

// The largest image the 16-bit format can hold with names: 100 macros, 249-unit names and 37
// actions each (65216 bytes); and the keyboard's largest macro memory (255 x 128 bytes).
void BM_BuildLargestMacroImage(benchmark::State& state) {
    const auto actions = static_cast<std::size_t>(state.range(0));
    const bool names = state.range(1) != 0;
    std::vector<macros::MacroRecord> list;
    for (std::uint16_t id = 1; id <= macros::kMaxMacros; ++id) {
        list.push_back(FullMacro(id, actions));
    }
    const macros::ImageSizes sizes = macros::MacroImageSizes(list);
    const std::size_t size = names ? sizes.withNames : sizes.withoutNames;
    std::vector<std::uint8_t> image(size);
    for (auto _ : state) {
        if (macros::BuildMacroImage(list, image, size, names) != 1) {
            state.SkipWithError("image refused");
        }
        benchmark::DoNotOptimize(image.data());
    }
    state.counters["image_bytes"] = static_cast<double>(size);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(size));
}
BENCHMARK(BM_BuildLargestMacroImage)
    ->Args({37, 1})
    ->Args({162, 0})
    ->Args({80, 0})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
