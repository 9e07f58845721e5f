// Key assignments as the keyboard view shows them: the caption and look of each key button and
// G button, the refresh of all of them from the current profile's key block, the reset of the
// shown assignments, and the question asked before a macro that keys use is removed.
//
// The keyboard view has 105 key buttons (button n shows key kSingleKeyList[n]) and nine G
// buttons (G1..G9 of the bank the keyboard reports). It is reached through AssignmentView; the
// current profile and bank through the small source interfaces below, so that the windows, the
// device monitor and tests can each supply them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "keys/key_names.h"
#include "keys/key_record.h"
#include "keys/key_tables.h"
#include "macros/macro_record.h"
#include "profiles/profile_store.h"
#include "text/language.h"
#include "text/prompter.h"

namespace qf::profiles {

// Head of a G button's caption, with the G number 1..9.
inline constexpr std::string_view kGKeyCaptionFormat = "G%d";
inline constexpr std::size_t kKeyButtonCount = keys::kSingleKeyCount;  // 105
inline constexpr std::size_t kGButtonCount = keys::kGKeysPerBank;      // 9

// The main window's keyboard view.
class AssignmentView {
public:
    virtual ~AssignmentView() = default;
    // Key button `button` (0..104, the position in kSingleKeyList): its assigned or free look
    // and its tooltip caption.
    virtual void SetKeyButton(std::size_t button, bool assigned, const std::string& caption) = 0;
    // G button `g` (0..8 for G1..G9).
    virtual void SetGButton(std::size_t g, bool assigned, const std::string& caption) = 0;
    // Enables the main window's Apply command: the store has changes the keyboard lacks.
    virtual void EnableApply() = 0;
    // Redraws the keyboard view after its buttons changed.
    virtual void Redraw() = 0;
};

// The keyboard's active on-board profile, read from the keyboard each time it is asked:
// 0..255 as the keyboard reports it, or -1 when it cannot be read.
class ActiveProfileSource {
public:
    virtual ~ActiveProfileSource() = default;
    [[nodiscard]] virtual int ReadActiveProfile() = 0;
};

// The key bank the keyboard reports (the monitor's LED status word).
class KeyBankSource {
public:
    virtual ~KeyBankSource() = default;
    [[nodiscard]] virtual bool BankB() const = 0;
};

// The texts a caption is made of: the language table and the key names taken from it.
struct CaptionTexts {
    explicit CaptionTexts(const text::LanguageTable& language);

    const text::LanguageTable& language;
    keys::KeyTexts keyTexts;
};

// A button's caption and whether it shows its assigned look.
struct Caption {
    std::string text;
    bool assigned = false;
    bool operator==(const Caption&) const = default;
};

// The caption of a key button (the key's scan code) or of a G button (G number 1..9) for a
// record. Kind 0 gives the head alone and the free look; any other kind the assigned look and
// the head, KEY_PROMPT_SET and what the key does: "Key(" name ")" for kind 2, "Macro(" the name
// of the macro with the record's id in `macros` ")" for kind 4, "Media(" name ")" for kind 7,
// "Function(" name ")" for kind 8; nothing more for kinds 1, 3, 5 and 6. Names outside their
// catalogue are empty.
[[nodiscard]] Caption KeyAssignmentCaption(keys::ScanCode scan, const keys::KeyRecord& record,
                                           const CaptionTexts& texts,
                                           std::span<const macros::MacroRecord> macros);
[[nodiscard]] Caption GKeyAssignmentCaption(unsigned gNumber, const keys::KeyRecord& record,
                                            const CaptionTexts& texts,
                                            std::span<const macros::MacroRecord> macros);

struct AssignmentDependencies {
    ProfileStore& store;
    AssignmentView& view;
    ActiveProfileSource& activeProfile;
    const KeyBankSource& bank;
    const text::LanguageTable& language;
    text::Prompter& prompter;
};

// The keyboard view's side of the key blocks. All calls run on the window thread; each takes
// the store's lock itself (the lock is re-entrant, so a caller may already hold it). When the
// keyboard reports no profile, or one without a key block, the buttons are left as they are.
class Assignments {
public:
    explicit Assignments(AssignmentDependencies deps) : deps_(deps) {}

    // Every G button of the current bank and every key button takes its look and caption from
    // the current profile's key block; then the view redraws.
    void RefreshAssignmentViews();
    void RefreshAssignmentViews(ProfileStore::Access& store);

    // Zeroes the records of the shown buttons (the nine G keys of the current bank and the 105
    // keys) in the current profile's block, refreshes their captions and enables Apply.
    void ResetAllAssignments();

    // Gives the button of record `record` (0..511 of the current profile's block) its free
    // look and the caption of a zeroed record. Records that belong to no shown button (another
    // bank's G keys, keys without a button) do nothing.
    void ResetAssignmentView(std::size_t record);
    // The same for a store-wide record number (block x 512 + record), as CommitMacroList
    // reports them: only records of the current profile's block are shown.
    void ResetStoreRecordView(std::size_t storeRecord);

    // Asked before a macro is removed: 1 to go on, 0 to keep it. A macro that exists only in
    // the open editor goes without a question; otherwise, when any key record of any block
    // plays it, MACRO_DELETE_CONFIRM_OF_KEYS is asked (No the default).
    [[nodiscard]] int MacroKeysConfirm(const macros::MacroRecord& macro);

    // The key block of the current profile, or -1 when there is none to show.
    [[nodiscard]] int CurrentBlock();

private:
    void ShowRecord(std::size_t record, const keys::KeyRecord& value, const CaptionTexts& texts,
                    std::span<const macros::MacroRecord> macros);

    AssignmentDependencies deps_;
};

}  // namespace qf::profiles
