// Unplug and fault sweeps of the transfers between the profile store and the keyboard: a full
// read of the keyboard into a profile file, the refresh of the store from the keyboard through
// the cache file, an import, and a download of all profiles. At every report, each fault: a
// clear result, and a store and files that hold the old or the new state as a whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "keys/default_keymap.h"
#include "keys/keymap_image.h"
#include "macros/macro_image.h"
#include "profiles/assignments.h"
#include "profiles/profile_format.h"
#include "profiles/profile_store.h"
#include "profiles/transfers.h"
#include "robustness/sweep_support.h"
#include "support/session_setup.h"
#include "support/temp_folder.h"

namespace qf::robustness {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using profiles::StoreContents;
using qf::testing::ReadBytes;

bool SameContents(const StoreContents& a, const StoreContents& b) {
    return a.mainBlock == b.mainBlock && a.macros == b.macros && a.strings == b.strings;
}

StoreContents Parse(const Bytes& file) {
    StoreContents c;
    EXPECT_EQ(profiles::ParseProfileFile(file, c), 1);
    return c;
}

// The store's contents as a file would hold them: a copy saved and read back.
StoreContents Snapshot(profiles::ProfileStore& store) {
    auto access = store.Lock();
    StoreContents copy = *access;
    Bytes file;
    EXPECT_EQ(profiles::BuildProfileFile(copy, file), 1);
    return Parse(file);
}

macros::MacroRecord Macro(std::uint16_t id, std::u16string_view name) {
    macros::MacroRecord m;
    m.id = id;
    m.SetName(name);
    m.repeatCount = 2;
    m.AppendAction({20, 0x1E, 0});
    m.AppendAction({20, 0x1E, 1});
    return m;
}

// Old state of the user's files: a profile with one key assignment and no macros.
Bytes OldFile() {
    StoreContents c;
    c.mainBlock = profiles::NewMainBlock(0);
    keys::KeyRecord r;
    r.kind = static_cast<std::uint16_t>(keys::KeyKind::Disabled);
    c.SetRecord(0x10, r);
    Bytes file;
    EXPECT_EQ(profiles::BuildProfileFile(c, file), 1);
    return file;
}

// A file to import: assignments in every on-board profile and two macros.
Bytes ImportFile() {
    StoreContents c;
    c.mainBlock = profiles::NewMainBlock(0);
    for (std::size_t b = 0; b < 3; ++b) {
        keys::KeyRecord r;
        r.kind = static_cast<std::uint16_t>(keys::KeyKind::Key);
        r.value = 0x1E + b;
        c.SetBlockRecord(b, 0x10, r);
    }
    keys::KeyRecord m;
    m.kind = static_cast<std::uint16_t>(keys::KeyKind::Macro);
    m.value = 2;
    m.extra = 1;
    c.SetBlockRecord(1, 0x11, m);
    c.macros = {Macro(1, u"one"), Macro(2, u"two")};
    Bytes file;
    EXPECT_EQ(profiles::BuildProfileFile(c, file), 1);
    return file;
}

// The sweep rig's session with a home folder of its own: the profile folder holds the cache file
// and the files the operations read and write.
struct TransferRig {
    TransferRig() {
        std::filesystem::create_directories(folder);
        state.macroMemorySize = 32u * 128u;
        device.service.ResetCount();
    }

    // The keyboard as the user set it up: a changed key in each profile and two macros.
    void SetUpKeyboard() {
        StoreContents c = Parse(ImportFile());
        const keys::KeymapImage defaults = defaultKeymap.Get();
        const keys::MacroPositionOf position = [](std::uint32_t id) -> std::optional<std::size_t> {
            return id >= 1 && id <= 2 ? std::optional<std::size_t>(id - 1) : std::nullopt;
        };
        for (std::size_t b = 0; b < 3; ++b) {
            keys::KeymapImage image{};
            ASSERT_EQ(keys::KeyBlockToKeymapImage(c.KeyBlock(b), defaults, position, image), 1);
            device.keyboard.SetMemory(vkbd::Area::KeymapBlocks, 512 * b, image);
        }
        const macros::ImageSizes sizes = macros::MacroImageSizes(c.macros);
        Bytes image(sizes.withNames);
        ASSERT_EQ(macros::BuildMacroImage(c.macros, image, image.size(), true), 1);
        device.keyboard.SetMemory(vkbd::Area::MacroMemory, 0, image);
    }

    qf::testing::TempHome home;
    SweepRig device{{}, 0.05, home.Environment()};
    const fs::path folder = device.session->ProfileFolder();
    app::AppState& state = device.session->appState();
    keys::DefaultKeymap& defaultKeymap = device.session->defaultKeymap();
    profiles::ProfileStore& store = device.session->store();
    profiles::Assignments& assignments = device.session->assignments();
    profiles::ProfileTransfers& transfers = device.session->transfers();
};

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class TransferSweep : public ::testing::TestWithParam<FaultCase> {};

TEST_P(TransferSweep, ReadKeyboardIntoFileAtEveryReport) {
    const FaultCase fault = GetParam();
    const Bytes old = OldFile();
    Bytes healthy;
    std::size_t reports = 0;
    {
        TransferRig rig;
        rig.SetUpKeyboard();
        const fs::path path = rig.folder / "read.fwc";
        ASSERT_EQ(rig.transfers.ReadKeyboardIntoFile(path), 1);
        healthy = ReadBytes(path);
        reports = rig.device.service.writes();
        ASSERT_EQ(Parse(healthy).macros.size(), 2u);
    }
    for (unsigned k = 1; k <= reports; ++k) {
        SCOPED_TRACE(fault.Name() + " at report " + std::to_string(k));
        TransferRig rig;
        rig.SetUpKeyboard();
        const fs::path path = rig.folder / "read.fwc";
        qf::testing::TempFolder::Write(path, std::string(old.begin(), old.end()));
        rig.device.service.Arm(k, fault);
        std::string error;
        const int result = rig.transfers.ReadKeyboardIntoFile(path, &error);
        ASSERT_TRUE(result == 0 || result == 1) << result;
        const Bytes now = ReadBytes(path);
        if (result == 0) {
            EXPECT_FALSE(error.empty());
            EXPECT_EQ(now, old) << "a failed read replaced the file";
        } else {
            EXPECT_EQ(profiles::ValidateProfileBytes(now).result, 1);
            if (fault.fault != Fault::Garbled) {
                EXPECT_EQ(now, healthy);
            }
        }
        if (fault.TransactionResult() != device::DeviceResult::Ok) {
            EXPECT_EQ(result, 0) << "a read the keyboard broke off was reported as done";
        }
        EXPECT_EQ(Names(rig.folder), std::vector<std::string>{"read.fwc"});
    }
}

TEST_P(TransferSweep, LoadProfileFromKeyboardAtEveryReport) {
    const FaultCase fault = GetParam();
    const Bytes old = OldFile();
    std::size_t reports = 0;
    StoreContents healthy;
    {
        TransferRig rig;
        rig.SetUpKeyboard();
        ASSERT_EQ(rig.transfers.LoadProfileFromKeyboard(true), 1);
        reports = rig.device.service.writes();
        healthy = Snapshot(rig.store);
        ASSERT_EQ(healthy.macros.size(), 2u);
    }
    StoreContents blank;
    blank.mainBlock = profiles::NewMainBlock(0);
    Bytes blankFile;
    ASSERT_EQ(profiles::BuildProfileFile(blank, blankFile), 1);
    blank = Parse(blankFile);

    for (unsigned k = 1; k <= reports; ++k) {
        SCOPED_TRACE(fault.Name() + " at report " + std::to_string(k));
        TransferRig rig;
        rig.SetUpKeyboard();
        const fs::path cache = rig.transfers.CachePath();
        qf::testing::TempFolder::Write(cache, std::string(old.begin(), old.end()));
        rig.device.service.Arm(k, fault);
        EXPECT_EQ(rig.transfers.LoadProfileFromKeyboard(true), 1);
        const StoreContents store = Snapshot(rig.store);
        const Bytes cacheNow = ReadBytes(cache);
        // The store is what the cache file now holds, or a blank profile: never a mix.
        const bool fromCache = SameContents(store, Parse(cacheNow));
        EXPECT_TRUE(fromCache || SameContents(store, blank));
        if (fault.fault != Fault::Garbled && fromCache && cacheNow != old) {
            EXPECT_TRUE(SameContents(store, healthy));
        }
        if (cacheNow != old) {
            EXPECT_EQ(profiles::ValidateProfileBytes(cacheNow).result, 1);
        }
    }
}

TEST_P(TransferSweep, ImportAtEveryReport) {
    const FaultCase fault = GetParam();
    const Bytes old = OldFile();
    const Bytes imported = ImportFile();
    std::size_t reports = 0;
    std::size_t downloadReports = 0;
    Bytes keymapsAfter;
    Bytes cacheAfter;
    {
        TransferRig rig;
        qf::testing::TempFolder::Write(rig.transfers.CachePath(),
                                       std::string(old.begin(), old.end()));
        const fs::path file = rig.folder / "import.fwc";
        qf::testing::TempFolder::Write(file, std::string(imported.begin(), imported.end()));
        const profiles::ImportResult r = rig.transfers.ImportProfileFile(file);
        ASSERT_EQ(r.result, 1);
        ASSERT_EQ(r.download, device::DeviceResult::Ok);
        reports = rig.device.service.writes();
        keymapsAfter = rig.device.keyboard.Memory(vkbd::Area::KeymapBlocks);
        // The import ends by redrawing the keyboard view, which reads the active profile: the
        // reports before that redraw are the download's.
        rig.device.service.ResetCount();
        rig.assignments.RefreshAssignmentViews();
        ASSERT_LT(rig.device.service.writes(), reports);
        downloadReports = reports - rig.device.service.writes();
        cacheAfter = ReadBytes(rig.transfers.CachePath());
    }
    const StoreContents importedContents = Parse(imported);
    for (unsigned k = 1; k <= reports; ++k) {
        SCOPED_TRACE(fault.Name() + " at report " + std::to_string(k));
        TransferRig rig;
        qf::testing::TempFolder::Write(rig.transfers.CachePath(),
                                       std::string(old.begin(), old.end()));
        const fs::path file = rig.folder / "import.fwc";
        qf::testing::TempFolder::Write(file, std::string(imported.begin(), imported.end()));
        rig.device.service.Arm(k, fault);
        const profiles::ImportResult r = rig.transfers.ImportProfileFile(file);
        // The file is valid: it becomes the store and the cache whatever the keyboard does.
        ASSERT_EQ(r.result, 1);
        EXPECT_TRUE(SameContents(Snapshot(rig.store), importedContents));
        EXPECT_EQ(ReadBytes(rig.transfers.CachePath()), cacheAfter);
        EXPECT_EQ(ReadBytes(file), imported) << "the imported file was changed";
        if (fault.TransactionResult() != device::DeviceResult::Ok && k <= downloadReports) {
            EXPECT_NE(r.download, device::DeviceResult::Ok)
                << "a download the keyboard broke off was reported as done";
        }
        if (r.download == device::DeviceResult::Ok) {
            EXPECT_EQ(rig.device.keyboard.Memory(vkbd::Area::KeymapBlocks), keymapsAfter);
        }
        // Once the keyboard is healthy, applying the store again completes the download.
        rig.device.Heal();
        ASSERT_EQ(rig.transfers.ApplyStoreToKeyboard(true), 1);
        EXPECT_EQ(rig.device.keyboard.Memory(vkbd::Area::KeymapBlocks), keymapsAfter);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFault, TransferSweep, ::testing::ValuesIn(AllFaultCases()),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                             std::string name;
                             for (char c : info.param.Name()) {
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

}  // namespace
}  // namespace qf::robustness
