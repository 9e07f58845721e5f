// The assignment editor's model: everything the editor decides, without the window.
//
// The editor gives one key of the keyboard view a new function: another key (captured from the
// keyboard), a macro, a media function or a keyboard function, or back its default function.
// It also holds a whole macro editor: the list of macros, the actions of the current macro, the
// recorder. Its four pages follow the working kind: kind 4 shows the macro page, 7 the media
// page, 8 the function page and every other kind the single-key page, where key capture runs.
//
// Nothing reaches the store before Apply (or OK): the editor works on copies of the store's
// macros, and Cancel drops them. Apply commits the macro list, writes the key record into the
// current profile's key block and refreshes the keyboard view.
//
// The window implements EditorView: after each operation it is told what changed and reads the
// model's state through the getters. The window keeps the model's rules by calling only the
// operations below; the model also refuses what the window would have disabled (a macro list
// change while recording, a page of another kind in macro-only mode).
//
// Runs on the user-interface thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "keys/key_names.h"
#include "keys/key_record.h"
#include "macros/macro_image.h"
#include "macros/macro_record.h"
#include "macros/recorder.h"
#include "presenters/editor_action_list.h"
#include "presenters/hook_owner.h"
#include "profiles/assignments.h"
#include "profiles/profile_store.h"
#include "text/language.h"
#include "text/prompter.h"

namespace qf::presenters {

enum class EditorPage { SingleKey, Macro, Media, Function };

// The columns of the action list.
inline constexpr int kActionKeyColumn = 0;
inline constexpr int kActionStateColumn = 1;
inline constexpr int kActionDelayColumn = 2;
inline constexpr int kActionColumnCount = 3;
// Their widths.
inline constexpr int kActionKeyColumnWidth = 70;
inline constexpr int kActionStateColumnWidth = 60;
inline constexpr int kActionDelayColumnWidth = 70;

// What the window redraws after an operation: a bit set of EditorChange values.
enum EditorChange : std::uint32_t {
    kEditorPageChanged = 1u << 0,          // the page: visible controls, mask, page buttons
    kEditorKeyFieldChanged = 1u << 1,      // the key field's text
    kEditorModifiedChanged = 1u << 2,      // the modified flag: the editor's Apply button
    kEditorMacroListChanged = 1u << 3,     // the macro list's entries
    kEditorMacroNameChanged = 1u << 4,     // the current macro's entry, replaced in place
    kEditorCurrentMacroChanged = 1u << 5,  // which macro is current; the action buttons
    kEditorActionsChanged = 1u << 6,       // the action list's rows
    kEditorActionSelected = 1u << 7,       // the selected action: select it, scroll to it
    kEditorRepeatChanged = 1u << 8,        // the repeat count field's text
    kEditorRecordingChanged = 1u << 9,     // Record's text; Add, Delete and the macro list
    kEditorMediaChanged = 1u << 10,        // the media list's selection
    kEditorFunctionChanged = 1u << 11,     // the function list's selection
    kEditorRecordDelayChanged = 1u << 12,  // the record-delay check box
    kEditorOpenChanged = 1u << 13,         // the editor opened or closed
};

class EditorView {
public:
    virtual ~EditorView() = default;
    // `changes`: the EditorChange bits of what changed.
    virtual void EditorChanged(std::uint32_t changes) = 0;
};

// What the editor opens on.
struct EditorOpening {
    // The key's record number in the current profile's key block: 0..255 for a key (its
    // ScanToKeyIndex), 256..273 for a G key (256 + g - 1 in bank A, 265 + g - 1 in bank B).
    std::size_t record = 0;
    // Set for G9 and for the main window's Macro button: the editor edits macros only.
    bool macroOnly = false;
};

// The in-place editor a click on a cell of the action list opens.
enum class ActionCellEditor { None, Key, State, Delay };

struct EditorDependencies {
    profiles::ProfileStore& store;
    // The current profile's block, the keyboard view's refresh and the macro delete question.
    profiles::Assignments& assignments;
    // The main window's keyboard view: its Apply is enabled after an Apply here.
    profiles::AssignmentView& keyboardView;
    macros::MacroRecorder& recorder;
    HookOwner& hooks;
    text::Prompter& prompter;
    text::LanguageTable& language;
    // The language file, whose editor texts are loaded at every opening; empty: the texts are
    // left as they are.
    std::filesystem::path languageFile;
    EditorView& view;
};

class EditorModel final : public KeyCaptureSink {
public:
    explicit EditorModel(EditorDependencies deps);
    ~EditorModel() override;
    EditorModel(const EditorModel&) = delete;
    EditorModel& operator=(const EditorModel&) = delete;

    // ---- Opening and closing ----

    // Opens the editor on a record of the current profile's block. Refused (false, with the
    // APPLY_PROMPT message) when the keyboard's profile cannot be read or the record number is
    // outside a key block. An editor that is open is closed first.
    bool Open(const EditorOpening& opening);
    // Applies, then closes. False, and the editor stays open, when the apply is refused.
    bool Ok();
    // Closes without applying: capture and recording stop, every edit is dropped.
    void Cancel() { Close(); }
    // Closes (Cancel, or from outside: the keyboard's removal, the program's end).
    void Close();
    [[nodiscard]] bool IsOpen() const { return open_; }

    // ---- Pages ----

    // A page button. Single key sets the working kind to 2 unless it is 0 or 2; Macro, Media
    // and Function set 4, 7 or 8. A change shows the page and marks the editor modified. In
    // macro-only mode only the macro page is offered.
    void ClickPage(EditorPage page);
    // Clear: back to the single-key page, and when the working kind is then 2, an empty key
    // field and kind 0 (the key's default function).
    void ClickClear();

    // KeyCaptureSink: a key captured on the single-key page.
    void OnKeyCaptured(keys::ScanCode scan) override;

    void SelectMedia(int index);
    void SelectFunction(int index);

    // ---- Macros ----

    // Saves the current macro (repeat count and actions), then shows macro `index`. Ignored
    // while recording and for an index outside the list.
    void SelectMacro(int index);
    // Text typed into the macro list's name field: the current macro takes it as its name; with
    // no macro at all, a new one of that name is made and selected. With macros but none
    // selected there is nothing to name, and nothing happens.
    void TypeMacroName(std::string_view name);
    // A new macro (MACRO_ERR_MAX at 100 macros), appended, selected and shown.
    void AddMacro();
    // Removes the current macro when the user agrees (MacroKeysConfirm); the one before it
    // becomes current.
    void DeleteMacro();

    // The repeat count field changed: its text, corrected in place (1 to 255; a value of 0 or
    // less, or no number, reads as 1). Returns the field's text.
    std::string SetRepeatText(std::string_view text);

    // ---- Actions ----

    void SelectAction(std::optional<std::size_t> row);
    void MoveAction(ActionMove move);
    void DeleteAction();
    // Asks MACRO_ACTION_CLEAR_CONFIRM, then removes every action.
    void ClearActions();
    // Record starts or stops the recorder. Keystrokes that cannot be caught end the recording
    // at once with MACRO_RECORD_NO_HOOKS.
    void ToggleRecord();
    void SetRecordDelay(bool measured);

    // A click on cell (row, column) of the action list: which in-place editor opens. Starting a
    // delay edit stops the recording; a column without an editor shows MACRO_ACTION_ERR_MODIFY.
    ActionCellEditor BeginActionEdit(std::size_t row, int column);
    // The key column's choice: an action key code (0..105).
    void SetActionKey(std::size_t row, std::uint16_t actionKeyCode);
    // The state column's choice: 0 press, 1 release.
    void SetActionState(std::size_t row, std::uint16_t state);
    // Leaving the delay editor: the text read as an unsigned decimal number; above 40000 it
    // shows MACRO_ACTION_ERR_DELAY_MAX and becomes 40000; then it is rounded down to a multiple
    // of 10. Returns the text to write back. Only the first commit of one BeginActionEdit
    // counts (a window may commit the same edit twice, on focus loss and on closing).
    std::string CommitActionDelay(std::size_t row, std::string_view text);

    // ---- Apply ----

    // Stops recording, commits the macro list, writes the key record and refreshes the
    // keyboard view; then the main window's Apply is enabled. Refused (false, APPLY_PROMPT)
    // when the keyboard's profile cannot be read.
    bool Apply();

    // ---- State for the window ----

    [[nodiscard]] std::size_t record() const { return record_; }
    [[nodiscard]] bool macroOnly() const { return macroOnly_; }
    [[nodiscard]] std::uint16_t workingKind() const { return workingKind_; }
    [[nodiscard]] EditorPage page() const;
    [[nodiscard]] bool modified() const { return modified_; }

    [[nodiscard]] const std::string& keyFieldText() const { return keyFieldText_; }
    [[nodiscard]] std::optional<keys::ScanCode> capturedKey() const { return captured_; }
    // The page buttons and Clear: all but Macro are disabled in macro-only mode, which draws
    // them, and the title, from the second macro picture set and hides their pages' prompts.
    [[nodiscard]] bool PageEnabled(EditorPage page) const;
    [[nodiscard]] bool ClearEnabled() const { return !macroOnly_; }
    [[nodiscard]] bool PagePromptsVisible() const { return !macroOnly_; }

    // The lists' entries, in value order, and their selections (-1 for none).
    [[nodiscard]] std::vector<std::string> MediaNames() const;
    [[nodiscard]] std::vector<std::string> FunctionNames() const;
    [[nodiscard]] int mediaSelection() const { return mediaSelection_; }
    [[nodiscard]] int functionSelection() const { return functionSelection_; }

    [[nodiscard]] const std::vector<macros::MacroRecord>& macros() const { return macros_; }
    [[nodiscard]] std::vector<std::string> MacroNames() const;
    [[nodiscard]] int currentMacro() const { return current_; }
    [[nodiscard]] const std::string& repeatText() const { return repeatText_; }
    // Record, delete and clear actions and the four moves: only with a current macro.
    [[nodiscard]] bool ActionButtonsEnabled() const { return current_ >= 0; }
    // Add, Delete and the macro list: not while recording.
    [[nodiscard]] bool MacroListEnabled() const { return !recording(); }

    [[nodiscard]] const EditorActionList& actions() const { return actions_; }
    // The keyboard's macro memory image of the macro list as Apply would commit it (the current
    // macro with the actions and the repeat count being edited), with and without the names.
    [[nodiscard]] macros::ImageSizes MacroImageSizes() const;
    // The texts of one row: key name, state, delay.
    [[nodiscard]] std::string ActionKeyText(std::size_t row) const;
    [[nodiscard]] std::string ActionStateText(std::size_t row) const;
    [[nodiscard]] std::string ActionDelayText(std::size_t row) const;
    // The title of an action list column: MACRO_KEYS_TISHI, MACRO_ACTION_TISHI, MACRO_DELAY_MS.
    [[nodiscard]] const std::string& ColumnTitle(int column) const;
    // The key editor's entries (ActionKeyName 0x00..0x69) and the row's entry, -1 for none.
    [[nodiscard]] std::vector<std::string> ActionKeyNames() const;
    [[nodiscard]] int ActionKeyIndex(std::size_t row) const;
    // The state editor's two entries: ACTION_STATE_PRESS, ACTION_STATE_RELEASE.
    [[nodiscard]] std::vector<std::string> ActionStateNames() const;

    [[nodiscard]] bool recording() const { return deps_.hooks.IsRecordingInto(actions_); }
    // MACRO_ACTION_STOP_RECORD while recording, MACRO_ACTION_RECORD otherwise.
    [[nodiscard]] const std::string& RecordButtonText() const;
    [[nodiscard]] bool recordDelayMeasured() const { return recordDelay_ != 0; }
    // The help key opens help unless recording.
    [[nodiscard]] bool CanOpenHelp() const { return !recording(); }

private:
    class Batch;

    void Notify(std::uint32_t changes) { pending_ |= changes; }
    void Flush();
    void SetModified();
    void ShowPage(bool opening);
    void StopCapture();
    void StopRecording();
    void SaveCurrentMacro();
    void WriteEditsInto(macros::MacroRecord& macro) const;
    void LoadMacro(int index);
    [[nodiscard]] std::uint8_t RepeatValue() const;
    [[nodiscard]] keys::ScanCode CapturedFromRecord(const keys::KeyRecord& record) const;
    [[nodiscard]] std::u16string NewMacroPrefix() const;

    EditorDependencies deps_;
    keys::KeyTexts keyTexts_;
    EditorActionList actions_;

    bool open_ = false;
    std::size_t block_ = 0;
    std::size_t record_ = 0;
    bool macroOnly_ = false;
    keys::KeyRecord original_;  // the record as the editor read it (or last wrote it)
    std::uint32_t openingValue_ = 0;
    std::uint16_t workingKind_ = 0;
    std::optional<keys::ScanCode> captured_;
    std::string keyFieldText_;
    int mediaSelection_ = 0;
    int functionSelection_ = 0;
    std::vector<macros::MacroRecord> macros_;
    int current_ = -1;
    int newNameCounter_ = 0;
    std::string repeatText_ = "1";
    int recordDelay_ = 0;
    bool macroPageShown_ = false;
    bool modified_ = false;
    std::optional<std::size_t> delayEditRow_;

    int batchDepth_ = 0;
    std::uint32_t pending_ = 0;
};

}  // namespace qf::presenters
