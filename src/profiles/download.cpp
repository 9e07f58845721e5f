#include "profiles/download.h"

#include <array>
#include <optional>

#include "keys/keymap_image.h"
#include "macros/macro_image.h"
#include "text/language_keys.h"

namespace qf::profiles {

namespace {

struct Keymap {
    unsigned profile = 0;
    keys::KeymapImage image{};
};

void Show(const DownloadDependencies& deps, text::TextId id) {
    deps.prompter.ShowMessage(id, deps.language.Text(id));
}

}  // namespace

int DownloadToKeyboard(StagingStore::Access& staging, bool all, const DownloadDependencies& deps,
                       DownloadReport* report) {
    DownloadReport local;
    DownloadReport& out = report != nullptr ? *report : local;
    out = DownloadReport{};

    if (!staging->HasMainBlock()) {
        return 0;
    }

    // The keyboard's device info, read at most once: for the macro memory size when none is
    // known, and for a single profile to learn which profile is active.
    std::optional<device::DeviceInfoBlock> info;
    const auto readInfo = [&]() {
        device::DeviceInfoBlock block;
        if (deps.device.ReadDeviceInfo(block) != 1) {
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
            return 0;
        }
        profiles = {active};
    }

    const bool names = sizes.withNames <= capacity;
    out.namesDropped = !names;
    const std::uint32_t imageSize = names ? sizes.withNames : sizes.withoutNames;
    std::vector<std::uint8_t> image;
    try {
        image.resize(imageSize);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (macros::BuildMacroImage(staging->macros, image, imageSize, names) != 1) {
        return 0;
    }
    out.imageSize = imageSize;

    // Keymaps refer to macros by their position in the list that goes into the image.
    const auto& list = staging->macros;
    const keys::MacroPositionOf positionOf =
        [&list](std::uint32_t id) -> std::optional<std::size_t> {
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (list[i].id == id) {
                return i;
            }
        }
        return std::nullopt;
    };
    const keys::KeymapImage defaults = deps.defaultKeymap.Get();
    std::vector<Keymap> keymaps;
    for (const unsigned profile : profiles) {
        Keymap keymap{profile, {}};
        if (keys::KeyBlockToKeymapImage(staging->KeyBlock(profile), defaults, positionOf,
                                        keymap.image) != 1) {
            return 0;
        }
        keymaps.push_back(keymap);
    }

    auto step = [&out](int result) {
        if (result != 1 && out.firstFailure == 1) {
            out.firstFailure = result;
        }
    };
    step(deps.device.BeginTransfer());
    step(deps.device.WriteMacroArea(image.data(), imageSize));
    for (const Keymap& keymap : keymaps) {
        step(deps.device.WriteKeymapBlock(keymap.image, keymap.profile));
        out.profiles.push_back(keymap.profile);
    }
    step(deps.device.EndTransfer());

    if (!names) {
        Show(deps, text::TextId::EXTRA_PROFILE_SPACE_TIGHT);
    }
    return out.firstFailure == 1 ? 1 : 0;
}

}  // namespace qf::profiles
