// Whole-file reads and crash-safe whole-file writes.
//
// Every file the program writes goes through WriteFileAtomically: the bytes are written to a
// temporary file in the same folder, flushed to disk, then renamed over the target, so a crash
// or a full disk leaves either the complete old file or the complete new one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace qf::text {

// The steps of an atomic write, in order.
enum class WriteStep { CreateTemp, Write, Flush, Close, Rename };

// A fault seam for crash-safety tests: `beforeStep` is called before each step; returning false
// makes that step fail as if the system had refused it.
struct WriteFaults {
    std::function<bool(WriteStep)> beforeStep;
};

// 1 on success, 0 on failure (the target is then untouched and no temporary file is left).
// `error`, when given, receives a short description of the failure. Without `flush` the data is
// not forced to disk before the rename: the write stays atomic against a crash of the program but
// not against a power loss (for measurements and scratch files).
[[nodiscard]] int WriteFileAtomically(const std::filesystem::path& path,
                                      std::span<const std::uint8_t> bytes,
                                      const WriteFaults* faults = nullptr,
                                      std::string* error = nullptr, bool flush = true);

// Reads the whole file, opened for reading only. 1 on success; 0 when it cannot be opened or
// read, or is larger than `maxSize` bytes (`out` is then left empty).
[[nodiscard]] int ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& out,
                                std::size_t maxSize, std::string* error = nullptr);

}  // namespace qf::text
