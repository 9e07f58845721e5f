// Moving the store between the keyboard, the profile files and back: reading the keyboard,
// downloads with their capacity rules, import, and Apply.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "device/result.h"
#include "device/services/virtual/virtual_constants.h"
#include "profile_ops/profile_ops_fixture.h"
#include "text/language_keys.h"

namespace qf::profiles::testing {
namespace {

using keys::KeymapImage;
using keys::KeyRecord;
using text::TextId;

constexpr std::size_t kEscPosition = 8;
constexpr std::size_t kEscRecord = 1;
constexpr std::size_t kAPosition = 19;
constexpr std::size_t kARecord = 0x1E;
constexpr std::uint8_t kBegin = 1, kEnd = 2, kReadInfo = 3, kWriteInfo = 4, kWriteKeymap = 8,
                       kWriteMacro = 10;

// The virtual keyboard's own default keymap, which its keymap blocks start as.
KeymapImage Defaults() {
    return vkbd::kFactoryKeymap;
}

KeymapImage WithEntry(KeymapImage image, std::size_t position, keys::DeviceKeyRef entry) {
    keys::SetKeymapEntry(image, position, entry);
    return image;
}

// Commands with consecutive repeats folded: the shape of a sequence.
std::vector<std::uint8_t> Folded(const std::vector<std::uint8_t>& commands) {
    std::vector<std::uint8_t> folded;
    for (const std::uint8_t c : commands) {
        if (folded.empty() || folded.back() != c) {
            folded.push_back(c);
        }
    }
    return folded;
}

class TransfersTest : public ProfileOpsTest {
protected:
    // The keyboard with a remapped Esc in profile 1, a macro key in profile 2 and two macros.
    void PrepareKeyboard() {
        SetKeyboardKeymap(1, WithEntry(Defaults(), kEscPosition, {2, 2, 0x04}));
        SetKeyboardKeymap(2, WithEntry(Defaults(), kAPosition, {5, 1, 1}));
        keyboardMacros = {MakeMacro(1, u"first", 4), MakeMacro(2, u"second", 6)};
        const Bytes image = ImageOf(keyboardMacros, true);
        keyboard.SetMemory(vkbd::Area::MacroMemory, 0, image);
    }

    // A valid profile file with one macro, played by Esc in profile 1.
    std::filesystem::path WriteImportFile(StoreContents& contents) {
        contents.mainBlock = NewMainBlock(0);
        contents.macros = {MakeMacro(1, u"imported", 8)};
        (void)contents.SetBlockRecord(1, kEscRecord, {4, 1, 1, 0, 0});
        const auto path = ProfileFolder() / "import.fwc";
        EXPECT_EQ(WriteProfileFile(path, contents), 1);
        return path;
    }

    // A profile file whose header checksum is wrong.
    std::filesystem::path WriteBrokenFile() {
        Bytes file = NewMainBlock(0);
        file[kHdrChecksum] ^= 1;
        const auto path = ProfileFolder() / "broken.fwc";
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data()),
                  static_cast<std::streamsize>(file.size()));
        return path;
    }

    std::vector<macros::MacroRecord> keyboardMacros;
};

TEST_F(TransfersTest, LoadFromKeyboardFillsCacheFileAndStore) {
    PrepareKeyboard();
    host.unapplied = true;
    EXPECT_EQ(transfers.LoadProfileFromKeyboard(false), 1);

    ASSERT_TRUE(std::filesystem::exists(CachePath()));
    EXPECT_EQ(ReadBytes(CachePath()).size(), kMainBlockSize + 2 * macros::kMacroRecordSize);
    EXPECT_FALSE(host.unapplied);

    auto access = store.Lock();
    EXPECT_EQ(access->BlockRecord(1, kEscRecord), (KeyRecord{2, 0, 0x01E, 0, 0}));
    EXPECT_EQ(access->BlockRecord(2, kARecord), (KeyRecord{4, 0, 2, 0, 0}));
    EXPECT_EQ(access->BlockRecord(0, kEscRecord).kind, 0);
    // Blocks read from the keyboard carry the G codes; block 3 is a new block's.
    EXPECT_EQ(access->BlockRecord(2, 265).extra, 0x1301);
    EXPECT_EQ(access->BlockRecord(3, 256).extra, 0);
    ASSERT_EQ(access->macros.size(), 2u);
    EXPECT_EQ(access->macros[1].NameView(), u"second");
    EXPECT_EQ(access->macros[1].id, 2);
    EXPECT_EQ(access->macros[1].actionCount, 6);
    // The view shows profile 0, the keyboard's active one.
    EXPECT_GT(view.redraws, 0);
    EXPECT_EQ(view.keys.size(), kKeyButtonCount);
}

TEST_F(TransfersTest, QuietLoadLeavesUnappliedChanges) {
    host.unapplied = true;
    EXPECT_EQ(transfers.LoadProfileFromKeyboard(true), 1);
    EXPECT_TRUE(host.unapplied);
}

TEST_F(TransfersTest, KeyboardWithoutMacroImageGivesEmptyMacroList) {
    // The factory macro memory is zeros: no 0x55AA at its start.
    const auto path = ProfileFolder() / "read.fwc";
    ASSERT_EQ(transfers.ReadKeyboardIntoFile(path), 1);
    const Bytes file = ReadBytes(path);
    ASSERT_EQ(file.size(), kMainBlockSize);
    EXPECT_EQ(ReadLe16(file.data() + kHdrMacroCount), 0);
    EXPECT_EQ(ReadLe32(file.data() + kHdrTotalSize), kMainBlockSize);
    EXPECT_EQ(ValidateProfileFile(path).result, 1);
}

TEST_F(TransfersTest, DamagedMacroImageGivesNoMacrosButKeepsKeymaps) {
    SetKeyboardKeymap(0, WithEntry(Defaults(), kEscPosition, {0, 0, 0}));
    // Magic and a count beyond the limit.
    Bytes head(16, 0);
    WriteLe16(head.data(), macros::kMacroImageMagic);
    WriteLe16(head.data() + 2, 16);
    WriteLe16(head.data() + 4, 500);
    keyboard.SetMemory(vkbd::Area::MacroMemory, 0, head);
    const auto path = ProfileFolder() / "damaged.fwc";
    ASSERT_EQ(transfers.ReadKeyboardIntoFile(path), 1);
    StoreContents contents;
    ASSERT_EQ(ReadProfileFile(path, contents), 1);
    EXPECT_TRUE(contents.macros.empty());
    EXPECT_EQ(contents.BlockRecord(0, kEscRecord).kind, 1);
}

TEST_F(TransfersTest, ReadFailsWhenTheKeyboardIsGone) {
    keyboard.Unplug();
    const auto path = ProfileFolder() / "gone.fwc";
    EXPECT_EQ(transfers.ReadKeyboardIntoFile(path), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(TransfersTest, InMemoryReadGivesTheStoreTheFileRouteGivesWithTheSameReads) {
    PrepareKeyboard();
    const auto path = ProfileFolder() / "route.fwc";
    keyboard.ClearTrace();
    ASSERT_EQ(transfers.ReadKeyboardIntoFile(path), 1);
    const std::vector<std::uint8_t> fileRouteCommands = SentCommands();
    StoreContents viaFile;
    ASSERT_EQ(ReadProfileFile(path, viaFile), 1);
    std::filesystem::remove(path);
    const auto filesIn = [](const std::filesystem::path& dir) {
        return std::distance(std::filesystem::directory_iterator(dir),
                             std::filesystem::directory_iterator());
    };
    const auto filesBefore = filesIn(ProfileFolder());

    keyboard.ClearTrace();
    ASSERT_EQ(transfers.ReadKeyboardIntoStore(), 1);
    EXPECT_EQ(SentCommands(), fileRouteCommands);
    EXPECT_EQ(filesIn(ProfileFolder()), filesBefore);  // no file on the way
    auto access = store.Lock();
    EXPECT_EQ(access->mainBlock, viaFile.mainBlock);
    EXPECT_EQ(access->macros, viaFile.macros);
    EXPECT_TRUE(access->strings == viaFile.strings);
    ASSERT_EQ(access->macros.size(), 2u);
    EXPECT_EQ(access->BlockRecord(1, kEscRecord), (KeyRecord{2, 0, 0x01E, 0, 0}));
    EXPECT_EQ(access->BlockRecord(2, kARecord), (KeyRecord{4, 0, 2, 0, 0}));
    // What a save of it writes is the file the keyboard was read into.
    std::vector<std::uint8_t> rebuilt;
    std::vector<std::uint8_t> original;
    StoreContents copy = *access;
    ASSERT_EQ(BuildProfileFile(copy, rebuilt), 1);
    ASSERT_EQ(BuildProfileFile(viaFile, original), 1);
    EXPECT_EQ(rebuilt, original);
}

TEST_F(TransfersTest, InMemoryReadOfAGoneKeyboardLeavesTheStoreAsItWas) {
    PrepareKeyboard();
    ASSERT_EQ(transfers.ReadKeyboardIntoStore(), 1);
    StoreContents before = *store.Lock();
    SetKeyboardKeymap(0, WithEntry(Defaults(), kEscPosition, {0, 0, 0}));
    keyboard.Unplug();
    std::string error;
    EXPECT_EQ(transfers.ReadKeyboardIntoStore(&error), 0);
    EXPECT_FALSE(error.empty());
    auto access = store.Lock();
    EXPECT_EQ(access->mainBlock, before.mainBlock);
    EXPECT_EQ(access->macros, before.macros);
}

TEST_F(TransfersTest, FailedKeyboardReadLeavesNewEmptyMainBlock) {
    PrepareKeyboard();
    ASSERT_EQ(transfers.LoadProfileFromKeyboard(false), 1);
    keyboard.Unplug();
    host.unapplied = true;
    EXPECT_EQ(transfers.LoadProfileFromKeyboard(false), 1);
    auto access = store.Lock();
    EXPECT_EQ(access->mainBlock, NewMainBlock(0));
    EXPECT_TRUE(access->macros.empty());
    EXPECT_EQ(access->strings.Total(), 0u);
    EXPECT_FALSE(host.unapplied);
}

TEST_F(TransfersTest, ChangedAssignmentsAndMacrosReachTheKeyboard) {
    ASSERT_EQ(transfers.LoadProfileFromKeyboard(false), 1);
    const std::vector<macros::MacroRecord> list = {MakeMacro(4, u"four", 2),
                                                   MakeMacro(9, u"nine", 3)};
    {
        auto access = store.Lock();
        access->macros = list;
        (void)access->SetBlockRecord(0, kEscRecord, {2, 0, 0x036, 0, 0});  // Right Shift
        (void)access->SetBlockRecord(1, kARecord, {4, 1, 9, 0, 0});        // macro 9: position 1
        (void)access->SetBlockRecord(2, kEscRecord, {7, 0, 7, 0, 0});      // mute
        (void)access->SetBlockRecord(2, kARecord, {6, 0, 0, 0, 0});        // text: no function
        (void)access->SetBlockRecord(3, kEscRecord, {1, 0, 0, 0, 0});      // never sent
    }
    keyboard.ClearTrace();
    DownloadReport report;
    EXPECT_EQ(transfers.ApplyStoreToKeyboard(true, &report), 1);
    EXPECT_FALSE(report.namesDropped);
    EXPECT_EQ(report.profiles, (std::vector<unsigned>{0, 1, 2}));

    EXPECT_EQ(KeyboardKeymap(0), WithEntry(Defaults(), kEscPosition, {2, 1, 0x20}));
    EXPECT_EQ(KeyboardKeymap(1), WithEntry(Defaults(), kAPosition, {5, 1, 1}));
    EXPECT_EQ(KeyboardKeymap(2),
              WithEntry(WithEntry(Defaults(), kEscPosition, {3, 0xE2, 0}), kAPosition, {0, 0, 0}));
    const Bytes image = ImageOf(list, true);
    EXPECT_EQ(KeyboardMacroMemory(image.size()), image);
    // All profiles use the capacity known from the keyboard's arrival: no device info read.
    const std::vector<std::uint8_t> commands = SentCommands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), kReadInfo), 0);

    // And reading the keyboard back gives the same assignments (ids become positions + 1).
    ASSERT_EQ(transfers.LoadProfileFromKeyboard(false), 1);
    auto access = store.Lock();
    EXPECT_EQ(access->BlockRecord(0, kEscRecord).value, 0x036u);
    EXPECT_EQ(access->BlockRecord(1, kARecord), (KeyRecord{4, 0, 2, 0, 0}));
    EXPECT_EQ(access->macros[1].NameView(), u"nine");
}

TEST_F(TransfersTest, ImportWritesMacroMemoryThenThreeKeymaps) {
    ASSERT_EQ(transfers.LoadProfileFromKeyboard(false), 1);  // creates the cache file
    StoreContents contents;
    const auto path = WriteImportFile(contents);
    host.unapplied = true;
    keyboard.ClearTrace();

    const ImportResult result = transfers.ImportProfileFile(path);
    EXPECT_EQ(result.result, 1);
    EXPECT_EQ(result.download, qf::device::DeviceResult::Ok);
    EXPECT_FALSE(host.unapplied);
    EXPECT_TRUE(prompter.messages.empty());

    const std::vector<SentReport> sent = Sent();
    // The transfer, then the redraw's read of the active profile.
    EXPECT_EQ(Folded(SentCommands()),
              (std::vector<std::uint8_t>{kBegin, kWriteMacro, kWriteKeymap, kEnd, kReadInfo}));
    std::vector<std::uint16_t> keymapAddresses;
    for (const auto& report : sent) {
        if (report.command == kWriteKeymap) {
            keymapAddresses.push_back(report.address);
        }
    }
    ASSERT_EQ(keymapAddresses.size(), 30u);
    EXPECT_EQ(keymapAddresses.front(), 0);
    EXPECT_EQ(keymapAddresses[10], 512);
    EXPECT_EQ(keymapAddresses[20], 1024);
    EXPECT_EQ(keymapAddresses.back(), 1024 + 504);

    EXPECT_EQ(KeyboardKeymap(1), WithEntry(Defaults(), kEscPosition, {5, 1, 0}));
    const Bytes image = ImageOf(contents.macros, true);
    EXPECT_EQ(KeyboardMacroMemory(image.size()), image);
    // The cache file now holds the imported profiles.
    StoreContents cached;
    ASSERT_EQ(ReadProfileFile(CachePath(), cached), 1);
    EXPECT_EQ(cached.BlockRecord(1, kEscRecord).kind, 4);
}

TEST_F(TransfersTest, InvalidImportLeavesStoreAndKeyboardAlone) {
    PrepareKeyboard();
    ASSERT_EQ(transfers.LoadProfileFromKeyboard(false), 1);
    const std::vector<std::uint8_t> before = store.Lock()->mainBlock;

    const auto path = WriteBrokenFile();
    keyboard.ClearTrace();
    host.unapplied = true;
    const ImportResult result = transfers.ImportProfileFile(path);
    EXPECT_EQ(result.result, 0);
    EXPECT_EQ(prompter.MessageIds(),
              (std::vector<TextId>{TextId::PROFILE_FORMAT_ERROR, TextId::MAIN_PROMPT_INPORT}));
    EXPECT_NE(prompter.messages[0].second.find(path.string()), std::string::npos);
    EXPECT_EQ(store.Lock()->mainBlock, before);
    EXPECT_EQ(store.Lock()->macros.size(), 2u);
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(host.unapplied);

    prompter.messages.clear();
    EXPECT_EQ(transfers.ImportProfileFile(ProfileFolder() / "missing.fwc").result, 0);
    EXPECT_EQ(prompter.MessageIds(), (std::vector<TextId>{TextId::MAIN_PROMPT_INPORT}));
}

// What an import reports: a refused file apart from a keyboard that failed, and which command
// failed.
TEST_F(TransfersTest, ImportResultTellsARefusedFileFromADeviceFailure) {
    PrepareKeyboard();
    ASSERT_EQ(transfers.LoadProfileFromKeyboard(false), 1);
    StoreContents contents;
    const auto path = WriteImportFile(contents);

    // A valid file, written whole.
    DownloadReport report;
    ImportResult result = transfers.ImportProfileFile(path, &report);
    EXPECT_EQ(result.result, 1);
    EXPECT_EQ(result.download, device::DeviceResult::Ok);
    EXPECT_FALSE(report.failure.failed());
    EXPECT_FALSE(result.failure.failed());
    EXPECT_EQ(report.profiles, (std::vector<unsigned>{0, 1, 2}));
    EXPECT_FALSE(report.tooLong);

    // An invalid file: 0, the store untouched, nothing sent, and the report of the last
    // download does not linger.
    const std::vector<std::uint8_t> before = store.Lock()->mainBlock;
    const auto brokenPath = WriteBrokenFile();
    keyboard.ClearTrace();
    report.failure.reason = "left over";
    result = transfers.ImportProfileFile(brokenPath, &report);
    EXPECT_EQ(result.result, 0);
    EXPECT_EQ(result.download, device::DeviceResult::NoDevice);
    EXPECT_FALSE(report.failure.failed());
    // The refusal names the file it refused.
    EXPECT_TRUE(result.failure.failed());
    EXPECT_EQ(result.failure.code, device::DeviceResult::Ok);
    EXPECT_EQ(result.failure.file, brokenPath.string());
    EXPECT_TRUE(report.profiles.empty());
    EXPECT_EQ(store.Lock()->mainBlock, before);
    EXPECT_EQ(store.Lock()->macros.size(), 1u);
    EXPECT_TRUE(Sent().empty());

    // The keyboard refuses the first write: the file is the store and the cache all the same,
    // and the result is the failing command's.
    store.Lock()->macros.clear();
    prompter.messages.clear();
    keyboard.InjectWriteRefusal(1);
    result = transfers.ImportProfileFile(path, &report);
    EXPECT_EQ(result.result, 1);
    EXPECT_EQ(result.download, device::DeviceResult::WriteRefused);
    EXPECT_EQ(report.failure.code, device::DeviceResult::WriteRefused);
    EXPECT_EQ(result.failure.code, device::DeviceResult::WriteRefused);
    EXPECT_EQ(result.failure.file, path.string());
    EXPECT_EQ(store.Lock()->macros.size(), 1u);
    StoreContents cached;
    ASSERT_EQ(ReadProfileFile(CachePath(), cached), 1);
    EXPECT_EQ(cached.BlockRecord(1, kEscRecord).kind, 4);
    EXPECT_TRUE(prompter.messages.empty());
}

// A download that sends nothing (the macros do not fit) fails with DeviceResult::NoDevice, and says
// why.
TEST_F(TransfersTest, ImportThatSendsNothingFailsWithNoDevice) {
    SetKeyboardMacroUnits(1);  // 128 bytes
    NoteKeyboardArrival();
    StoreContents contents;
    contents.mainBlock = NewMainBlock(0);
    contents.macros = {MakeMacro(1, u"m", 27)};  // 130 bytes without names
    const auto path = ProfileFolder() / "big.fwc";
    ASSERT_EQ(WriteProfileFile(path, contents), 1);
    keyboard.ClearTrace();
    DownloadReport report;
    const ImportResult result = transfers.ImportProfileFile(path, &report);
    EXPECT_EQ(result.result, 1);
    EXPECT_EQ(result.download, device::DeviceResult::NoDevice);
    EXPECT_TRUE(report.tooLong);
    EXPECT_EQ(report.capacity, 128u);
    const std::vector<std::uint8_t> commands = SentCommands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), kWriteMacro), 0);
    EXPECT_EQ(prompter.MessageIds(), (std::vector<TextId>{TextId::EXTRA_MACRO_TOO_LONG}));
}

// A capacity too small even without names: nothing at all is sent.
class OversizedMacros : public TransfersTest, public ::testing::WithParamInterface<bool> {};

TEST_P(OversizedMacros, AbortWithNothingSent) {
    const bool all = GetParam();
    SetKeyboardMacroUnits(1);  // 128 bytes
    NoteKeyboardArrival();
    ASSERT_EQ(transfers.LoadProfileFromKeyboard(false), 1);
    // 16 + 2 + 4 + 27 x 4 = 130 bytes without names: 2 more than the keyboard holds.
    const std::vector<macros::MacroRecord> list = {MakeMacro(1, u"m", 27)};
    ASSERT_EQ(macros::MacroImageSizes(list).withoutNames, 130u);
    store.Lock()->macros = list;
    (void)store.Lock()->SetBlockRecord(0, kEscRecord, {1, 0, 0, 0, 0});
    keyboard.ClearTrace();

    DownloadReport report;
    EXPECT_EQ(transfers.ApplyStoreToKeyboard(all, &report), 0);
    EXPECT_TRUE(report.tooLong);
    EXPECT_EQ(prompter.MessageIds(), (std::vector<TextId>{TextId::EXTRA_MACRO_TOO_LONG}));
    // The capacity known from the keyboard's arrival decides before anything goes out, for a
    // single profile as for all.
    EXPECT_TRUE(SentCommands().empty());
    EXPECT_EQ(KeyboardKeymap(0), Defaults());
    // The store keeps the user's changes.
    EXPECT_EQ(store.Lock()->macros.size(), 1u);
}

// No capacity known yet: the device info is read for it, once, and then nothing else is sent.
TEST_P(OversizedMacros, WithoutAKnownCapacityOnlyTheDeviceInfoIsRead) {
    SetKeyboardMacroUnits(1);  // 128 bytes
    ASSERT_EQ(transfers.LoadProfileFromKeyboard(false), 1);
    state.macroMemorySize.store(0);
    store.Lock()->macros = {MakeMacro(1, u"m", 27)};  // 130 bytes without names
    keyboard.ClearTrace();
    DownloadReport report;
    EXPECT_EQ(transfers.ApplyStoreToKeyboard(GetParam(), &report), 0);
    EXPECT_TRUE(report.tooLong);
    EXPECT_EQ(report.capacity, 128u);
    EXPECT_EQ(SentCommands(), (std::vector<std::uint8_t>{kReadInfo}));
    EXPECT_EQ(state.macroMemorySize.load(), 128u);
}

INSTANTIATE_TEST_SUITE_P(AllOrCurrent, OversizedMacros, ::testing::Bool());

// A single-profile download reads the device info once, for the active profile and, when no
// capacity is known, for the capacity too.
TEST_F(TransfersTest, CurrentProfileDownloadReadsTheDeviceInfoOnce) {
    SetKeyboardProfile(1);
    ASSERT_EQ(transfers.LoadProfileFromKeyboard(false), 1);
    store.Lock()->macros = {MakeMacro(1, u"m", 4)};
    for (const std::uint32_t known : {4096u, 0u}) {
        SCOPED_TRACE(known);
        state.macroMemorySize.store(known);
        keyboard.ClearTrace();
        DownloadReport report;
        EXPECT_EQ(transfers.ApplyStoreToKeyboard(false, &report), 1);
        EXPECT_EQ(report.profiles, (std::vector<unsigned>{1}));
        EXPECT_EQ(Folded(SentCommands()),
                  (std::vector<std::uint8_t>{kReadInfo, kBegin, kWriteMacro, kWriteKeymap, kEnd}));
        const auto commands = SentCommands();
        EXPECT_EQ(std::count(commands.begin(), commands.end(), kReadInfo), 1);
        EXPECT_EQ(state.macroMemorySize.load(), 4096u);
    }
}

// The keyboard now reports less room than on its arrival: the device info read for the active
// profile checks the macros again, and nothing is written.
TEST_F(TransfersTest, CurrentProfileDownloadRechecksALowerCapacityBeforeWriting) {
    ASSERT_EQ(transfers.LoadProfileFromKeyboard(false), 1);
    ASSERT_EQ(state.macroMemorySize.load(), 4096u);
    SetKeyboardMacroUnits(1);                         // 128 bytes
    store.Lock()->macros = {MakeMacro(1, u"m", 27)};  // 130 bytes without names
    keyboard.ClearTrace();
    DownloadReport report;
    EXPECT_EQ(transfers.ApplyStoreToKeyboard(false, &report), 0);
    EXPECT_TRUE(report.tooLong);
    EXPECT_EQ(report.capacity, 128u);
    EXPECT_EQ(SentCommands(), (std::vector<std::uint8_t>{kReadInfo}));
    EXPECT_EQ(prompter.MessageIds(), (std::vector<TextId>{TextId::EXTRA_MACRO_TOO_LONG}));
}

TEST_F(TransfersTest, NamesAreDroppedWhenOnlyTheImageWithoutThemFits) {
    SetKeyboardMacroUnits(2);  // 256 bytes
    NoteKeyboardArrival();
    ASSERT_EQ(transfers.LoadProfileFromKeyboard(false), 1);
    // 254 bytes without names, 258 with the name "ab".
    const std::vector<macros::MacroRecord> list = {MakeMacro(1, u"ab", 58)};
    store.Lock()->macros = list;
    DownloadReport report;
    EXPECT_EQ(transfers.ApplyStoreToKeyboard(true, &report), 1);
    EXPECT_TRUE(report.namesDropped);
    EXPECT_EQ(report.imageSize, 254u);
    EXPECT_EQ(prompter.MessageIds(), (std::vector<TextId>{TextId::EXTRA_PROFILE_SPACE_TIGHT}));
    const Bytes image = ImageOf(list, false);
    EXPECT_EQ(KeyboardMacroMemory(image.size()), image);
    EXPECT_EQ(ReadLe16(image.data() + macros::kImageNamesOffset), 0);
}

TEST_F(TransfersTest, CurrentProfileDownloadWritesOnlyTheActiveKeymap) {
    SetKeyboardProfile(2);
    ASSERT_EQ(transfers.LoadProfileFromKeyboard(false), 1);
    for (std::size_t b = 0; b < 3; ++b) {
        (void)store.Lock()->SetBlockRecord(b, kEscRecord, {1, 0, 0, 0, 0});
    }
    keyboard.ClearTrace();
    DownloadReport report;
    EXPECT_EQ(transfers.ApplyStoreToKeyboard(false, &report), 1);
    EXPECT_EQ(report.profiles, (std::vector<unsigned>{2}));
    EXPECT_EQ(Folded(SentCommands()),
              (std::vector<std::uint8_t>{kReadInfo, kBegin, kWriteMacro, kWriteKeymap, kEnd}));
    EXPECT_EQ(KeyboardKeymap(0), Defaults());
    EXPECT_EQ(KeyboardKeymap(2), WithEntry(Defaults(), kEscPosition, {0, 0, 0}));
}

TEST_F(TransfersTest, CurrentProfileDownloadSendsNothingWithoutDeviceInfo) {
    ASSERT_EQ(transfers.LoadProfileFromKeyboard(false), 1);
    SetKeyboardProfile(7);
    keyboard.ClearTrace();
    EXPECT_EQ(transfers.ApplyStoreToKeyboard(false), 0);
    EXPECT_EQ(SentCommands(), (std::vector<std::uint8_t>{kReadInfo}));
    keyboard.Unplug();
    EXPECT_EQ(transfers.ApplyStoreToKeyboard(false), 0);
}

TEST_F(TransfersTest, AnEarlyFailedWriteFailsTheDownloadThoughTheLastKeymapWriteSucceeds) {
    ASSERT_EQ(transfers.LoadProfileFromKeyboard(false), 1);
    // The keyboard now holds only 128 bytes of macro memory while the capacity known from its
    // arrival says 4 KiB: the macro area write runs past its end and is refused.
    SetKeyboardMacroUnits(1);
    store.Lock()->macros = {MakeMacro(1, u"long", 60)};
    (void)store.Lock()->SetBlockRecord(2, kEscRecord, {1, 0, 0, 0, 0});
    keyboard.ClearTrace();
    DownloadReport report;
    EXPECT_EQ(transfers.ApplyStoreToKeyboard(true, &report), 0);
    EXPECT_EQ(report.failure.code, device::DeviceResult::StatusFF);
    // The sequence still ran to its end: the last keymap was written and the transfer ended.
    EXPECT_EQ(KeyboardKeymap(2), WithEntry(Defaults(), kEscPosition, {0, 0, 0}));
    EXPECT_EQ(SentCommands().back(), kEnd);
}

TEST_F(TransfersTest, ApplySavesCacheAndDownloadsBeforeClearing) {
    SetKeyboardProfile(1);
    ASSERT_EQ(transfers.LoadProfileFromKeyboard(false), 1);
    (void)store.Lock()->SetBlockRecord(1, kEscRecord, {8, 0, 10, 0, 0});
    host.unapplied = true;
    EXPECT_EQ(transfers.ApplyChanges(), 1);
    EXPECT_FALSE(host.unapplied);
    EXPECT_EQ(KeyboardKeymap(1), WithEntry(Defaults(), kEscPosition, {5, 5, 0x0A}));
    StoreContents cached;
    ASSERT_EQ(ReadProfileFile(CachePath(), cached), 1);
    EXPECT_EQ(cached.BlockRecord(1, kEscRecord).kind, 8);

    // A failed download keeps the changes unapplied.
    (void)store.Lock()->SetBlockRecord(1, kEscRecord, {1, 0, 0, 0, 0});
    host.unapplied = true;
    keyboard.Unplug();
    EXPECT_EQ(transfers.ApplyChanges(), 0);
    EXPECT_TRUE(host.unapplied);
}

TEST_F(TransfersTest, ApplyWithoutCacheFileKeepsChangesUnapplied) {
    host.unapplied = true;
    ApplyReport report;
    EXPECT_EQ(transfers.ApplyChanges(&report), 0);
    EXPECT_TRUE(host.unapplied);
    EXPECT_FALSE(std::filesystem::exists(CachePath()));
    // The report tells the two halves apart: the keyboard was written, the cache file not.
    EXPECT_TRUE(report.attempted);
    EXPECT_EQ(report.cacheSaved, 0);
    EXPECT_NE(report.cacheError.find(CachePath().string()), std::string::npos);
    EXPECT_EQ(report.download, 1);
    EXPECT_EQ(report.downloadReport.profiles, (std::vector<unsigned>{0}));
}

TEST_F(TransfersTest, ApplyReportsTheDownloadAndCanWriteEveryProfile) {
    ASSERT_EQ(transfers.LoadProfileFromKeyboard(false), 1);
    ApplyReport report;
    EXPECT_EQ(transfers.ApplyChanges(&report), 1);
    EXPECT_FALSE(report.attempted);  // nothing to apply

    (void)store.Lock()->SetBlockRecord(2, kEscRecord, {1, 0, 0, 0, 0});
    host.unapplied = true;
    keyboard.Unplug();
    EXPECT_EQ(transfers.ApplyChanges(&report, true), 0);
    EXPECT_EQ(report.cacheSaved, 1);
    EXPECT_EQ(report.download, 0);
    EXPECT_TRUE(host.unapplied);

    keyboard.Plug();
    EXPECT_EQ(transfers.ApplyChanges(&report, true), 1);
    EXPECT_TRUE(report.allProfiles);
    EXPECT_EQ(report.downloadReport.profiles, (std::vector<unsigned>{0, 1, 2}));
    EXPECT_EQ(KeyboardKeymap(2), WithEntry(Defaults(), kEscPosition, {0, 0, 0}));
    EXPECT_FALSE(host.unapplied);
}

// A session without a home folder has no profile folder. The working folder is somewhere
// else's: the run starts in an empty one.
class NoProfileFolderTest : public ProfileOpsTest {
protected:
    NoProfileFolderTest() : ProfileOpsTest(false) {}
    void SetUp() override {
        previous = std::filesystem::current_path();
        std::filesystem::current_path(working.Path());
        ProfileOpsTest::SetUp();
    }
    void TearDown() override {
        ProfileOpsTest::TearDown();
        std::filesystem::current_path(previous);
    }

    TempFolder working;
    std::filesystem::path previous;
};

TEST_F(NoProfileFolderTest, TheStoreFollowsTheKeyboardWithoutAnyFile) {
    ASSERT_TRUE(ProfileFolder().empty());
    SetKeyboardKeymap(0, WithEntry(Defaults(), kEscPosition, {2, 2, 0x04}));

    // The refresh reads the keyboard in memory.
    host.unapplied = true;
    ASSERT_EQ(transfers.LoadProfileFromKeyboard(false), 1);
    EXPECT_EQ(store.Lock()->BlockRecord(0, kEscRecord), (KeyRecord{2, 0, 0x01E, 0, 0}));
    EXPECT_FALSE(host.unapplied);

    // Apply downloads; there is no cache file to keep.
    (void)store.Lock()->SetBlockRecord(0, kEscRecord, {1, 0, 0, 0, 0});
    host.unapplied = true;
    ApplyReport report;
    EXPECT_EQ(transfers.ApplyChanges(&report), 1);
    EXPECT_EQ(report.cacheSaved, 1);
    EXPECT_EQ(report.download, 1);
    EXPECT_FALSE(host.unapplied);

    // A reload brings back what the keyboard holds: what Apply wrote, not the later edit.
    (void)store.Lock()->SetBlockRecord(0, kEscRecord, {2, 0, 0x01E, 0, 0});
    EXPECT_EQ(transfers.ReloadStoreFromKeyboard(), 1);
    EXPECT_EQ(store.Lock()->BlockRecord(0, kEscRecord).kind, 1);

    EXPECT_EQ(working.Names(), std::vector<std::string>{}) << "a file went to the working folder";
}

TEST_F(NoProfileFolderTest, AnsweringNoReloadsFromTheKeyboardNotFromTheWorkingFolder) {
    ASSERT_EQ(transfers.LoadProfileFromKeyboard(false), 1);  // Esc at kind 0, as on the keyboard
    // A profile file under the cache file's name in the working folder, with Esc disabled.
    StoreContents stray;
    stray.mainBlock = NewMainBlock(0);
    (void)stray.SetBlockRecord(0, kEscRecord, {1, 0, 0, 0, 0});
    Bytes bytes;
    ASSERT_EQ(BuildProfileFile(stray, bytes), 1);
    qf::testing::WriteBytes(working / ProfileCachePath({}, 0).string(), bytes);

    (void)store.Lock()->SetBlockRecord(0, kEscRecord, {8, 0, 10, 0, 0});
    host.unapplied = true;
    prompter.decide = [](TextId) { return false; };
    EXPECT_EQ(switching.SwitchProfile(1), 1);
    EXPECT_EQ(store.Lock()->BlockRecord(0, kEscRecord).kind, 0);
    EXPECT_FALSE(host.unapplied);
}

}  // namespace
}  // namespace qf::profiles::testing
