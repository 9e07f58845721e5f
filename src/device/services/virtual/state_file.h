// The virtual keyboard's state file: its memory areas, kept across runs.
//
// Layout (little-endian): the 8-byte magic "QFVKSTAT", u32 version 1, u32 area count 6, then
// per area u8 area number, u32 length and the bytes, then a u32 FNV-1a hash of everything
// before it. Every area appears exactly once; every size is that of the area, except the macro
// memory's, which is fitted to the keyboard's own on loading.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "device/services/virtual/keyboard_memory.h"
#include "text/safe_file.h"

namespace qf::vkbd {

std::vector<std::uint8_t> SerializeState(const KeyboardMemory& memory);

// 1 and `memory` replaced when `bytes` is a valid state; 0 with `memory` untouched otherwise.
// The macro memory keeps the size `memory` has: the stored one is cut or zero-filled to it.
[[nodiscard]] int ParseState(std::span<const std::uint8_t> bytes, KeyboardMemory& memory);

// 1 when written with text::WriteFileAtomically (a failure leaves the previous file whole and
// no temporary file behind; a link is followed, a write-protected file or one that is not a
// regular file is refused); 0 otherwise, with the reason in `error` when given.
// `faults` is the crash-safety tests' seam (text/safe_file.h): a step it refuses fails.
[[nodiscard]] int SaveStateFile(const std::filesystem::path& path, const KeyboardMemory& memory,
                                const text::WriteFaults* faults = nullptr,
                                std::string* error = nullptr);
// 1 when the file was read and valid; 0 otherwise (missing, unreadable, too large, broken),
// `memory` then untouched.
[[nodiscard]] int LoadStateFile(const std::filesystem::path& path, KeyboardMemory& memory);

}  // namespace qf::vkbd
