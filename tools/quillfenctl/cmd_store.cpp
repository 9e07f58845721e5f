// The commands that move or change the profile store: read, write, assign and macro. They work
// on the keyboard (read the keyboard into the store, change it, download it) or on a profile file.
#include <iostream>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

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
#include "verify.h"

namespace qf::cli {

namespace {

namespace fs = std::filesystem;

std::string ReasonOf(const std::string& error) {
    return error.empty() ? std::string("no reason given") : error;
}

// After a read of the keyboard failed: when a report failed (the one the session's trace saw,
// or the one the read returns), says so and gives the exit code. Empty when every report went
// through, so that the failure was elsewhere.
std::optional<int> ReadDeviceFailure(Session& session, const std::string& error,
                                     const device::Failure& failure) {
    const std::string what = "reading the keyboard (" + error + ")";
    if (const auto place = session.TakeFailure()) {
        return session.DeviceFailure(what, place->result, place);
    }
    if (failure.code != device::DeviceResult::Ok) {
        return session.DeviceFailure(what, failure);
    }
    return std::nullopt;
}

// The store a command works on (the session's), filled from the keyboard or a profile file, and
// written back to where it came from.
class StoreSession {
public:
    StoreSession(Session& session, const StorePlace& place) : session_(session), place_(place) {}

    bool onKeyboard() const { return place_.file.empty(); }
    profiles::ProfileStore& store() { return session_.core().store(); }
    // A file's questions (a macro that keys play) need no active profile: only the store is
    // looked at.
    profiles::Assignments& assignments() { return session_.core().assignments(); }
    profiles::ProfileTransfers& transfers() { return session_.core().transfers(); }
    int activeProfile() const { return activeProfile_; }

    void SetVerify(bool verify) { verify_ = verify; }
    bool created() const { return created_; }

    // Fills the store from the keyboard or the file. A file that does not exist is made new
    // when `mayCreate` and --create (or the user's Yes) allow it. kExitOk or the exit code.
    int Load(bool mayCreate) {
        if (!onKeyboard()) {
            std::error_code ec;
            const bool missing = !fs::exists(place_.file, ec) && !ec;
            if (missing && mayCreate && !place_.create &&
                !session_.prompter().Ask("\"" + place_.file +
                                         "\" does not exist: make a new profile file?")) {
                PrintMessage("nothing changed: \"" + place_.file +
                             "\" does not exist (check its name, or give --create to make it)");
                return kExitUsage;
            }
            created_ = missing && mayCreate;
            profiles::StoreContents contents;
            if (const int read = ReadProfileForCli(place_.file, contents, created_);
                read != kExitOk) {
                return read;
            }
            auto access = store().Lock();
            *access = std::move(contents);
            return kExitOk;
        }
        if (const int prepared = PrepareKeyboard(); prepared != kExitOk) {
            return prepared;
        }
        std::string error;
        device::Failure failure;
        (void)session_.TakeFailure();
        if (transfers().ReadKeyboardIntoStore(&error, &failure) != 1) {
            if (const auto failed = ReadDeviceFailure(session_, error, failure)) {
                return *failed;
            }
            PrintMessage("reading the keyboard failed: " + ReasonOf(error));
            return kExitFile;
        }
        return kExitOk;
    }

    // Load for a command that changes the store: on the keyboard only while the windowed
    // program does not run (its next Apply would undo the change).
    int LoadToChange(bool mayCreate) {
        if (onKeyboard()) {
            if (const int free = session_.CheckWindowedProgramNotRunning(); free != kExitOk) {
                return free;
            }
        }
        return Load(mayCreate);
    }

    // Reads what the keyboard reports on arrival: active profile, macro memory size, default
    // keymap. kExitOk or the exit code.
    int PrepareKeyboard() {
        if (const int open = session_.OpenKeyboard(); open != kExitOk) {
            return open;
        }
        device::DeviceInfoBlock info;
        if (const device::DeviceResult read = session_.commands().ReadDeviceInfo(info);
            read != device::DeviceResult::Ok) {
            return session_.DeviceFailure("reading the device info", read);
        }
        activeProfile_ = info.activeProfile();
        if (activeProfile_ >= profiles::kOnBoardProfiles) {
            PrintMessage("the keyboard reports active profile " + std::to_string(activeProfile_) +
                         ", which it does not have");
            return kExitDevice;
        }
        session_.core().appState().activeProfile.store(activeProfile_);
        session_.core().appState().macroMemorySize.store(info.macroMemoryBytes());
        session_.ReadDefaultKeymap();
        return kExitOk;
    }

    // Writes the store back: to the file, or to the keyboard (all profiles, or the active one).
    int Save(bool allProfiles) {
        if (!onKeyboard()) {
            std::string error;
            if (profiles::SaveProfileFile(store(), place_.file, {}, &error) != 1) {
                PrintMessage("cannot write \"" + place_.file + "\": " + error);
                return kExitFile;
            }
            return kExitOk;
        }
        return Download(allProfiles);
    }

    int Download(bool allProfiles) {
        const std::vector<macros::MacroRecord> macros = store().Lock()->macros;
        return WatchedDownload(macros, [&](profiles::DownloadReport& report) {
            if (transfers().ApplyStoreToKeyboard(allProfiles, &report) != 1) {
                return kDownloadFailed;
            }
            // The application's image of the keyboard follows, when it keeps one.
            if (!session_.core().ProfileFolder().empty()) {
                (void)profiles::SaveProfileCache(store(), transfers().CachePath());
            }
            return kExitOk;
        });
    }

    // The main window's import of the profile file `path`, whose macros are `macros`: the file
    // becomes the store and the cache file, and is written to the keyboard (all profiles).
    // kExitOk or the exit code.
    int Import(const std::string& path, const std::vector<macros::MacroRecord>& macros) {
        return WatchedDownload(macros, [&](profiles::DownloadReport& report) {
            const profiles::ImportResult imported = transfers().ImportProfileFile(path, &report);
            if (imported.result != 1) {
                return kExitFile;  // the import has said so (MAIN_PROMPT_INPORT)
            }
            return imported.download == device::DeviceResult::Ok ? kExitOk : kDownloadFailed;
        });
    }

private:
    // What a download step returns when the keyboard did not take the download; its report
    // says why.
    static constexpr int kDownloadFailed = -1;

    // A download of the store, or of a file, whose macros are `macros`: the waits the keyboard
    // shortens and the names question before it, the macro memory writes shown and kept while
    // `send(report)` runs, then the failure or the read-back of --verify. `send` returns
    // kExitOk, kDownloadFailed, or an exit code it has given its own message for.
    template <typename Send>
    int WatchedDownload(const std::vector<macros::MacroRecord>& macros, Send&& send) {
        const std::uint32_t total = ImageBytes(macros);
        if (const int ready = BeforeDownload(macros); ready != kExitOk) {
            return ready;
        }
        profiles::DownloadReport report;
        SentImage sent;
        int sendResult = kExitOk;
        {
            const WatchedWrites watch(session_, total, sent);
            (void)session_.TakeFailure();
            sendResult = send(report);
        }
        if (sendResult == kDownloadFailed) {
            return DownloadFailure(report, total);
        }
        if (sendResult != kExitOk) {
            return sendResult;
        }
        return AfterDownload(sent);
    }

    // Before the macros go to the keyboard: says which waits the keyboard keeps shorter, and
    // asks before the macros go without their names. kExitOk, or kExitUsage when declined.
    int BeforeDownload(const std::vector<macros::MacroRecord>& macros) {
        for (const macros::MacroRecord& macro : macros) {
            for (const DelayChange& change : DelayChanges(macro)) {
                const macros::MacroAction& action = macro.actions[change.action];
                PrintMessage("macro \"" + text::Utf16ToUtf8(macro.NameView()) +
                             "\": the wait after action " + std::to_string(change.action + 1) +
                             " (" + (action.state == macros::kActionRelease ? "-" : "+") +
                             keys::KeyName(action.scan, session_.keyTexts()) + ") is " +
                             std::to_string(change.given) + " ms; the keyboard keeps " +
                             std::to_string(change.kept) +
                             " ms (it keeps waits in steps of 10 ms)");
            }
        }
        const macros::ImageSizes sizes = macros::MacroImageSizes(macros);
        const std::uint32_t capacity = session_.core().appState().macroMemorySize.load();
        if (capacity == 0 || sizes.withNames <= capacity || sizes.withoutNames > capacity) {
            return kExitOk;  // they fit with names, or not at all (the download says so)
        }
        const std::string question =
            "the macros with their names need " + std::to_string(sizes.withNames) +
            " bytes of macro memory; the keyboard has " + std::to_string(capacity) + " (" +
            std::to_string(sizes.withNames - capacity) +
            " bytes missing). Without their names they take " + std::to_string(sizes.withoutNames) +
            " bytes, and the keyboard then shows them as Macro1, Macro2 and so on. Write them "
            "without their names?";
        if (!session_.prompter().Ask(question)) {
            PrintMessage(
                "nothing was written to the keyboard (remove or shorten a macro, or "
                "answer yes: --yes)");
            return kExitUsage;
        }
        return kExitOk;
    }

    // After a download: the read-back when --verify asks for it. kExitOk or kExitDevice.
    int AfterDownload(const SentImage& sent) {
        if (!verify_) {
            return kExitOk;
        }
        const VerifyResult checked = VerifyWritten(session_.commands(), sent);
        if (checked.deviceResult != device::DeviceResult::Ok) {
            return session_.DeviceFailure(checked.what, checked.deviceResult);
        }
        if (!checked.same) {
            PrintMessage(
                "verify: the keyboard does not hold what was written: first difference "
                "at " +
                checked.what);
            return kExitDevice;
        }
        PrintMessage("verify: " + checked.what + " read back as written");
        return kExitOk;
    }

    // The macro memory image the keyboard gets: with names when they fit its memory.
    std::uint32_t ImageBytes(const std::vector<macros::MacroRecord>& macros) const {
        const macros::ImageSizes sizes = macros::MacroImageSizes(macros);
        return sizes.withNames <= session_.core().appState().macroMemorySize.load()
                   ? sizes.withNames
                   : sizes.withoutNames;
    }

    // Shows the progress of the macro memory writes while it lives, and keeps what they wrote
    // in `sent`.
    class WatchedWrites {
    public:
        WatchedWrites(Session& session, std::uint32_t total, SentImage& sent)
            : session_(session), progress_(total) {
            session_.tracing().SetWriteObserver(
                [this, &sent](std::span<const std::uint8_t> report) {
                    progress_.OnReport(report);
                    sent.OnReport(report);
                });
        }
        ~WatchedWrites() { session_.tracing().SetWriteObserver({}); }
        WatchedWrites(const WatchedWrites&) = delete;
        WatchedWrites& operator=(const WatchedWrites&) = delete;

    private:
        Session& session_;
        MacroWriteProgress progress_;
    };

    // The message and exit code of a download that failed with `result`.
    int DownloadFailure(const profiles::DownloadReport& report, std::uint32_t total) {
        if (report.tooLong) {
            PrintMessage("the macros need " + std::to_string(total) +
                         " bytes of macro memory; the keyboard has " +
                         std::to_string(report.capacity) + ": nothing was written");
            return kExitDevice;
        }
        device::Failure failure = report.failure;
        if (failure.code == device::DeviceResult::Ok) {
            failure.code = device::DeviceResult::NoDevice;  // nothing was sent
        }
        return session_.DeviceFailure("writing to the keyboard", failure);
    }

    Session& session_;
    StorePlace place_;
    int activeProfile_ = -1;
    bool verify_ = false;
    bool created_ = false;
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
    const keys::KeymapImage defaults = session.core().defaultKeymap().Get();
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
    std::error_code ec;
    if (fs::exists(file, ec) && !session.options().force &&
        !session.prompter().Ask("\"" + path +
                                "\" exists: replace it with the keyboard's contents?")) {
        PrintMessage("\"" + path + "\" kept as it was (give --force to replace it)");
        return kExitUsage;
    }
    StoreSession store(session, {});
    if (const int prepared = store.PrepareKeyboard(); prepared != kExitOk) {
        return prepared;
    }
    std::string error;
    device::Failure failure;
    (void)session.TakeFailure();
    if (store.transfers().ReadKeyboardIntoFile(file, &error, &failure) != 1) {
        if (const auto failed = ReadDeviceFailure(session, error, failure)) {
            return *failed;
        }
        // Every read went through: what failed is the file.
        PrintMessage("writing \"" + path + "\" failed: " + ReasonOf(error));
        return kExitFile;
    }
    std::cout << "read the keyboard into " << path << '\n';
    return kExitOk;
}

int RunWrite(Session& session, const std::string& path, bool verify) {
    profiles::StoreContents contents;
    if (ReadProfileForCli(path, contents) != kExitOk) {
        PrintMessage(session.core().language().Text(text::TextId::MAIN_PROMPT_INPORT));
        return kExitFile;
    }
    if (const int free = session.CheckWindowedProgramNotRunning(); free != kExitOk) {
        return free;
    }
    StoreSession store(session, {});
    store.SetVerify(verify);
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
        PrintMessage("unknown key \"" + options.key + "\"" +
                     DidYouMean(options.key, KeyNameList()) +
                     "; quillfenctl list keys names them all (G1..G9 are the G keys)");
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
                PrintMessage("unknown key \"" + wanted->name + "\"" +
                             DidYouMean(wanted->name, KeyNameList()) +
                             "; quillfenctl list keys names them all");
                return kExitUsage;
            }
            change.kind = static_cast<std::uint16_t>(keys::KeyKind::Key);
            change.value = *scan;
            break;
        }
        case NewFunction::Kind::Media: {
            const auto index = ParseMediaName(wanted->name, session.keyTexts());
            if (!index || keys::AssignMedia(change, *index) != 1) {
                PrintMessage("unknown media function \"" + wanted->name + "\"" +
                             DidYouMean(wanted->name, MediaNameList(session.keyTexts())) +
                             "; quillfenctl list media names them all");
                return kExitUsage;
            }
            break;
        }
        case NewFunction::Kind::Function: {
            const auto index = ParseFunctionName(wanted->name, session.keyTexts());
            if (!index || keys::AssignFunction(change, *index) != 1) {
                PrintMessage("unknown keyboard function \"" + wanted->name + "\"" +
                             DidYouMean(wanted->name, FunctionNameList(session.keyTexts())) +
                             "; quillfenctl list functions names them all");
                return kExitUsage;
            }
            break;
        }
        case NewFunction::Kind::Macro:
            change.kind = static_cast<std::uint16_t>(keys::KeyKind::Macro);
            break;  // the id comes from the store
    }

    if (options.verify && !options.place.file.empty()) {
        PrintMessage(
            "--verify reads the keyboard back after a write; a change to a file (--file) "
            "has nothing to read back");
        return kExitUsage;
    }
    StoreSession place(session, options.place);
    place.SetVerify(options.verify);
    if (const int loaded = place.LoadToChange(true); loaded != kExitOk) {
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
    PlainFunction before;
    PlainFunction after;
    std::string repeatNote;
    {
        auto access = place.store().Lock();
        keys::KeyRecord record = access->BlockRecord(block, target->record);
        before = DescribeFunction(record, access->macros, session.keyTexts());
        record.kind = change.kind;
        record.value = change.value;
        // G records keep their G code; a macro assignment carries the repeat count instead, as
        // the assignment editor writes it.
        record.extra = GCodeOf(target->record);
        if (wanted->kind == NewFunction::Kind::Macro) {
            const int index = FindMacro(access->macros, wanted->name);
            if (index < 0) {
                std::vector<std::string> names;
                for (const macros::MacroRecord& macro : access->macros) {
                    names.push_back(text::Utf16ToUtf8(macro.NameView()));
                }
                PrintMessage("no macro named \"" + wanted->name + "\"" +
                             DidYouMean(wanted->name, names) +
                             "; quillfenctl macro list names them all");
                return kExitUsage;
            }
            macros::MacroRecord& macro = access->macros[static_cast<std::size_t>(index)];
            if (wanted->repeats != 0 && wanted->repeats != macro.repeatCount) {
                // The count belongs to the macro: every key that plays it plays it so often.
                const std::string name = text::Utf16ToUtf8(macro.NameView());
                const std::string was = std::to_string(int{macro.repeatCount});
                repeatNote =
                    "macro \"" + name + "\" now plays " + std::to_string(wanted->repeats) +
                    " times (was " + was + ") on every key that plays it; to undo: quillfenctl" +
                    (options.place.file.empty() ? KeyboardOptions(session) : std::string()) +
                    " macro set" +
                    (options.place.file.empty() ? std::string()
                                                : " --file " + Quoted(options.place.file)) +
                    " --repeat " + was + " " + Quoted(name);
                macro.repeatCount = static_cast<std::uint8_t>(wanted->repeats);
            }
            record.value = macro.id;
            record.extra = macro.repeatCount;
        }
        access->SetBlockRecord(block, target->record, record);
        after = DescribeFunction(record, access->macros, session.keyTexts());
    }
    // Only the macro's repeat count and this profile's keymap changed: the active profile's
    // download suffices when it is the one changed.
    const bool all = profile != place.activeProfile();
    if (const int saved = place.Save(all); saved != kExitOk) {
        return saved;
    }
    // What changed, where, and how to undo it.
    const std::string keyName = target->isGKey ? "G" + std::to_string(target->gNumber) +
                                                     " of bank " + (target->bank == 0 ? "A" : "B")
                                               : keys::KeyName(target->scan, session.keyTexts());
    const std::string where =
        place.onKeyboard() ? "profile " + std::to_string(profile) + " of the keyboard"
                           : "profile " + std::to_string(profile) + " of " + options.place.file +
                                 (place.created() ? " (a new file)" : "");
    std::cout << keyName << " in " << where << " now does " << after.words;
    if (before.words != after.words) {
        std::cout << " (before: " << before.words << ")\n";
    } else {
        std::cout << " (as before)\n";
    }
    if (!repeatNote.empty()) {
        std::cout << repeatNote << '\n';
    }
    if (!before.target.empty()) {
        std::string undo = "quillfenctl" + KeyboardOptions(session) + " assign";
        if (!place.onKeyboard()) {
            undo += " --file " + Quoted(options.place.file);
        }
        undo += " --profile " + std::to_string(profile);
        if (target->isGKey) {
            undo += std::string(" --bank ") + (target->bank == 0 ? "A" : "B") + " G" +
                    std::to_string(target->gNumber);
        } else {
            undo += keyName.find(' ') != std::string::npos ? " \"" + keyName + "\"" : " " + keyName;
        }
        undo += " " + before.target;
        std::cout << "to undo: " << undo << '\n';
    }
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
    if (const int loaded = place.LoadToChange(true); loaded != kExitOk) {
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
            PrintMessage(session.core().language().Format(text::TextId::MACRO_ERR_MAX,
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
    std::cout << "macro \"" << name << "\" added to "
              << (place.onKeyboard() ? std::string("the keyboard") : where.file) << " ("
              << actions->size() << " actions, played " << repeats
              << (repeats == 1 ? " time" : " times") << "); to undo: quillfenctl"
              << (place.onKeyboard() ? KeyboardOptions(session) : std::string()) << " macro remove"
              << (place.onKeyboard() ? std::string() : " --file " + Quoted(where.file)) << " "
              << (name.find(' ') != std::string::npos ? "\"" + name + "\"" : name) << '\n';
    return kExitOk;
}

int RunMacroSet(Session& session, const StorePlace& where, const std::string& name, int repeats) {
    if (repeats < macros::kMinRepeatCount || repeats > macros::kMaxRepeatCount) {
        PrintMessage("the repeat count is 1 to 255");
        return kExitUsage;
    }
    StoreSession place(session, where);
    if (const int loaded = place.LoadToChange(false); loaded != kExitOk) {
        return loaded;
    }
    int was = 0;
    std::string macroName;
    std::size_t keys = 0;
    {
        auto access = place.store().Lock();
        const int index = FindMacro(access->macros, name);
        if (index < 0) {
            std::vector<std::string> names;
            for (const macros::MacroRecord& macro : access->macros) {
                names.push_back(text::Utf16ToUtf8(macro.NameView()));
            }
            PrintMessage("no macro named \"" + name + "\"" + DidYouMean(name, names) +
                         "; quillfenctl macro list names them all");
            return kExitUsage;
        }
        macros::MacroRecord& macro = access->macros[static_cast<std::size_t>(index)];
        was = macro.repeatCount;
        macroName = text::Utf16ToUtf8(macro.NameView());
        macro.repeatCount = static_cast<std::uint8_t>(repeats);
        // The keys that play it carry the count too, as the assignment editor writes them.
        for (std::size_t block = 0; block < profiles::kDeviceKeyBlockCount; ++block) {
            for (std::size_t r = 0; r <= keys::kLastGRecord; ++r) {
                keys::KeyRecord record = access->BlockRecord(block, r);
                if (record.kind == static_cast<std::uint16_t>(keys::KeyKind::Macro) &&
                    record.value == macro.id) {
                    record.extra = static_cast<std::uint16_t>(repeats);
                    access->SetBlockRecord(block, r, record);
                    ++keys;
                }
            }
        }
    }
    // The count lives in the macro memory: no keymap changes.
    if (was != repeats) {
        if (const int saved = place.Save(false); saved != kExitOk) {
            return saved;
        }
    }
    std::cout << "macro \"" << macroName << "\" now plays " << repeats
              << (repeats == 1 ? " time" : " times") << " (was " << was << ") on every key that "
              << "plays it (" << keys << (keys == 1 ? " key" : " keys") << ")\n";
    if (was != repeats) {
        std::cout << "to undo: quillfenctl"
                  << (place.onKeyboard() ? KeyboardOptions(session) : std::string()) << " macro set"
                  << (place.onKeyboard() ? std::string() : " --file " + Quoted(where.file))
                  << " --repeat " << was << ' ' << Quoted(macroName) << '\n';
    }
    return kExitOk;
}

int RunMacroRemove(Session& session, const StorePlace& where, const std::string& name) {
    StoreSession place(session, where);
    if (const int loaded = place.LoadToChange(false); loaded != kExitOk) {
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
    const std::string macroName = text::Utf16ToUtf8(macro.NameView());
    std::cout << "macro \"" << macroName << "\" removed from "
              << (place.onKeyboard() ? std::string("the keyboard") : where.file);
    if (!commit.resetRecords.empty()) {
        std::cout << "; " << commit.resetRecords.size() << " key(s) that played it are back to "
                  << "their default function";
    }
    std::cout << '\n';
    std::cout << "to add it again: quillfenctl"
              << (place.onKeyboard() ? KeyboardOptions(session) : std::string()) << " macro add"
              << (place.onKeyboard() ? std::string() : " --file " + Quoted(where.file))
              << " --repeat " << int{macro.repeatCount} << ' ' << Quoted(macroName) << ' '
              << FormatMacroSteps(macro, session.keyTexts()) << '\n';
    return kExitOk;
}

}  // namespace qf::cli
