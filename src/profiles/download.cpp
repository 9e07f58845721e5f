#include "profiles/download.h"

#include <array>
#include <new>
#include <optional>
#include <span>
#include <string>

#include "keys/keymap_image.h"
#include "macros/macro_image.h"
#include "text/language_keys.h"

namespace qf::profiles {

namespace {

void Show(const DownloadDependencies& deps, text::TextId id) {
    deps.prompter.ShowMessage(id, deps.language.Text(id));
}

}  // namespace

int BuildDownloadImages(const StoreContents& contents, const std::vector<unsigned>& profiles,
                        std::uint32_t capacity, const keys::KeymapImage& defaults,
                        DownloadImages& out) {
    out = DownloadImages{};
    if (!contents.HasMainBlock()) {
        return 0;
    }
    const macros::ImageSizes sizes = macros::MacroImageSizes(contents.macros);
    if (sizes.withoutNames > capacity) {
        return 0;
    }
    const bool names = sizes.withNames <= capacity;
    out.namesDropped = !names;
    const std::uint32_t imageSize = names ? sizes.withNames : sizes.withoutNames;
    try {
        out.macroImage.resize(imageSize);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (macros::BuildMacroImage(contents.macros, out.macroImage, imageSize, names) != 1) {
        return 0;
    }
    // Keymaps refer to macros by their position in the list that goes into the image.
    const auto& list = contents.macros;
    const keys::MacroPositionOf positionOf =
        [&list](std::uint32_t id) -> std::optional<std::size_t> {
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (list[i].id == id) {
                return i;
            }
        }
        return std::nullopt;
    };
    for (const unsigned profile : profiles) {
        keys::KeymapImage image{};
        if (profile >= device::kKeymapBlockCount ||
            keys::KeyBlockToKeymapImage(contents.KeyBlock(profile), defaults, positionOf, image) !=
                1) {
            return 0;
        }
        out.keymaps.emplace_back(profile, image);
    }
    return 1;
}

int VerifyKeyboardHolds(const StoreContents& contents, bool all, const DownloadDependencies& deps,
                        VerifyReport& report) {
    report = VerifyReport{};
    device::DeviceInfoBlock info;
    if (const device::DeviceResult read = deps.device.ReadDeviceInfo(info);
        read != device::DeviceResult::Ok) {
        report.deviceResult = read;
        report.where = "reading the device info";
        return 0;
    }
    std::vector<unsigned> profiles = {0, 1, 2};
    if (!all) {
        profiles = {info.activeProfile()};
    }
    DownloadImages images;
    if (BuildDownloadImages(contents, profiles, info.macroMemoryBytes(), deps.defaultKeymap.Get(),
                            images) != 1) {
        report.where = "building what the store would write (macros too large, or no store)";
        return 0;
    }
    // The first byte that differs, in the order a download writes.
    const auto compare = [&report](std::span<const std::uint8_t> sent,
                                   std::span<const std::uint8_t> back, const std::string& what) {
        for (std::size_t i = 0; i < sent.size(); ++i) {
            if (i >= back.size() || sent[i] != back[i]) {
                report.where = what;
                report.offset = i;
                report.expected = sent[i];
                report.found = i < back.size() ? back[i] : 0;
                return false;
            }
        }
        return true;
    };
    std::vector<std::uint8_t> back(images.macroImage.size());
    if (!back.empty()) {
        if (const device::DeviceResult read =
                deps.device.ReadMacroArea(back.data(), static_cast<std::uint32_t>(back.size()));
            read != device::DeviceResult::Ok) {
            report.deviceResult = read;
            report.where = "reading back the macro memory";
            return 0;
        }
        if (!compare(images.macroImage, back, "the macro memory")) {
            return 0;
        }
    }
    for (const auto& [profile, image] : images.keymaps) {
        keys::KeymapImage keymap{};
        if (const device::DeviceResult read = deps.device.ReadKeymapBlock(keymap, profile);
            read != device::DeviceResult::Ok) {
            report.deviceResult = read;
            report.where = "reading back the keymap of profile " + std::to_string(profile);
            return 0;
        }
        if (!compare(image, keymap, "the keymap of profile " + std::to_string(profile))) {
            return 0;
        }
    }
    report.same = true;
    return 1;
}

device::DeviceResult WriteSequenceResult(const device::Failure& failure) {
    if (failure.code == device::DeviceResult::Ok ||
        failure.command == device::Command::ReadDeviceInfo) {
        return failure.failed() ? device::DeviceResult::NoDevice : device::DeviceResult::Ok;
    }
    return failure.code;
}

int DownloadToKeyboard(StagingStore::Access& staging, bool all, const DownloadDependencies& deps,
                       DownloadReport* report) {
    DownloadReport local;
    DownloadReport& out = report != nullptr ? *report : local;
    out = DownloadReport{};
    device::Failure& failure = out.failure;
    const auto refuse = [&failure](std::string reason) {
        failure.reason = std::move(reason);
        return 0;
    };

    if (!staging->HasMainBlock()) {
        return refuse("there is no profile to write");
    }

    // The keyboard's device info, read at most once: for the macro memory size when none is
    // known, and for a single profile to learn which profile is active.
    std::optional<device::DeviceInfoBlock> info;
    const auto readInfo = [&]() {
        device::DeviceInfoBlock block;
        if (failure.KeepFirst(deps.device.ReadDeviceInfo(block), device::Command::ReadDeviceInfo) !=
            device::DeviceResult::Ok) {
            return false;
        }
        info = block;
        deps.state.macroMemorySize.store(block.macroMemoryBytes());
        return true;
    };
    const macros::ImageSizes sizes = macros::MacroImageSizes(staging->macros);
    // Whether the macros fit `capacity` bytes; when they do not, nothing more is sent.
    const auto fits = [&](std::uint32_t capacity) {
        out.capacity = capacity;
        if (sizes.withoutNames > capacity) {
            out.tooLong = true;
            failure.reason = "the macros need " + std::to_string(sizes.withoutNames) +
                             " bytes without names; the keyboard keeps " + std::to_string(capacity);
            Show(deps, text::TextId::EXTRA_MACRO_TOO_LONG);
            return false;
        }
        return true;
    };

    // The capacity the keyboard reported when it arrived decides before anything is sent.
    std::uint32_t capacity = deps.state.macroMemorySize.load();
    if (capacity == 0) {
        if (!readInfo()) {
            return 0;
        }
        capacity = info->macroMemoryBytes();
    }
    if (!fits(capacity)) {
        return 0;
    }
    std::vector<unsigned> profiles = {0, 1, 2};
    if (!all) {
        if (!info && !readInfo()) {
            return 0;
        }
        // The keyboard's own word counts over what it reported on arrival.
        if (info->macroMemoryBytes() != capacity) {
            capacity = info->macroMemoryBytes();
            if (!fits(capacity)) {
                return 0;
            }
        }
        const unsigned active = info->activeProfile();
        deps.state.activeProfile.store(static_cast<std::int32_t>(active));
        if (active >= device::kKeymapBlockCount) {
            return refuse("the keyboard reports active profile " + std::to_string(active));
        }
        profiles = {active};
    }

    DownloadImages images;
    if (BuildDownloadImages(*staging, profiles, capacity, deps.defaultKeymap.Get(), images) != 1) {
        return refuse("the keymaps or the macro memory image cannot be built");
    }
    const bool names = !images.namesDropped;
    out.namesDropped = images.namesDropped;
    const std::uint32_t imageSize = static_cast<std::uint32_t>(images.macroImage.size());
    out.imageSize = imageSize;

    // Every command runs; the record keeps the first that failed, with its report.
    using device::Command;
    (void)failure.KeepFirst(deps.device.BeginTransfer(), Command::BeginTransfer);
    device::Failure place;
    (void)deps.device.WriteMacroArea(images.macroImage.data(), imageSize, &place);
    failure.KeepFirst(place);
    for (const auto& [profile, image] : images.keymaps) {
        place = device::Failure{};
        (void)deps.device.WriteKeymapBlock(image, profile, &place);
        failure.KeepFirst(place);
        out.profiles.push_back(profile);
    }
    (void)failure.KeepFirst(deps.device.EndTransfer(), Command::EndTransfer);

    if (!names) {
        Show(deps, text::TextId::EXTRA_PROFILE_SPACE_TIGHT);
    }
    return failure.failed() ? 0 : 1;
}

}  // namespace qf::profiles
