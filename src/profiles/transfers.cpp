#include "profiles/transfers.h"

#include <array>
#include <vector>

#include "device/result.h"
#include "keys/keymap_image.h"
#include "macros/macro_image.h"
#include "text/language_keys.h"
#include "text/utf.h"

namespace qf::profiles {

namespace {

constexpr std::size_t kMacroHeadSize = macros::kImageHeaderSize;  // 16 bytes
constexpr int kHighestReadableProfile = 3;

// Reports a failed read: `what` as the error, and as the record's reason unless a command's
// failure is already recorded there.
int Fail(std::string* error, device::Failure* failure, const std::string& what) {
    if (error != nullptr) {
        *error = what;
    }
    if (failure != nullptr && !failure->failed()) {
        failure->reason = what;
    }
    return 0;
}

}  // namespace

std::filesystem::path ProfileTransfers::CachePath() const {
    return ProfileCachePath(deps_.profileFolder, 0);
}

DownloadDependencies ProfileTransfers::Download() const {
    return {deps_.device, deps_.defaultKeymap, deps_.state, deps_.prompter, deps_.language};
}

int ProfileTransfers::ApplyStoreToKeyboard(bool all, DownloadReport* report) {
    auto store = deps_.store.Lock();
    return ApplyStoreToKeyboard(store, all, report);
}

int ProfileTransfers::ApplyStoreToKeyboard(ProfileStore::Access& store, bool all,
                                           DownloadReport* report) {
    auto staging = CopyStoreToStaging(store);
    if (!staging->HasMainBlock()) {
        if (report != nullptr) {
            *report = DownloadReport{};
            report->failure.reason = "there is no profile to write";
        }
        return 0;
    }
    return DownloadToKeyboard(staging, all, Download(), report);
}

int ProfileTransfers::ReadKeyboardIntoFile(const std::filesystem::path& path, std::string* error,
                                           device::Failure* failure) {
    device::Failure local;
    device::Failure& record = failure != nullptr ? *failure : local;
    record = device::Failure{};
    record.file = path.string();
    StoreContents contents;
    if (ReadKeyboardContents(contents, error, &record) != 1) {
        return 0;
    }
    std::string why;
    if (WriteProfileFile(path, contents, deps_.saveOptions, &why) != 1) {
        record.reason = "the file cannot be written: " + why;
        if (error != nullptr) {
            *error = why;
        }
        return 0;
    }
    record.file.clear();
    return 1;
}

int ProfileTransfers::ReadKeyboardIntoStore(std::string* error, device::Failure* failure) {
    if (failure != nullptr) {
        *failure = device::Failure{};
    }
    StoreContents contents;
    if (ReadKeyboardContents(contents, error, failure) != 1) {
        return 0;
    }
    auto store = deps_.store.Lock();
    *store = std::move(contents);
    return 1;
}

int ProfileTransfers::ReadKeyboardContents(StoreContents& out, std::string* error,
                                           device::Failure* failure) {
    // The read stops at the first failing command; `place` receives where it failed.
    device::Failure place;
    const auto fail = [&](const std::string& what) {
        if (failure != nullptr) {
            failure->KeepFirst(place);
        }
        return Fail(error, failure, what);
    };
    const int active = deps_.activeProfile.ReadActiveProfile();
    if (active < 0) {
        return fail("the keyboard's device info cannot be read");
    }
    if (active > kHighestReadableProfile) {
        return fail("the keyboard reports profile " + std::to_string(active));
    }

    std::array<keys::KeymapImage, kDeviceKeyBlockCount> keymaps{};
    for (unsigned b = 0; b < keymaps.size(); ++b) {
        if (deps_.device.ReadKeymapBlock(keymaps[b], b, &place) != device::DeviceResult::Ok) {
            return fail("keymap " + std::to_string(b) + " cannot be read");
        }
    }

    std::array<std::uint8_t, kMacroHeadSize> head{};
    if (deps_.device.ReadMacroArea(head.data(), head.size(), &place) != device::DeviceResult::Ok) {
        return fail("the macro memory cannot be read");
    }
    std::vector<macros::MacroRecord> records;
    if (ReadLe16(head.data() + macros::kImageMagicOffset) == macros::kMacroImageMagic) {
        const std::uint16_t size = ReadLe16(head.data() + macros::kImageSizeOffset);
        std::vector<std::uint8_t> image(size);
        if (deps_.device.ReadMacroArea(image.data(), size, &place) != device::DeviceResult::Ok) {
            return fail("the macro memory cannot be read");
        }
        const std::u16string prefix =
            text::Utf8ToUtf16(deps_.language.Text(text::TextId::MACRO_NEW_PREFIX));
        macros::ImageReadResult read = macros::MacroImageToRecords(image, prefix);
        // A macro memory the reader refuses holds no macro the system can show or play.
        if (read.result == 1) {
            records = std::move(read.records);
        }
    }

    StoreContents contents;
    contents.mainBlock = NewMainBlock(0);
    const keys::KeymapImage defaults = deps_.defaultKeymap.Get();
    for (std::size_t b = 0; b < keymaps.size(); ++b) {
        if (keys::KeymapImageToKeyBlock(keymaps[b], defaults, contents.MutableKeyBlock(b)) != 1) {
            return fail("internal: key block size");
        }
    }
    contents.macros = std::move(records);
    // As a save lays them out: the header counts the macros and the string area, and a record
    // of a string kind gets its empty string (the keyboard keeps no texts).
    const std::uint64_t stringBytes = PlaceStrings(contents);
    RefreshHeader(contents.mainBlock, static_cast<std::uint16_t>(contents.macros.size()),
                  static_cast<std::uint32_t>(stringBytes), 0);
    out = std::move(contents);
    return 1;
}

int ProfileTransfers::ReadKeyboardIntoCache(std::filesystem::path& path) {
    (void)EnsureProfileFolder(deps_.profileFolder);
    const int active = deps_.activeProfile.ReadActiveProfile();
    if (active < 0) {
        return 0;
    }
    path = ProfileCachePath(deps_.profileFolder, active);
    return ReadKeyboardIntoFile(path);
}

int ProfileTransfers::LoadProfileFromKeyboard(bool quiet) {
    // Without a profile folder there is no cache file (rather than one in the working folder):
    // the keyboard is read in memory, which gives what loading the file would.
    const bool noFolder = deps_.profileFolder.empty();
    StoreContents contents;
    std::filesystem::path cache;
    const bool read =
        noFolder ? ReadKeyboardContents(contents) == 1 : ReadKeyboardIntoCache(cache) == 1;
    {
        auto store = deps_.store.Lock();
        // Replaces the store only when the whole file loads.
        bool loaded = false;
        if (noFolder) {
            if (read) {
                *store = std::move(contents);
                loaded = true;
            }
        } else {
            loaded = read && LoadProfileFile(store, cache) == 1;
        }
        if (!loaded) {
            FreeStoreContents(store);
            InstallBlankMainBlock(store, 0);
        }
        deps_.assignments.RefreshAssignmentViews(store);
    }
    if (!quiet) {
        deps_.window.ClearUnapplied();
    }
    return 1;
}

int ProfileTransfers::ReloadStoreFromKeyboard() {
    if (deps_.profileFolder.empty()) {
        return ReadKeyboardIntoStore();  // no cache file without a profile folder
    }
    std::filesystem::path cache;
    if (ReadKeyboardIntoCache(cache) != 1) {
        return 0;
    }
    auto store = deps_.store.Lock();
    return LoadProfileFile(store, cache) == 1 ? 1 : 0;
}

ImportResult ProfileTransfers::ImportProfileFile(const std::filesystem::path& path,
                                                 DownloadReport* report) {
    if (report != nullptr) {
        *report = DownloadReport{};
    }
    const auto refuse = [this, &path](std::string reason) {
        deps_.prompter.ShowMessage(text::TextId::MAIN_PROMPT_INPORT,
                                   deps_.language.Text(text::TextId::MAIN_PROMPT_INPORT));
        ImportResult refused;
        refused.failure.reason = std::move(reason);
        refused.failure.file = path.string();
        return refused;
    };
    const Validation validation = ValidateProfileFile(path);
    if (validation.result != 1) {
        if (validation.formatError) {
            deps_.prompter.ShowMessage(
                text::TextId::PROFILE_FORMAT_ERROR,
                deps_.language.Format(text::TextId::PROFILE_FORMAT_ERROR, path.string()));
        }
        return refuse(validation.formatError ? "not a profile file (malformed header)"
                                             : "not a valid profile file");
    }
    ImportResult result;
    {
        auto store = deps_.store.Lock();
        // A file that passed the header check but cannot be read whole (cut short, changed
        // meanwhile) leaves the store as it was: nothing half-loaded reaches the cache file or
        // the keyboard.
        if (LoadProfileFile(store, path) != 1) {
            return refuse("the profile file cannot be loaded whole");
        }
        result.result = 1;
        // Without a profile folder there is no cache file (rather than one in the working
        // folder).
        if (!deps_.profileFolder.empty()) {
            (void)SaveProfileCache(store, CachePath(), deps_.saveOptions);
        }
        DownloadReport local;
        DownloadReport& sent = report != nullptr ? *report : local;
        if (ApplyStoreToKeyboard(store, true, &sent) == 1) {
            result.download = device::DeviceResult::Ok;
        } else {
            result.download = WriteSequenceResult(sent.failure);
            result.failure = sent.failure;
            result.failure.file = path.string();
        }
        deps_.assignments.RefreshAssignmentViews(store);
    }
    deps_.window.ClearUnapplied();
    return result;
}

int ProfileTransfers::ApplyChanges(ApplyReport* report, bool allProfiles) {
    ApplyReport local;
    ApplyReport& out = report != nullptr ? *report : local;
    out = ApplyReport{};
    if (!deps_.window.HasUnappliedChanges()) {
        return 1;
    }
    out.attempted = true;
    out.allProfiles = allProfiles;
    auto store = deps_.store.Lock();
    // Without a profile folder the program keeps no cache file: there is nothing to save.
    if (!deps_.profileFolder.empty()) {
        out.cacheSaved = SaveProfileCache(store, CachePath(), deps_.saveOptions, &out.cacheError);
        if (out.cacheSaved != 1) {
            out.failure.reason = "the profile cache file cannot be saved: " + out.cacheError;
            out.failure.file = CachePath().string();
        }
    }
    out.download = ApplyStoreToKeyboard(store, allProfiles, &out.downloadReport);
    out.failure.KeepFirst(out.downloadReport.failure);
    if (out.cacheSaved == 1 && out.download == 1) {
        deps_.window.ClearUnapplied();
        return 1;
    }
    return 0;
}

}  // namespace qf::profiles
