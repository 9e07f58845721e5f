// The profile-file commands that need no keyboard (validate, show), and what they share with
// the commands that change a store.
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <system_error>

#include "cli_text.h"
#include "commands.h"
#include "keys/catalogues.h"
#include "profiles/assignments.h"
#include "profiles/profile_store.h"
#include "store_view.h"
#include "text/utf.h"

namespace qf::cli {

namespace fs = std::filesystem;

int ReadProfileForCli(const fs::path& path, profiles::StoreContents& out, bool allowMissing) {
    std::error_code ec;
    if (allowMissing && !fs::exists(path, ec) && !ec) {
        out = profiles::StoreContents{};
        out.mainBlock = profiles::NewMainBlock(0);
        return kExitOk;
    }
    if (fs::is_directory(path, ec)) {
        PrintMessage("\"" + path.string() + "\" is a folder, not a profile file");
        return kExitFile;
    }
    const profiles::Validation valid = profiles::ValidateProfileFile(path);
    if (valid.result != 1) {
        std::string why = valid.reason;
        if (why.empty()) {
            why = valid.result == -2   ? "it cannot be opened for reading"
                  : valid.result == -3 ? "there is not enough memory for it"
                                       : "it is missing or not a profile file";
        }
        PrintMessage("\"" + path.string() + "\" is not a valid profile file: " + why);
        return kExitFile;
    }
    profiles::LoadReport report;
    if (profiles::ReadProfileFile(path, out, &report) != 1) {
        PrintMessage("\"" + path.string() + "\" cannot be read: " +
                     (report.reason.empty() ? std::string("read failed") : report.reason));
        return kExitFile;
    }
    if (report.damagedStrings > 0) {
        PrintMessage("\"" + path.string() + "\": " + std::to_string(report.damagedStrings) +
                     " key text(s) lay outside the file and read as empty");
    }
    return kExitOk;
}

namespace {

profiles::CaptionTexts CaptionTextsFor(Session& session) {
    profiles::CaptionTexts texts(session.core().language());
    // The session's key names: the language file's when there is one, otherwise English names
    // for the media keys too (the language table has no built-in wording for them).
    texts.keyTexts = session.keyTexts();
    return texts;
}

bool IsGRecord(std::size_t record) {
    return record >= keys::kFirstGRecord && record <= keys::kLastGRecord;
}

std::string KeyLabel(std::size_t record, const keys::KeyTexts& texts) {
    if (IsGRecord(record)) {
        const bool bankB = record >= keys::kFirstBankBGRecord;
        const std::size_t g = record - (bankB ? keys::kFirstBankBGRecord : keys::kFirstGRecord) + 1;
        return "G" + std::to_string(g) + (bankB ? " (bank B)" : " (bank A)");
    }
    return keys::KeyName(keys::KeyIndexToScan(static_cast<unsigned>(record)), texts);
}

const char* KindName(std::uint16_t kind) {
    switch (static_cast<keys::KeyKind>(kind)) {
        case keys::KeyKind::Default:
            return "default";
        case keys::KeyKind::Disabled:
            return "disabled";
        case keys::KeyKind::Key:
            return "key";
        case keys::KeyKind::Program:
            return "program";
        case keys::KeyKind::Macro:
            return "macro";
        case keys::KeyKind::StopMacro:
            return "stop-macro";
        case keys::KeyKind::Text:
            return "text";
        case keys::KeyKind::Media:
            return "media";
        case keys::KeyKind::Function:
            return "function";
    }
    return "unknown";
}

}  // namespace

// A word as a shell takes it whole: in double quotes when it holds a blank.
std::string Quoted(const std::string& word) {
    return word.find(' ') != std::string::npos ? "\"" + word + "\"" : word;
}

// The global options a later command needs to reach the same keyboard.
std::string KeyboardOptions(const Session& session) {
    const GlobalOptions& o = session.options();
    if (!o.virtualState.empty()) {
        return " --virtual-state " + Quoted(o.virtualState);
    }
    if (o.useVirtual) {
        return " --virtual";
    }
    if (!o.deviceService.empty()) {
        return " --device-service " + Quoted(o.deviceService);
    }
    return "";
}

PlainFunction DescribeFunction(const keys::KeyRecord& record,
                               const std::vector<macros::MacroRecord>& list,
                               const keys::KeyTexts& texts) {
    const auto quoted = [](const std::string& name) {
        return name.find(' ') != std::string::npos ? "\"" + name + "\"" : name;
    };
    switch (static_cast<keys::KeyKind>(record.kind)) {
        case keys::KeyKind::Default:
            return {"its default function", "default"};
        case keys::KeyKind::Disabled:
            return {"nothing (disabled)", "disable"};
        case keys::KeyKind::Key: {
            const std::string name =
                keys::KeyName(static_cast<keys::ScanCode>(record.value), texts);
            return {"key " + name, quoted("key:" + name)};
        }
        case keys::KeyKind::Macro:
            for (const macros::MacroRecord& macro : list) {
                if (macro.id == record.value) {
                    const std::string name = text::Utf16ToUtf8(macro.NameView());
                    const int times = macro.repeatCount;
                    return {"macro \"" + name + "\" (played " + std::to_string(times) +
                                (times == 1 ? " time)" : " times)"),
                            quoted("macro:" + name)};
                }
            }
            return {"a macro that is no longer there", ""};
        case keys::KeyKind::Media:
            for (std::uint32_t i = 0; i < texts.media.size(); ++i) {
                keys::KeyRecord probe = record;
                if (keys::AssignMedia(probe, i) == 1 && probe.kind == record.kind &&
                    probe.value == record.value) {
                    return {"media function " + texts.media[i], quoted("media:" + texts.media[i])};
                }
            }
            return {"a media function", ""};
        case keys::KeyKind::Function:
            for (std::uint32_t i = 0; i < texts.functions.size(); ++i) {
                keys::KeyRecord probe = record;
                if (keys::AssignFunction(probe, i) == 1 && probe.kind == record.kind &&
                    probe.value == record.value) {
                    return {"keyboard function " + texts.functions[i],
                            quoted("function:" + texts.functions[i])};
                }
            }
            return {"a keyboard function", ""};
        case keys::KeyKind::Program:
            return {"a program to start", ""};
        case keys::KeyKind::Text:
            return {"a text to type", ""};
        case keys::KeyKind::StopMacro:
            return {"stop the playing macro", ""};
    }
    return {"an unknown function", ""};
}

std::string CaptionOf(const profiles::StoreContents& contents, std::size_t block,
                      std::size_t record, Session& session) {
    const profiles::CaptionTexts texts = CaptionTextsFor(session);
    const keys::KeyRecord value = contents.BlockRecord(block, record);
    if (IsGRecord(record)) {
        const bool bankB = record >= keys::kFirstBankBGRecord;
        const auto g = static_cast<unsigned>(
            record - (bankB ? keys::kFirstBankBGRecord : keys::kFirstGRecord) + 1);
        return profiles::GKeyAssignmentCaption(g, value, texts, contents.macros).text;
    }
    return profiles::KeyAssignmentCaption(keys::KeyIndexToScan(static_cast<unsigned>(record)),
                                          value, texts, contents.macros)
        .text;
}

std::vector<AssignedKey> AssignedKeys(const profiles::StoreContents& contents, std::size_t block,
                                      Session& session) {
    std::vector<AssignedKey> out;
    auto add = [&](std::size_t record) {
        const keys::KeyRecord value = contents.BlockRecord(block, record);
        if (value.kind == static_cast<std::uint16_t>(keys::KeyKind::Default)) {
            return;
        }
        AssignedKey key;
        key.key = KeyLabel(record, session.keyTexts());
        key.record = record;
        key.kind = value.kind;
        key.extra = value.extra;
        key.value = value.value;
        key.caption = CaptionOf(contents, block, record, session);
        key.does = DescribeFunction(value, contents.macros, session.keyTexts()).words;
        out.push_back(std::move(key));
    };
    for (std::size_t r = keys::kFirstGRecord; r <= keys::kLastGRecord; ++r) {
        add(r);
    }
    for (std::size_t r = 0; r < keys::kKeyIndexRecords; ++r) {
        add(r);
    }
    return out;
}

int FindMacro(const std::vector<macros::MacroRecord>& list, const std::string& name) {
    const std::string wanted = name;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (text::Utf16ToUtf8(list[i].NameView()) == wanted) {
            return static_cast<int>(i);
        }
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (SameName(text::Utf16ToUtf8(list[i].NameView()), wanted)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string DescribeMacros(const std::vector<macros::MacroRecord>& list,
                           const keys::KeyTexts& texts) {
    std::ostringstream out;
    out << "macros (" << list.size() << "):\n";
    for (const macros::MacroRecord& macro : list) {
        out << "  " << macro.id << "  " << text::Utf16ToUtf8(macro.NameView()) << "  repeat "
            << int{macro.repeatCount} << "  actions " << macro.UsedActions() << ": "
            << FormatMacroSteps(macro, texts) << '\n';
    }
    return out.str();
}

int RunValidate(Session& /*session*/, const std::string& path) {
    profiles::StoreContents contents;
    if (const int read = ReadProfileForCli(path, contents); read != kExitOk) {
        return read;
    }
    std::cout << "valid: " << path << " (" << contents.macros.size() << " macros)\n";
    return kExitOk;
}

int RunShow(Session& session, const std::string& path, bool json) {
    profiles::StoreContents contents;
    if (const int read = ReadProfileForCli(path, contents); read != kExitOk) {
        return read;
    }
    if (json) {
        nlohmann::json doc;
        doc["file"] = path;
        doc["profiles"] = nlohmann::json::array();
        for (std::size_t block = 0; block < profiles::kDeviceKeyBlockCount; ++block) {
            nlohmann::json keysJson = nlohmann::json::array();
            for (const AssignedKey& key : AssignedKeys(contents, block, session)) {
                keysJson.push_back({{"key", key.key},
                                    {"record", key.record},
                                    {"kind", KindName(key.kind)},
                                    {"kindCode", key.kind},
                                    {"extra", key.extra},
                                    {"value", key.value},
                                    {"caption", key.caption},
                                    {"does", key.does}});
            }
            doc["profiles"].push_back({{"profile", block}, {"keys", keysJson}});
        }
        doc["macros"] = nlohmann::json::array();
        for (const macros::MacroRecord& macro : contents.macros) {
            nlohmann::json actions = nlohmann::json::array();
            for (std::size_t i = 0; i < macro.UsedActions(); ++i) {
                const macros::MacroAction& a = macro.actions[i];
                actions.push_back(
                    {{"key", keys::KeyName(a.scan, session.keyTexts())},
                     {"scan", a.scan},
                     {"state", a.state == macros::kActionRelease ? "release" : "press"},
                     {"delay", a.delay}});
            }
            doc["macros"].push_back({{"id", macro.id},
                                     {"name", text::Utf16ToUtf8(macro.NameView())},
                                     {"repeat", macro.repeatCount},
                                     {"actions", actions}});
        }
        // Names come from files and may hold bytes that are not UTF-8: replace, never throw.
        std::cout << doc.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
        return kExitOk;
    }
    for (std::size_t block = 0; block < profiles::kDeviceKeyBlockCount; ++block) {
        const auto assigned = AssignedKeys(contents, block, session);
        std::cout << "profile " << block << " (" << assigned.size() << " assigned):\n";
        for (const AssignedKey& key : assigned) {
            std::cout << "  " << key.key << "\t" << key.does << '\n';
        }
    }
    std::cout << DescribeMacros(contents.macros, session.keyTexts());
    return kExitOk;
}

}  // namespace qf::cli
