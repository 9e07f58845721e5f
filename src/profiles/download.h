// The download: the staging store's macros and keymaps written to the keyboard.
//
//   capacity check -> BeginTransfer -> WriteMacroArea (whole image)
//                  -> WriteKeymapBlock 0, 1, 2 (or the active profile's only) -> EndTransfer
//
// The macro memory image is built with names when they fit the keyboard's macro memory and
// without them otherwise; when even the image without names is too large nothing is sent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/app_state.h"
#include "device/commands.h"
#include "device/failure.h"
#include "device/result.h"
#include "keys/default_keymap.h"
#include "profiles/profile_store.h"
#include "text/language.h"
#include "text/prompter.h"

namespace qf::profiles {

struct DownloadDependencies {
    device::DeviceCommands& device;
    const keys::DefaultKeymap& defaultKeymap;
    app::AppState& state;
    text::Prompter& prompter;
    const text::LanguageTable& language;
};

// What a download did, for callers that report more than its result.
struct DownloadReport {
    bool tooLong = false;            // the macros do not fit even without names: nothing was sent
    bool namesDropped = false;       // the image went without names
    std::uint32_t capacity = 0;      // the keyboard's macro memory in bytes
    std::uint32_t imageSize = 0;     // the macro memory image sent
    std::vector<unsigned> profiles;  // keymap blocks sent, in order
    // What went wrong first: the first command that failed (the device info read included),
    // with its block and report, or why nothing was sent. None exactly when the download
    // succeeded.
    device::Failure failure;
};

// The result of a download's write sequence (BeginTransfer to EndTransfer) as callers that
// know no more than one code see it: the failing write's result, or NoDevice when the failure
// came before anything was written (the device info read, the capacity check).
[[nodiscard]] device::DeviceResult WriteSequenceResult(const device::Failure& failure);

// Writes the staging store (whose lock the caller holds) to the keyboard: the macro memory and
// the keymaps of profiles 0, 1 and 2 when `all` is set, else of the keyboard's active profile.
//
// The macro memory capacity is the keyboard's own: byte 11 of its device info x 128. It is
// checked before any command is sent, with the capacity the keyboard reported when it arrived
// (AppState); the device info is read for it only when none is known. A single-profile
// download then reads the device info for the active profile (once in all), and when that
// reports another capacity, checks the macros against it again before anything is written. A
// device info that cannot be read, an active profile outside 0..2 or a staging store without a
// main block write nothing and give 0.
//
// Macros too large even without names: EXTRA_MACRO_TOO_LONG, nothing sent, 0. Names left out:
// EXTRA_PROFILE_SPACE_TIGHT after the transfer. Once started, the sequence runs to its end
// whatever a command returns; the result is 1 only when every command of it returned Ok.
// What a download writes: the macro memory image (with names when they fit `capacity`, without
// them otherwise) and the keymap image of each profile in `profiles`, in that order.
struct DownloadImages {
    std::vector<std::uint8_t> macroImage;
    bool namesDropped = false;
    std::vector<std::pair<unsigned, keys::KeymapImage>> keymaps;
};
// 1, or 0 (with `out` empty) when there is no main block, the macros do not fit `capacity` even
// without names, or a profile is not 0..2.
[[nodiscard]] int BuildDownloadImages(const StoreContents& contents,
                                      const std::vector<unsigned>& profiles, std::uint32_t capacity,
                                      const keys::KeymapImage& defaults, DownloadImages& out);

// Whether the keyboard holds what a download of `contents` writes: the macro memory and the
// keymaps of profiles 0..2 (`all`) or of the active profile are read back and compared byte by
// byte. The keyboard's replies carry no checksum the protocol checks, so a read-back is the only
// way to know a write arrived whole.
struct VerifyReport {
    bool same = false;
    std::string where;       // what differs or failed: "the keymap of profile 1", ...
    std::size_t offset = 0;  // the first byte that differs there
    std::uint8_t expected = 0;
    std::uint8_t found = 0;
    device::DeviceResult deviceResult = device::DeviceResult::Ok;  // a read that failed
};
// 1 when everything matches; 0 otherwise, with `report` saying where.
[[nodiscard]] int VerifyKeyboardHolds(const StoreContents& contents, bool all,
                                      const DownloadDependencies& deps, VerifyReport& report);

[[nodiscard]] int DownloadToKeyboard(StagingStore::Access& staging, bool all,
                                     const DownloadDependencies& deps,
                                     DownloadReport* report = nullptr);

}  // namespace qf::profiles
