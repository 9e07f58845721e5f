// Whole-file reads and crash-safe whole-file writes.
//
// Every file the program writes goes through WriteFileAtomically: the bytes are written to a
// temporary file in the same folder, flushed to disk, then renamed over the target, so a crash
// or a full disk leaves either the complete old file or the complete new one.
//
// The write respects what it replaces:
// - a symbolic link is followed: the file it names is replaced and the link stays a link;
// - the target's permission bits are kept, and its owner and group when run as root;
// - a target that exists but is not a regular file (a folder, a device node, a FIFO, a socket)
//   or is not writable is refused and left untouched. Not writable means that access(W_OK)
//   fails or that the file has no write permission bit at all, so that a write-protected file
//   stays protected for root too;
// - a target whose folder does not exist is refused.
//
// The temporary file is named `<target>.tmp-<pid>-<8 hex digits>`. A crash leaves it behind;
// RemoveStaleTempFiles removes such leftovers once their process has ended.
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

// The checks WriteFileAtomically makes before it writes anything, for callers that want to
// refuse a target before doing the work that produces its bytes. 1 when `path` may be written;
// 0 with the reason in `error` otherwise.
[[nodiscard]] int CheckWritableTarget(const std::filesystem::path& path,
                                      std::string* error = nullptr);

// Removes from `folder` the temporary files that interrupted writes left: regular files named
// `<name>.tmp-<pid>-<8 hex digits>` whose process <pid> no longer runs. A write under way in
// another process keeps its file. Returns the number of files removed.
std::size_t RemoveStaleTempFiles(const std::filesystem::path& folder);

// The same for the leftovers of one file: those beside the file `target` names (its symbolic
// links followed, as a write follows them), with its name before ".tmp-".
std::size_t RemoveStaleTempFilesOf(const std::filesystem::path& target);

// Reads the whole file, opened for reading only. 1 on success; 0 when it cannot be opened or
// read, or is larger than `maxSize` bytes (`out` is then left empty).
[[nodiscard]] int ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& out,
                                std::size_t maxSize, std::string* error = nullptr);

}  // namespace qf::text
