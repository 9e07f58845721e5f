#include "profiles/assignments.h"

#include "keys/catalogues.h"
#include "keys/key_codes.h"
#include "text/language_keys.h"
#include "text/utf.h"

namespace qf::profiles {

namespace {

using keys::KeyKind;
using keys::KeyRecord;

bool IsShownProfile(int profile) {
    return profile >= 0 && profile < kOnBoardProfiles;
}

std::string MacroName(std::span<const macros::MacroRecord> list, std::uint32_t id) {
    for (const auto& macro : list) {
        if (macro.id == id) {
            return text::Utf16ToUtf8(macro.NameView());
        }
    }
    return {};
}

Caption CaptionWithHead(std::string head, const KeyRecord& record, const CaptionTexts& texts,
                        std::span<const macros::MacroRecord> list) {
    if (record.kind == static_cast<std::uint16_t>(KeyKind::Default)) {
        return {std::move(head), false};
    }
    const auto& lang = texts.language;
    std::string text = std::move(head);
    text += lang.Text(text::TextId::KEY_PROMPT_SET);
    auto enclose = [&](text::TextId prompt, const std::string& name) {
        text += lang.Text(prompt);
        text += name;
        text += ')';
    };
    switch (record.keyKind()) {
        case KeyKind::Key: {
            const auto target =
                record.value <= 0xFFFF ? static_cast<keys::ScanCode>(record.value) : keys::kNoKey;
            enclose(text::TextId::KEY_PROMPT_SINGLE, keys::KeyName(target, texts.keyTexts));
            break;
        }
        case KeyKind::Macro:
            enclose(text::TextId::KEY_PROMPT_MACRO, MacroName(list, record.value));
            break;
        case KeyKind::Media:
            enclose(text::TextId::KEY_PROMPT_MEDIA, keys::MediaName(record.value, texts.keyTexts));
            break;
        case KeyKind::Function:
            enclose(text::TextId::KEY_PROMPT_FUNCTION,
                    keys::FunctionName(record.value, texts.keyTexts));
            break;
        default:
            break;
    }
    return {std::move(text), true};
}

// The block record behind key button `button`.
std::size_t ButtonRecord(std::size_t button) {
    return keys::ScanToKeyIndex(keys::kSingleKeyList[button]);
}

}  // namespace

CaptionTexts::CaptionTexts(const text::LanguageTable& lang)
    : language(lang), keyTexts(keys::LoadKeyTexts(lang)) {}

Caption KeyAssignmentCaption(keys::ScanCode scan, const KeyRecord& record,
                             const CaptionTexts& texts, std::span<const macros::MacroRecord> list) {
    return CaptionWithHead(keys::KeyName(scan, texts.keyTexts), record, texts, list);
}

Caption GKeyAssignmentCaption(unsigned gNumber, const KeyRecord& record, const CaptionTexts& texts,
                              std::span<const macros::MacroRecord> list) {
    return CaptionWithHead(text::Format(kGKeyCaptionFormat, gNumber), record, texts, list);
}

int Assignments::CurrentBlock() {
    const int profile = deps_.activeProfile.ReadActiveProfile();
    return IsShownProfile(profile) ? profile : -1;
}

void Assignments::ShowRecord(std::size_t record, const KeyRecord& value, const CaptionTexts& texts,
                             std::span<const macros::MacroRecord> list) {
    const std::size_t firstG = deps_.bank.BankB() ? keys::kFirstBankBGRecord : keys::kFirstGRecord;
    if (record >= firstG && record < firstG + kGButtonCount) {
        const std::size_t g = record - firstG;
        const Caption caption =
            GKeyAssignmentCaption(static_cast<unsigned>(g + 1), value, texts, list);
        deps_.view.SetGButton(g, caption.assigned, caption.text);
        return;
    }
    // Every button whose key has this record (each key has one button, but the lookup does
    // not rely on it).
    for (std::size_t button = 0; button < kKeyButtonCount; ++button) {
        if (ButtonRecord(button) == record) {
            const Caption caption =
                KeyAssignmentCaption(keys::kSingleKeyList[button], value, texts, list);
            deps_.view.SetKeyButton(button, caption.assigned, caption.text);
        }
    }
}

void Assignments::RefreshAssignmentViews() {
    auto store = deps_.store.Lock();
    RefreshAssignmentViews(store);
}

void Assignments::RefreshAssignmentViews(ProfileStore::Access& store) {
    const int block = CurrentBlock();
    if (block < 0) {
        return;
    }
    const auto b = static_cast<std::size_t>(block);
    const CaptionTexts texts(deps_.language);
    const std::size_t firstG = deps_.bank.BankB() ? keys::kFirstBankBGRecord : keys::kFirstGRecord;
    for (std::size_t g = 0; g < kGButtonCount; ++g) {
        const Caption caption = GKeyAssignmentCaption(
            static_cast<unsigned>(g + 1), store->BlockRecord(b, firstG + g), texts, store->macros);
        deps_.view.SetGButton(g, caption.assigned, caption.text);
    }
    for (std::size_t button = 0; button < kKeyButtonCount; ++button) {
        const Caption caption =
            KeyAssignmentCaption(keys::kSingleKeyList[button],
                                 store->BlockRecord(b, ButtonRecord(button)), texts, store->macros);
        deps_.view.SetKeyButton(button, caption.assigned, caption.text);
    }
    deps_.view.Redraw();
}

void Assignments::ResetAllAssignments() {
    auto store = deps_.store.Lock();
    const int block = CurrentBlock();
    if (block < 0) {
        return;
    }
    const auto b = static_cast<std::size_t>(block);
    const CaptionTexts texts(deps_.language);
    const KeyRecord zero;
    const std::size_t firstG = deps_.bank.BankB() ? keys::kFirstBankBGRecord : keys::kFirstGRecord;
    for (std::size_t g = 0; g < kGButtonCount; ++g) {
        (void)store->SetBlockRecord(b, firstG + g, zero);
        const Caption caption =
            GKeyAssignmentCaption(static_cast<unsigned>(g + 1), zero, texts, store->macros);
        deps_.view.SetGButton(g, caption.assigned, caption.text);
    }
    for (std::size_t button = 0; button < kKeyButtonCount; ++button) {
        (void)store->SetBlockRecord(b, ButtonRecord(button), zero);
        const Caption caption =
            KeyAssignmentCaption(keys::kSingleKeyList[button], zero, texts, store->macros);
        deps_.view.SetKeyButton(button, caption.assigned, caption.text);
    }
    deps_.view.EnableApply();
    deps_.view.Redraw();
}

void Assignments::ResetAssignmentView(std::size_t record) {
    if (record >= keys::kRecordsPerBlock) {
        return;
    }
    const CaptionTexts texts(deps_.language);
    ShowRecord(record, KeyRecord{}, texts, {});
}

void Assignments::ResetStoreRecordView(std::size_t storeRecord) {
    const int block = CurrentBlock();
    if (block < 0 || storeRecord / keys::kRecordsPerBlock != static_cast<std::size_t>(block)) {
        return;
    }
    ResetAssignmentView(storeRecord % keys::kRecordsPerBlock);
}

int Assignments::MacroKeysConfirm(const macros::MacroRecord& macro) {
    if (macro.newMark != 0) {
        return 1;
    }
    bool used = false;
    {
        auto store = deps_.store.Lock();
        // Every block: a commit drops the macro from keys of all profiles, so the user is asked
        // whichever profile the key belongs to.
        for (std::size_t n = 0; n < kKeyRecordCount && !used; ++n) {
            const KeyRecord record = store->Record(n);
            used = record.keyKind() == KeyKind::Macro && record.value == macro.id;
        }
    }
    if (!used) {
        return 1;
    }
    const auto& text = deps_.language.Text(text::TextId::MACRO_DELETE_CONFIRM_OF_KEYS);
    return deps_.prompter.AskYesNo(text::TextId::MACRO_DELETE_CONFIRM_OF_KEYS, text) ? 1 : 0;
}

}  // namespace qf::profiles
