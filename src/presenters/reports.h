// What the main window tells the user beyond the language file's messages: the macro memory
// meter, and what failed when an Apply, an import's download or an export did not succeed.
// The texts are the program's own (English); the keys and wordings of the language file are
// kept for the messages the keyboard software has always shown.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "macros/macro_image.h"
#include "profiles/download.h"
#include "profiles/transfers.h"

namespace qf::presenters {

// The macro memory meter: how much of the keyboard's macro memory the macros of the store take
// and whether the next download would keep their names.
struct MacroMeter {
    std::string text;
    std::uint32_t used = 0;      // bytes the next download would write
    std::uint32_t capacity = 0;  // the keyboard's macro memory; 0 while it is not known
    std::uint32_t withNames = 0;
    std::uint32_t withoutNames = 0;
    bool namesDropped = false;  // only the image without names fits: the names are left out
    bool tooLarge = false;      // not even that fits: a download would write nothing
    bool operator==(const MacroMeter&) const = default;
};

[[nodiscard]] MacroMeter DescribeMacroMemory(macros::ImageSizes sizes, std::uint32_t capacity);

// Why a download wrote nothing or failed part-way, for the sentences below: the failing
// command and where it failed, or why nothing was sent.
[[nodiscard]] std::string DescribeDownloadProblem(const profiles::DownloadReport& report);

// A failed Apply: what was not done (the keyboard not written, the cache file not saved, or
// both) and that Apply stays enabled. `cachePath` names the cache file; `cacheExists` tells
// whether it exists at all (it is made only when the keyboard is read after it arrives).
[[nodiscard]] std::string DescribeApplyFailure(const profiles::ApplyReport& report,
                                               const std::filesystem::path& cachePath,
                                               bool cacheExists);

// An import whose file was loaded but whose download failed.
[[nodiscard]] std::string DescribeImportDownloadFailure(const profiles::DownloadReport& report);

// An export that was not written.
[[nodiscard]] std::string DescribeExportFailure(const std::filesystem::path& path,
                                                std::string_view reason);

}  // namespace qf::presenters
