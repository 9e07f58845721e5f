// The commands that move or change the profile store: read, write, assign and macro. They work
// on the keyboard (load the keyboard into a store, change it, download it) or on a profile file.
#include <unistd.h>

#include <iostream>
#include <system_error>

#include "cli_text.h"
#include "commands.h"
#include "device/result.h"
#include "keys/catalogues.h"
#include "keys/keymap_image.h"
#include "profiles/assignments.h"
#include "profiles/profile_store.h"
#include "profiles/switching.h"
#include "profiles/transfers.h"
#include "store_view.h"
#include "text/language_keys.h"
#include "text/safe_file.h"
#include "text/utf.h"

namespace qf::cli {

namespace {

namespace fs = std::filesystem;

// The command line has no keyboard picture and no Apply button.
class NoAssignmentView final : public profiles::AssignmentView {
public:
    void SetKeyButton(std::size_t, bool, const std::string&) override {}
    void SetGButton(std::size_t, bool, const std::string&) override {}
    void EnableApply() override {}
    void Redraw() override {}
};

class NoWindow final : public profiles::UnappliedChanges {
public:
    bool HasUnappliedChanges() override { return false; }
    void ClearUnapplied() override {}
};

class BankA final : public profiles::KeyBankSource {
public:
    bool BankB() const override { return false; }
};

// A file has no active profile; its questions are asked about profile 0.
class FixedProfile final : public profiles::ActiveProfileSource {
public:
    int ReadActiveProfile() override { return 0; }
};

// The store a command works on, with the core objects around it.
class StoreSession {
public:
    StoreSession(Session& session, const StorePlace& place)
        : session_(session),
          place_(place),
          assignments_(
              {store_, view_, ProfileSource(), bank_, session.language(), session.prompter()}) {}

    ~StoreSession() {
        if (!temporary_.empty()) {
            std::error_code ec;
            fs::remove(temporary_, ec);
        }
    }

    bool onKeyboard() const { return place_.file.empty(); }
    profiles::ProfileStore& store() { return store_; }
    profiles::Assignments& assignments() { return assignments_; }
    int activeProfile() const { return activeProfile_; }

    // Fills the store from the keyboard or the file. kExitOk or the exit code.
    int Load(bool allowMissingFile) {
        if (!onKeyboard()) {
            profiles::StoreContents contents;
            if (const int read = ReadProfileForCli(place_.file, contents, allowMissingFile);
                read != kExitOk) {
                return read;
            }
            auto access = store_.Lock();
            *access = std::move(contents);
            return kExitOk;
        }
        if (const int prepared = PrepareKeyboard(); prepared != kExitOk) {
            return prepared;
        }
        temporary_ = fs::temp_directory_path() /
                     ("quillfenctl-" + std::to_string(::getpid()) + "-keyboard.fwc");
        std::string error;
        if (transfers().ReadKeyboardIntoFile(temporary_, &error) != 1) {
            PrintMessage("reading the keyboard failed: " +
                         (error.empty() ? std::string("no reason given") : error));
            return kExitDevice;
        }
        profiles::LoadReport report;
        if (profiles::LoadProfileFile(store_, temporary_, &report) != 1) {
            PrintMessage("the keyboard's contents could not be loaded: " + report.reason);
            return kExitDevice;
        }
        return kExitOk;
    }

    // Reads what the keyboard reports on arrival: active profile, macro memory size, default
    // keymap. kExitOk or the exit code.
    int PrepareKeyboard() {
        if (const int open = session_.OpenKeyboard(); open != kExitOk) {
            return open;
        }
        device::DeviceInfoBlock info;
        if (const int read = session_.commands().ReadDeviceInfo(info); read != device::kOk) {
            return session_.DeviceFailure("reading the device info", read);
        }
        activeProfile_ = info.activeProfile();
        session_.appState().activeProfile.store(activeProfile_);
        session_.appState().macroMemorySize.store(info.macroMemoryBytes());
        session_.ReadDefaultKeymap();
        return kExitOk;
    }

    // Writes the store back: to the file, or to the keyboard (all profiles, or the active one).
    int Save(bool allProfiles) {
        if (!onKeyboard()) {
            std::string error;
            if (profiles::SaveProfileFile(store_, place_.file, {}, &error) != 1) {
                PrintMessage("cannot write \"" + place_.file + "\": " + error);
                return kExitFile;
            }
            return kExitOk;
        }
        return Download(allProfiles);
    }

    int Download(bool allProfiles) {
        std::uint32_t total = 0;
        {
            auto access = store_.Lock();
            total = ImageBytes(access->macros);
        }
        profiles::DownloadReport report;
        int result = 0;
        {
            const WatchedWrites watch(session_, total);
            result = transfers().ApplyStoreToKeyboard(allProfiles, &report);
        }
        if (result != 1) {
            return DownloadFailure(
                report, report.firstFailure != 1 ? report.firstFailure : device::kNoDevice, total);
        }
        // The application's image of the keyboard follows, when it keeps one.
        if (!session_.ProfileFolder().empty()) {
            (void)profiles::SaveProfileCache(store_, transfers().CachePath());
        }
        return kExitOk;
    }

    // The main window's import of the profile file `path`, whose macros are `macros`: the file
    // becomes the store and the cache file, and is written to the keyboard (all profiles).
    // kExitOk or the exit code.
    int Import(const std::string& path, const std::vector<macros::MacroRecord>& macros) {
        const std::uint32_t total = ImageBytes(macros);
        profiles::DownloadReport report;
        profiles::ImportResult imported;
        {
            const WatchedWrites watch(session_, total);
            imported = transfers().ImportProfileFile(path, &report);
        }
        if (imported.result != 1) {
            return kExitFile;  // the import has said so (MAIN_PROMPT_INPORT)
        }
        if (imported.download != 1) {
            return DownloadFailure(report, imported.download, total);
        }
        return kExitOk;
    }

    profiles::ProfileTransfers& transfers() {
        if (!transfers_) {
            transfers_ =
                std::make_unique<profiles::ProfileTransfers>(profiles::TransferDependencies{
                    session_.commands(), store_, session_.defaultKeymap(), session_.appState(),
                    session_.prompter(), session_.language(), session_.ProfileFolder(),
                    *activeSource_, assignments_, window_});
        }
        return *transfers_;
    }

private:
    // The macro memory image the keyboard gets: with names when they fit its memory.
    std::uint32_t ImageBytes(const std::vector<macros::MacroRecord>& macros) const {
        const macros::ImageSizes sizes = macros::MacroImageSizes(macros);
        return sizes.withNames <= session_.appState().macroMemorySize.load() ? sizes.withNames
                                                                             : sizes.withoutNames;
    }

    // Shows the progress of the macro memory writes while it lives.
    class WatchedWrites {
    public:
        WatchedWrites(Session& session, std::uint32_t total) : session_(session), progress_(total) {
            session_.tracing().SetWriteObserver(
                [this](std::span<const std::uint8_t> report) { progress_.OnReport(report); });
        }
        ~WatchedWrites() { session_.tracing().SetWriteObserver({}); }
        WatchedWrites(const WatchedWrites&) = delete;
        WatchedWrites& operator=(const WatchedWrites&) = delete;

    private:
        Session& session_;
        MacroWriteProgress progress_;
    };

    // The message and exit code of a download that failed with `result`.
    int DownloadFailure(const profiles::DownloadReport& report, int result, std::uint32_t total) {
        if (report.tooLong) {
            PrintMessage("the macros need " + std::to_string(total) +
                         " bytes of macro memory; the keyboard has " +
                         std::to_string(report.capacity) + ": nothing was written");
            return kExitDevice;
        }
        return session_.DeviceFailure("writing to the keyboard", result);
    }

    profiles::ActiveProfileSource& ProfileSource() {
        if (onKeyboard()) {
            activeSource_ = std::make_unique<KeyboardProfile>(*this);
        } else {
            activeSource_ = std::make_unique<FixedProfile>();
        }
        return *activeSource_;
    }

    // The keyboard's active profile, read afresh each time it is asked.
    class KeyboardProfile final : public profiles::ActiveProfileSource {
    public:
        explicit KeyboardProfile(StoreSession& owner) : owner_(owner) {}
        int ReadActiveProfile() override {
            profiles::ActiveProfile active(owner_.session_.commands(), owner_.session_.appState());
            return active.ReadActiveProfile();
        }

    private:
        StoreSession& owner_;
    };

    Session& session_;
    StorePlace place_;
    profiles::ProfileStore store_;
    NoAssignmentView view_;
    BankA bank_;
    NoWindow window_;
    std::unique_ptr<profiles::ActiveProfileSource> activeSource_;
    profiles::Assignments assignments_;
    std::unique_ptr<profiles::ProfileTransfers> transfers_;
    int activeProfile_ = -1;
    fs::path temporary_;
};

std::uint16_t GCodeOf(std::size_t record) {
    if (record >= keys::kFirstBankBGRecord && record <= keys::kLastGRecord) {
        return static_cast<std::uint16_t>(keys::kGCodeBankB + (record - keys::kFirstBankBGRecord) +
                                          1);
    }
    if (record >= keys::kFirstGRecord && record < keys::kFirstBankBGRecord) {
        return static_cast<std::uint16_t>(keys::kGCodeBankA + (record - keys::kFirstGRecord) + 1);
    }
    return 0;
}

// The keyboard's default keymap has a position whose key uses `record`.
bool OnKeyboardLayout(Session& session, std::size_t record) {
    const keys::KeymapImage defaults = session.defaultKeymap().Get();
    for (std::size_t p = 0; p < keys::kKeymapPositions; ++p) {
        if (keys::PositionRecord(defaults, p) == record) {
            return true;
        }
    }
    return false;
}

}  // namespace

int RunRead(Session& session, const std::string& path) {
    const fs::path file(path);
    // A target the write would refuse (no folder, a folder, a device, a FIFO, write-protected)
    // is refused before the keyboard is read.
    std::string refused;
    if (text::CheckWritableTarget(file, &refused) != 1) {
        PrintMessage(refused);
        return kExitFile;
    }
    StoreSession store(session, {});
    if (const int prepared = store.PrepareKeyboard(); prepared != kExitOk) {
        return prepared;
    }
    std::string error;
    if (store.transfers().ReadKeyboardIntoFile(file, &error) != 1) {
        PrintMessage("reading the keyboard into \"" + path +
                     "\" failed: " + (error.empty() ? std::string("no reason given") : error));
        return kExitDevice;
    }
    std::cout << "read the keyboard into " << path << '\n';
    return kExitOk;
}

int RunWrite(Session& session, const std::string& path) {
    profiles::StoreContents contents;
    if (ReadProfileForCli(path, contents) != kExitOk) {
        PrintMessage(session.language().Text(text::TextId::MAIN_PROMPT_INPORT));
        return kExitFile;
    }
    StoreSession store(session, {});
    if (const int prepared = store.PrepareKeyboard(); prepared != kExitOk) {
        return prepared;
    }
    // Keys the keyboard's layout lacks go nowhere: say which, rather than lose them quietly.
    for (std::size_t block = 0; block < profiles::kDeviceKeyBlockCount; ++block) {
        for (const AssignedKey& key : AssignedKeys(contents, block, session)) {
            if (!OnKeyboardLayout(session, key.record)) {
                PrintMessage("profile " + std::to_string(block) + ": " + key.key +
                             " is not on the keyboard's layout; its assignment is kept in the "
                             "file but not written");
            }
        }
    }
    if (const int written = store.Import(path, contents.macros); written != kExitOk) {
        return written;
    }
    std::cout << "wrote " << path << " to the keyboard (" << contents.macros.size()
              << " macros, profiles 0, 1 and 2)\n";
    return kExitOk;
}

int RunAssign(Session& session, const AssignOptions& options) {
    // The command line is checked whole before the keyboard or the file is touched.
    unsigned bank = 0;
    if (SameName(options.bank, "B")) {
        bank = 1;
    } else if (!SameName(options.bank, "A")) {
        PrintMessage("bank \"" + options.bank + "\" is neither A nor B");
        return kExitUsage;
    }
    const auto target = ParseKeyTarget(options.key, bank);
    if (!target) {
        PrintMessage("unknown key \"" + options.key +
                     "\" (key table names such as Esc, A, F1, Caps Lock, Num 7, or G1..G9)");
        return kExitUsage;
    }
    std::string error;
    const auto wanted = ParseAssignment(options.target, error);
    if (!wanted) {
        PrintMessage(error);
        return kExitUsage;
    }
    keys::KeyRecord change;
    switch (wanted->kind) {
        case NewFunction::Kind::Default:
            change.kind = static_cast<std::uint16_t>(keys::KeyKind::Default);
            break;
        case NewFunction::Kind::Disable:
            change.kind = static_cast<std::uint16_t>(keys::KeyKind::Disabled);
            break;
        case NewFunction::Kind::Key: {
            const auto scan = ParseKeyName(wanted->name);
            if (!scan) {
                PrintMessage("unknown key \"" + wanted->name + "\"");
                return kExitUsage;
            }
            change.kind = static_cast<std::uint16_t>(keys::KeyKind::Key);
            change.value = *scan;
            break;
        }
        case NewFunction::Kind::Media: {
            const auto index = ParseMediaName(wanted->name, session.keyTexts());
            if (!index || keys::AssignMedia(change, *index) != 1) {
                PrintMessage("unknown media function \"" + wanted->name + "\"");
                return kExitUsage;
            }
            break;
        }
        case NewFunction::Kind::Function: {
            const auto index = ParseFunctionName(wanted->name, session.keyTexts());
            if (!index || keys::AssignFunction(change, *index) != 1) {
                PrintMessage("unknown keyboard function \"" + wanted->name + "\"");
                return kExitUsage;
            }
            break;
        }
        case NewFunction::Kind::Macro:
            change.kind = static_cast<std::uint16_t>(keys::KeyKind::Macro);
            break;  // the id comes from the store
    }

    StoreSession place(session, options.place);
    if (const int loaded = place.Load(true); loaded != kExitOk) {
        return loaded;
    }
    int profile = options.profile.value_or(place.onKeyboard() ? place.activeProfile() : 0);
    if (profile < 0 || profile >= profiles::kOnBoardProfiles) {
        PrintMessage("the keyboard reports active profile " + std::to_string(profile) +
                     "; give --profile 0..2");
        return kExitDevice;
    }
    if (place.onKeyboard() && !OnKeyboardLayout(session, target->record)) {
        // The keymap the keyboard stores has entries only for the positions its layout lists:
        // an assignment to any other key would be dropped on the way without a word.
        PrintMessage("the keyboard's layout has no position for \"" + options.key +
                     "\": it cannot hold an assignment for that key");
        return kExitUsage;
    }
    const auto block = static_cast<std::size_t>(profile);
    std::string caption;
    {
        auto access = place.store().Lock();
        keys::KeyRecord record = access->BlockRecord(block, target->record);
        record.kind = change.kind;
        record.value = change.value;
        // G records keep their G code; a macro assignment carries the repeat count instead, as
        // the assignment editor writes it.
        record.extra = GCodeOf(target->record);
        if (wanted->kind == NewFunction::Kind::Macro) {
            const int index = FindMacro(access->macros, wanted->name);
            if (index < 0) {
                PrintMessage("no macro named \"" + wanted->name +
                             "\" (see quillfenctl macro list)");
                return kExitUsage;
            }
            macros::MacroRecord& macro = access->macros[static_cast<std::size_t>(index)];
            if (wanted->repeats != 0) {
                macro.repeatCount = static_cast<std::uint8_t>(wanted->repeats);
            }
            record.value = macro.id;
            record.extra = macro.repeatCount;
        }
        access->SetBlockRecord(block, target->record, record);
        caption = CaptionOf(*access, block, target->record, session);
    }
    // Only the macro's repeat count and this profile's keymap changed: the active profile's
    // download suffices when it is the one changed.
    const bool all = profile != place.activeProfile();
    if (const int saved = place.Save(all); saved != kExitOk) {
        return saved;
    }
    std::cout << "profile " << profile << ": " << caption << '\n';
    return kExitOk;
}

int RunMacroList(Session& session, const StorePlace& where) {
    StoreSession place(session, where);
    if (const int loaded = place.Load(false); loaded != kExitOk) {
        return loaded;
    }
    auto access = place.store().Lock();
    std::cout << DescribeMacros(access->macros, session.keyTexts());
    return kExitOk;
}

int RunMacroAdd(Session& session, const StorePlace& where, const std::string& name,
                const std::vector<std::string>& steps, int repeats) {
    const std::u16string name16 = text::Utf8ToUtf16(name);
    if (name16.empty() || name16.size() > macros::kMacroNameMaxChars) {
        PrintMessage("a macro name has 1 to " + std::to_string(macros::kMacroNameMaxChars) +
                     " characters");
        return kExitUsage;
    }
    if (repeats < macros::kMinRepeatCount || repeats > macros::kMaxRepeatCount) {
        PrintMessage("the repeat count is 1 to 255");
        return kExitUsage;
    }
    std::string error;
    const auto actions = ParseMacroSteps(steps, error);
    if (!actions) {
        PrintMessage(error);
        return kExitUsage;
    }

    StoreSession place(session, where);
    if (const int loaded = place.Load(true); loaded != kExitOk) {
        return loaded;
    }
    {
        auto access = place.store().Lock();
        std::vector<macros::MacroRecord> list = access->macros;
        for (const macros::MacroRecord& macro : list) {
            if (macro.NameView() == name16) {
                PrintMessage("a macro named \"" + name + "\" exists already; remove it first");
                return kExitUsage;
            }
        }
        int counter = static_cast<int>(list.size());
        auto record = macros::NewMacroRecord(list, counter, name16);
        if (!record) {
            PrintMessage(session.language().Format(text::TextId::MACRO_ERR_MAX,
                                                   static_cast<int>(macros::kMaxMacros)));
            return kExitUsage;
        }
        record->SetName(name16);
        record->repeatCount = static_cast<std::uint8_t>(repeats);
        for (const macros::MacroAction& action : *actions) {
            (void)record->AppendAction(action);
        }
        list.push_back(*record);
        (void)profiles::CommitMacroList(access, std::move(list));
    }
    // A new macro goes at the end of the list: no key's macro position moves.
    if (const int saved = place.Save(false); saved != kExitOk) {
        return saved;
    }
    std::cout << "macro \"" << name << "\" added (" << actions->size() << " actions, repeat "
              << repeats << ")\n";
    return kExitOk;
}

int RunMacroRemove(Session& session, const StorePlace& where, const std::string& name) {
    StoreSession place(session, where);
    if (const int loaded = place.Load(false); loaded != kExitOk) {
        return loaded;
    }
    macros::MacroRecord macro;
    std::vector<macros::MacroRecord> list;
    {
        auto access = place.store().Lock();
        const int index = FindMacro(access->macros, name);
        if (index < 0) {
            PrintMessage("no macro named \"" + name + "\"");
            return kExitUsage;
        }
        list = access->macros;
        macro = list[static_cast<std::size_t>(index)];
        list.erase(list.begin() + index);
    }
    if (place.assignments().MacroKeysConfirm(macro) != 1) {
        PrintMessage("macro \"" + name + "\" kept (keys play it; --yes removes it anyway)");
        return kExitUsage;
    }
    profiles::CommitResult commit;
    {
        auto access = place.store().Lock();
        commit = profiles::CommitMacroList(access, std::move(list));
    }
    // The macros after it move up one position: every profile's keymap changes.
    if (const int saved = place.Save(true); saved != kExitOk) {
        return saved;
    }
    std::cout << "macro \"" << name << "\" removed";
    if (!commit.resetRecords.empty()) {
        std::cout << "; " << commit.resetRecords.size() << " key(s) that played it are back to "
                  << "their default function";
    }
    std::cout << '\n';
    return kExitOk;
}

}  // namespace qf::cli
