#include "profiles/switching.h"

#include "text/language_keys.h"

namespace qf::profiles {

int ActiveProfile::ReadActiveProfile() {
    device::DeviceInfoBlock info;
    if (device_.ReadDeviceInfo(info) != device::DeviceResult::Ok) {
        return -1;
    }
    const int profile = info.activeProfile();
    state_.activeProfile.store(profile);
    return profile;
}

device::DeviceResult ActiveProfile::WriteActiveProfile(int index) {
    if (index < 0) {
        return device::DeviceResult::Ok;
    }
    device::DeviceInfoBlock info;
    const device::DeviceResult read = device_.ReadDeviceInfo(info);
    if (read != device::DeviceResult::Ok) {
        return read;
    }
    info.setActiveProfile(static_cast<std::uint8_t>(index));
    const device::DeviceResult written = device_.WriteDeviceInfo(info);
    state_.activeProfile.store(written == device::DeviceResult::Ok ? index : -1);
    return written;
}

int ProfileSwitching::SwitchProfile(int index) {
    const int p = index >= kOnBoardProfiles ? 0 : index;
    if (deps_.host.IsEditorOpen()) {
        deps_.prompter.ShowMessage(text::TextId::PROFILE_SEELCT_PROMPT2,
                                   deps_.language.Text(text::TextId::PROFILE_SEELCT_PROMPT2));
        return 0;
    }
    if (deps_.host.HasUnappliedChanges() || deps_.host.ManagerHasUnappliedChanges()) {
        if (!asking_) {
            asking_ = true;
            const bool save =
                deps_.prompter.AskYesNo(text::TextId::PROFILE_SELECT_PROMPT,
                                        deps_.language.Text(text::TextId::PROFILE_SELECT_PROMPT));
            if (save) {
                // Saved and written for the profile that was active before the switch. The
                // window has told the user why an Apply failed; the switch waits for a retry.
                if (deps_.host.RunApply() != 1) {
                    asking_ = false;
                    return 0;
                }
            } else {
                DiscardChanges();
            }
        }
        asking_ = false;
        (void)deps_.activeProfile.WriteActiveProfile(p);
    } else {
        (void)deps_.activeProfile.WriteActiveProfile(p);
        if (deps_.host.IsProfileManagerOpen()) {
            deps_.host.CheckManagerRow(p);
            deps_.host.DisableManagerApply();
        }
    }
    {
        auto store = deps_.store.Lock();
        deps_.assignments.RefreshAssignmentViews(store);
    }
    RebuildProfileMenu();
    return 1;
}

void ProfileSwitching::DiscardChanges() {
    const int active = deps_.activeProfile.ReadActiveProfile();
    if (active < 0) {
        return;  // the keyboard cannot be read: the changes and Apply stay
    }
    bool reloaded = false;
    {
        auto store = deps_.store.Lock();
        // The load replaces the store only when the cache file reads completely; otherwise the
        // store keeps what it holds rather than being left without a main block. Without a
        // profile folder there is no cache file (and none is read from the working folder).
        reloaded = !deps_.profileFolder.empty() &&
                   LoadProfileFile(store, ProfileCachePath(deps_.profileFolder, active)) == 1;
    }
    // A cache file that is missing or damaged: the keyboard itself holds what was applied.
    if (!reloaded) {
        reloaded = deps_.keyboardReload.ReloadStoreFromKeyboard() == 1;
    }
    // Apply is cleared only when the store again shows what the keyboard holds; otherwise the
    // view would show the edits as if they were on the keyboard.
    if (reloaded) {
        deps_.host.ClearUnapplied();
    }
}

ProfileMenuModel ProfileSwitching::BuildProfileMenu(int activeProfile) const {
    ProfileMenuModel menu;
    menu.entries.push_back({kProfileMenuDefaultId,
                            deps_.language.Text(text::TextId::DEFAULT_PROFILE_NAME), false, false});
    menu.entries.push_back({0, {}, true, false});
    for (int i = 0; i < kOnBoardProfiles; ++i) {
        // The file title: one cache file holds every profile, so the three entries read alike.
        const std::string title = ProfileCachePath(deps_.profileFolder, i).stem().string();
        menu.entries.push_back(
            {kProfileMenuFirstProfileId + static_cast<std::uint32_t>(i), title, false, false});
    }
    int checked = activeProfile < 0 ? 0 : kProfileMenuFirstProfilePosition + activeProfile;
    if (checked >= static_cast<int>(menu.entries.size())) {
        checked = -1;  // a profile the keyboard cannot hold checks nothing
    }
    menu.checkedPosition = checked;
    if (checked >= 0) {
        auto& entry = menu.entries[static_cast<std::size_t>(checked)];
        entry.checked = true;
        menu.buttonCaption = entry.text;
    }
    menu.buttonTooltip = deps_.language.Text(text::TextId::PROFILE_TIP) + menu.buttonCaption;
    return menu;
}

void ProfileSwitching::RebuildProfileMenu() {
    menu_ = BuildProfileMenu(deps_.activeProfile.ReadActiveProfile());
    deps_.host.ShowProfileMenu(menu_);
}

}  // namespace qf::profiles
