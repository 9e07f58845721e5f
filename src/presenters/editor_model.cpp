#include "presenters/editor_model.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "keys/catalogues.h"
#include "keys/key_codes.h"
#include "text/language_keys.h"
#include "text/utf.h"

namespace qf::presenters {

namespace {

using keys::KeyKind;

constexpr auto Kind(KeyKind kind) {
    return static_cast<std::uint16_t>(kind);
}

constexpr std::uint32_t kEverything = (kEditorOpenChanged << 1) - 1;

// The G code a G key's record carries in its extra field; 0 for other records.
std::uint16_t GCodeOf(std::size_t record) {
    if (record >= keys::kFirstGRecord && record < keys::kFirstBankBGRecord) {
        return static_cast<std::uint16_t>(keys::kGCodeBankA | (record - keys::kFirstGRecord + 1));
    }
    if (record >= keys::kFirstBankBGRecord && record <= keys::kLastGRecord) {
        return static_cast<std::uint16_t>(keys::kGCodeBankB |
                                          (record - keys::kFirstBankBGRecord + 1));
    }
    return 0;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())) != 0) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())) != 0) {
        text.remove_suffix(1);
    }
    return text;
}

// A decimal number with an optional sign, saturated far beyond any limit used here; nothing
// when the text is not such a number.
std::optional<long long> ParseDecimal(std::string_view text) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    constexpr long long kSaturated = 1LL << 40;
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = std::min(value * 10 + (c - '0'), kSaturated);
    }
    return negative ? -value : value;
}

}  // namespace

// Collects the changes of one operation and tells the window once, when the outermost
// operation ends.
class EditorModel::Batch {
public:
    explicit Batch(EditorModel& model) : model_(model) { ++model_.batchDepth_; }
    ~Batch() {
        if (--model_.batchDepth_ == 0) {
            model_.Flush();
        }
    }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

private:
    EditorModel& model_;
};

EditorModel::EditorModel(EditorDependencies deps)
    : deps_(std::move(deps)), keyTexts_(keys::LoadKeyTexts(deps_.language)) {
    actions_.SetListener([this](const ActionListChange& change) {
        Batch batch(*this);
        if (change.actions) {
            Notify(kEditorActionsChanged);
        }
        if (change.selection) {
            Notify(kEditorActionSelected);
        }
        if (change.edit) {
            SetModified();
        }
    });
}

EditorModel::~EditorModel() {
    // The window may be gone: end the hooks without telling it.
    if (open_) {
        deps_.hooks.StopRecording(actions_);
        if (deps_.hooks.mode() == HookMode::Capture) {
            deps_.hooks.StopCapture();
        }
    }
    actions_.SetListener({});
}

void EditorModel::Flush() {
    const std::uint32_t changes = std::exchange(pending_, 0);
    if (changes != 0) {
        deps_.view.EditorChanged(changes);
    }
}

void EditorModel::SetModified() {
    if (!modified_) {
        modified_ = true;
        Notify(kEditorModifiedChanged);
    }
}

EditorPage EditorModel::page() const {
    switch (static_cast<KeyKind>(workingKind_)) {
        case KeyKind::Macro:
            return EditorPage::Macro;
        case KeyKind::Media:
            return EditorPage::Media;
        case KeyKind::Function:
            return EditorPage::Function;
        default:
            return EditorPage::SingleKey;
    }
}

// ---- Opening and closing ----

bool EditorModel::Open(const EditorOpening& opening) {
    Batch batch(*this);
    if (open_) {
        Close();
    }
    if (!deps_.languageFile.empty()) {
        (void)deps_.language.Load(text::TextLoader::CompositeEditor, deps_.languageFile);
    }
    keyTexts_ = keys::LoadKeyTexts(deps_.language);

    const int block = deps_.assignments.CurrentBlock();
    if (block < 0 || opening.record >= keys::kRecordsPerBlock) {
        deps_.prompter.ShowMessage(text::TextId::APPLY_PROMPT,
                                   deps_.language.Text(text::TextId::APPLY_PROMPT));
        return false;
    }
    {
        auto store = deps_.store.Lock();
        original_ = store->BlockRecord(static_cast<std::size_t>(block), opening.record);
        macros_ = store->macros;
    }
    for (macros::MacroRecord& macro : macros_) {
        macro.newMark = 0;
    }

    open_ = true;
    block_ = static_cast<std::size_t>(block);
    record_ = opening.record;
    macroOnly_ = opening.macroOnly;
    openingValue_ = original_.value;
    captured_.reset();
    keyFieldText_.clear();
    mediaSelection_ = 0;
    functionSelection_ = 0;
    current_ = -1;
    newNameCounter_ = 0;
    repeatText_ = std::to_string(macros::kMinRepeatCount);
    actions_.Reset();
    macroPageShown_ = false;
    modified_ = false;
    delayEditRow_.reset();
    recordDelay_ = deps_.recorder.ReadRecordDelay();
    workingKind_ = macroOnly_ ? Kind(KeyKind::Macro) : original_.kind;
    ShowPage(true);
    Notify(kEverything);
    return true;
}

bool EditorModel::Ok() {
    Batch batch(*this);
    if (!Apply()) {
        return false;
    }
    Close();
    return true;
}

void EditorModel::Close() {
    if (!open_) {
        return;
    }
    Batch batch(*this);
    StopCapture();
    StopRecording();
    open_ = false;
    macros_.clear();
    current_ = -1;
    actions_.Reset();
    captured_.reset();
    keyFieldText_.clear();
    delayEditRow_.reset();
    modified_ = false;
    Notify(kEverything);
}

// ---- Pages ----

void EditorModel::ShowPage(bool opening) {
    Notify(kEditorPageChanged);
    switch (page()) {
        case EditorPage::Macro:
            StopCapture();
            if (!macroPageShown_) {
                macroPageShown_ = true;
                if (!macros_.empty() && opening) {
                    const auto id =
                        openingValue_ <= 0xFFFF ? static_cast<std::uint16_t>(openingValue_) : 0;
                    LoadMacro(static_cast<int>(macros::MacroIdToIndex(macros_, id)));
                } else if (!macros_.empty() && openingValue_ == 0 && current_ < 0) {
                    LoadMacro(0);
                }
            }
            break;
        case EditorPage::Media:
        case EditorPage::Function: {
            StopCapture();
            StopRecording();
            if (opening) {
                const bool media = page() == EditorPage::Media;
                const std::size_t count = media ? keys::kMediaCount : keys::kFunctionCount;
                const int selection = openingValue_ < count ? static_cast<int>(openingValue_) : -1;
                (media ? mediaSelection_ : functionSelection_) = selection;
                Notify(media ? kEditorMediaChanged : kEditorFunctionChanged);
            }
            break;
        }
        case EditorPage::SingleKey:
            StopRecording();
            (void)deps_.hooks.StartCapture(*this);
            if (opening) {
                // Only a kind-2 record holds a scan code: the value of other kinds is not a key
                // (for kinds 3 and 6 it is a string offset).
                const keys::ScanCode scan = CapturedFromRecord(original_);
                if (scan != keys::kNoKey) {
                    captured_ = scan;
                    keyFieldText_ = keys::KeyName(scan, keyTexts_);
                    Notify(kEditorKeyFieldChanged);
                }
            }
            break;
    }
}

keys::ScanCode EditorModel::CapturedFromRecord(const keys::KeyRecord& record) const {
    if (record.keyKind() != KeyKind::Key || record.value > 0xFFFF) {
        return keys::kNoKey;
    }
    return static_cast<keys::ScanCode>(record.value);
}

void EditorModel::StopCapture() {
    if (deps_.hooks.mode() == HookMode::Capture) {
        deps_.hooks.StopCapture();
    }
}

void EditorModel::StopRecording() {
    if (recording()) {
        deps_.hooks.StopRecording(actions_);
        Notify(kEditorRecordingChanged);
    }
}

bool EditorModel::PageEnabled(EditorPage page) const {
    return !macroOnly_ || page == EditorPage::Macro;
}

void EditorModel::ClickPage(EditorPage target) {
    if (!open_ || !PageEnabled(target)) {
        return;
    }
    Batch batch(*this);
    std::uint16_t kind = workingKind_;
    switch (target) {
        case EditorPage::SingleKey:
            if (kind != Kind(KeyKind::Default) && kind != Kind(KeyKind::Key)) {
                kind = Kind(KeyKind::Key);
            }
            break;
        case EditorPage::Macro:
            kind = Kind(KeyKind::Macro);
            break;
        case EditorPage::Media:
            kind = Kind(KeyKind::Media);
            break;
        case EditorPage::Function:
            kind = Kind(KeyKind::Function);
            break;
    }
    if (kind == workingKind_) {
        return;
    }
    workingKind_ = kind;
    ShowPage(false);
    SetModified();
}

void EditorModel::ClickClear() {
    if (!open_ || !ClearEnabled()) {
        return;
    }
    Batch batch(*this);
    ClickPage(EditorPage::SingleKey);
    if (workingKind_ == Kind(KeyKind::Key)) {
        captured_.reset();
        keyFieldText_.clear();
        workingKind_ = Kind(KeyKind::Default);
        Notify(kEditorKeyFieldChanged);
        SetModified();
    }
}

void EditorModel::OnKeyCaptured(keys::ScanCode scan) {
    if (!open_ || page() != EditorPage::SingleKey) {
        return;
    }
    Batch batch(*this);
    captured_ = scan;
    keyFieldText_ = keys::KeyName(scan, keyTexts_);
    workingKind_ = Kind(KeyKind::Key);
    Notify(kEditorKeyFieldChanged);
    SetModified();
}

void EditorModel::SelectMedia(int index) {
    if (!open_ || index < -1 || index >= static_cast<int>(keys::kMediaCount) ||
        index == mediaSelection_) {
        return;
    }
    Batch batch(*this);
    mediaSelection_ = index;
    Notify(kEditorMediaChanged);
    SetModified();
}

void EditorModel::SelectFunction(int index) {
    if (!open_ || index < -1 || index >= static_cast<int>(keys::kFunctionCount) ||
        index == functionSelection_) {
        return;
    }
    Batch batch(*this);
    functionSelection_ = index;
    Notify(kEditorFunctionChanged);
    SetModified();
}

// ---- Macros ----

std::uint8_t EditorModel::RepeatValue() const {
    const auto value = ParseDecimal(repeatText_);
    if (!value || *value < macros::kMinRepeatCount) {
        return macros::kMinRepeatCount;
    }
    return static_cast<std::uint8_t>(std::min<long long>(*value, macros::kMaxRepeatCount));
}

void EditorModel::SaveCurrentMacro() {
    if (current_ < 0 || current_ >= static_cast<int>(macros_.size())) {
        return;
    }
    WriteEditsInto(macros_[static_cast<std::size_t>(current_)]);
}

void EditorModel::WriteEditsInto(macros::MacroRecord& macro) const {
    macro.repeatCount = RepeatValue();
    const auto& list = actions_.actions();
    const std::size_t before = macro.UsedActions();
    std::copy(list.begin(), list.end(), macro.actions.begin());
    // Actions deleted in the editor leave no trace behind the new count.
    for (std::size_t i = list.size(); i < before; ++i) {
        macro.actions[i] = {};
    }
    macro.actionCount = static_cast<std::uint16_t>(list.size());
}

void EditorModel::LoadMacro(int index) {
    current_ = index;
    delayEditRow_.reset();
    const macros::MacroRecord& macro = macros_[static_cast<std::size_t>(index)];
    repeatText_ = std::to_string(macro.repeatCount);
    actions_.Load(std::span(macro.actions.data(), macro.UsedActions()));
    Notify(kEditorCurrentMacroChanged | kEditorRepeatChanged);
}

void EditorModel::SelectMacro(int index) {
    if (!open_ || recording() || index < 0 || index >= static_cast<int>(macros_.size())) {
        return;
    }
    Batch batch(*this);
    const bool other = index != current_;
    SaveCurrentMacro();
    LoadMacro(index);
    if (other) {
        SetModified();
    }
}

std::u16string EditorModel::NewMacroPrefix() const {
    const std::string& prefix = deps_.language.Text(text::TextId::MACRO_NEW_PREFIX);
    if (prefix.empty()) {
        // A language file without the key would name new macros by bare numbers.
        return text::Utf8ToUtf16(text::TextKey(text::TextId::MACRO_NEW_PREFIX).builtIn);
    }
    return text::Utf8ToUtf16(prefix);
}

void EditorModel::TypeMacroName(std::string_view name) {
    if (!open_ || recording()) {
        return;
    }
    Batch batch(*this);
    const std::u16string text = text::Utf8ToUtf16(name);
    if (macros_.empty()) {
        if (text.empty()) {
            return;
        }
        int counter = 0;  // the name is the typed one; the editor's counter stays
        std::optional<macros::MacroRecord> macro =
            macros::NewMacroRecord(macros_, counter, NewMacroPrefix());
        if (!macro) {
            return;
        }
        macro->SetName(text);
        macros_.push_back(*macro);
        LoadMacro(0);
        Notify(kEditorMacroListChanged);
        SetModified();
        return;
    }
    if (current_ < 0) {
        return;  // macros, but none to name
    }
    macros_[static_cast<std::size_t>(current_)].SetName(text);
    Notify(kEditorMacroNameChanged);
    SetModified();
}

void EditorModel::AddMacro() {
    if (!open_ || recording()) {
        return;
    }
    Batch batch(*this);
    std::optional<macros::MacroRecord> macro =
        macros::NewMacroRecord(macros_, newNameCounter_, NewMacroPrefix());
    if (!macro) {
        deps_.prompter.ShowMessage(
            text::TextId::MACRO_ERR_MAX,
            deps_.language.Format(text::TextId::MACRO_ERR_MAX, macros::kMaxMacros));
        return;
    }
    SaveCurrentMacro();
    macros_.push_back(*macro);
    LoadMacro(static_cast<int>(macros_.size()) - 1);
    Notify(kEditorMacroListChanged);
    SetModified();
}

void EditorModel::DeleteMacro() {
    if (!open_ || recording() || current_ < 0) {
        return;
    }
    Batch batch(*this);
    const auto index = static_cast<std::size_t>(current_);
    if (deps_.assignments.MacroKeysConfirm(macros_[index]) != 1) {
        return;
    }
    // The removed macro is not saved first: its actions would land on its neighbour.
    macros_.erase(macros_.begin() + static_cast<std::ptrdiff_t>(index));
    Notify(kEditorMacroListChanged);
    SetModified();
    if (macros_.empty()) {
        current_ = -1;
        delayEditRow_.reset();
        actions_.Reset();
        Notify(kEditorCurrentMacroChanged);
        return;
    }
    LoadMacro(index > 0 ? static_cast<int>(index) - 1 : 0);
}

std::string EditorModel::SetRepeatText(std::string_view text) {
    if (!open_) {
        return repeatText_;
    }
    Batch batch(*this);
    const std::uint8_t before = RepeatValue();
    const auto value = ParseDecimal(text);
    if (Trim(text).empty()) {
        repeatText_.clear();  // being typed: counts as 1 until a number follows
    } else if (!value || *value < macros::kMinRepeatCount) {
        repeatText_ = std::to_string(macros::kMinRepeatCount);
    } else if (*value > macros::kMaxRepeatCount) {
        repeatText_ = std::to_string(macros::kMaxRepeatCount);
    } else {
        repeatText_ = std::string(text);
    }
    Notify(kEditorRepeatChanged);
    if (current_ >= 0 && RepeatValue() != before) {
        SetModified();
    }
    return repeatText_;
}

// ---- Actions ----

void EditorModel::SelectAction(std::optional<std::size_t> row) {
    if (open_) {
        actions_.Select(row);
    }
}

void EditorModel::MoveAction(ActionMove move) {
    if (open_ && current_ >= 0) {
        (void)actions_.Move(move);
    }
}

void EditorModel::DeleteAction() {
    if (open_ && current_ >= 0) {
        (void)actions_.RemoveSelected();
    }
}

void EditorModel::ClearActions() {
    if (!open_ || current_ < 0 || actions_.ActionCount() == 0) {
        return;
    }
    const std::string& question = deps_.language.Text(text::TextId::MACRO_ACTION_CLEAR_CONFIRM);
    if (deps_.prompter.AskYesNo(text::TextId::MACRO_ACTION_CLEAR_CONFIRM, question)) {
        (void)actions_.RemoveAll();
    }
}

void EditorModel::ToggleRecord() {
    if (!open_) {
        return;
    }
    Batch batch(*this);
    if (recording()) {
        StopRecording();
        return;
    }
    if (current_ < 0 || page() != EditorPage::Macro) {
        return;
    }
    const macros::RecordResult result = deps_.hooks.StartRecording(actions_);
    Notify(kEditorRecordingChanged);
    if (result == macros::RecordResult::HooksFailed) {
        // No keystroke would ever arrive: say so and leave the recording state.
        StopRecording();
        deps_.prompter.ShowMessage(text::TextId::MACRO_RECORD_NO_HOOKS,
                                   deps_.language.Text(text::TextId::MACRO_RECORD_NO_HOOKS));
    }
}

void EditorModel::SetRecordDelay(bool measured) {
    if (!open_) {
        return;
    }
    Batch batch(*this);
    recordDelay_ = deps_.recorder.WriteRecordDelay(measured ? macros::kRecordDelayMeasured
                                                            : macros::kRecordDelayFixed);
    Notify(kEditorRecordDelayChanged);
}

ActionCellEditor EditorModel::BeginActionEdit(std::size_t row, int column) {
    if (!open_ || row >= actions_.ActionCount()) {
        return ActionCellEditor::None;
    }
    Batch batch(*this);
    switch (column) {
        case kActionKeyColumn:
            return ActionCellEditor::Key;
        case kActionStateColumn:
            return ActionCellEditor::State;
        case kActionDelayColumn:
            StopRecording();
            delayEditRow_ = row;
            return ActionCellEditor::Delay;
        default:
            deps_.prompter.ShowMessage(text::TextId::MACRO_ACTION_ERR_MODIFY,
                                       deps_.language.Text(text::TextId::MACRO_ACTION_ERR_MODIFY));
            return ActionCellEditor::None;
    }
}

void EditorModel::SetActionKey(std::size_t row, std::uint16_t actionKeyCode) {
    if (!open_ || row >= actions_.ActionCount() || actionKeyCode >= keys::kActionKeyCodeCount ||
        keys::ScanToActionKeyCode(actions_.at(row).scan) == actionKeyCode) {
        return;
    }
    const keys::ScanCode scan = keys::ActionKeyCodeToScan(actionKeyCode);
    if (scan != keys::kNoKey) {
        (void)actions_.SetScan(row, scan);
    }
}

void EditorModel::SetActionState(std::size_t row, std::uint16_t state) {
    if (open_ && (state == macros::kActionPress || state == macros::kActionRelease)) {
        (void)actions_.SetState(row, state);
    }
}

std::string EditorModel::CommitActionDelay(std::size_t row, std::string_view text) {
    if (!open_ || row >= actions_.ActionCount()) {
        return {};
    }
    if (delayEditRow_ != row) {
        return ActionDelayText(row);  // this edit was committed already
    }
    Batch batch(*this);
    delayEditRow_.reset();
    // Read as unsigned: a minus sign makes a number too large, as an unsigned reading of a
    // negative number is. Text that is no number reads as 0.
    const auto parsed = ParseDecimal(text);
    long long delay = 0;
    if (parsed) {
        delay = *parsed < 0 ? macros::kMaxTypedDelayMs + 1LL : *parsed;
    }
    if (delay > macros::kMaxTypedDelayMs) {
        deps_.prompter.ShowMessage(text::TextId::MACRO_ACTION_ERR_DELAY_MAX,
                                   deps_.language.Format(text::TextId::MACRO_ACTION_ERR_DELAY_MAX,
                                                         macros::kMaxTypedDelayMs));
        delay = macros::kMaxTypedDelayMs;
    }
    delay -= delay % 10;
    (void)actions_.SetDelay(row, static_cast<std::int32_t>(delay));
    return ActionDelayText(row);
}

// ---- Apply ----

bool EditorModel::Apply() {
    if (!open_) {
        return false;
    }
    Batch batch(*this);
    StopRecording();
    if (deps_.assignments.CurrentBlock() < 0) {
        deps_.prompter.ShowMessage(text::TextId::APPLY_PROMPT,
                                   deps_.language.Text(text::TextId::APPLY_PROMPT));
        return false;
    }
    SaveCurrentMacro();

    // The record as this editor leaves it: kind, extra and value, or nothing to keep it.
    struct Written {
        std::uint16_t kind;
        std::uint16_t extra;
        std::uint32_t value;
    };
    const std::uint16_t gCode = GCodeOf(record_);
    std::optional<Written> written;
    switch (static_cast<KeyKind>(workingKind_)) {
        case KeyKind::Key:
            if (!captured_ || keys::ScanToKeyIndex(*captured_) == record_) {
                written = Written{Kind(KeyKind::Default), gCode, 0};  // nothing, or the key itself
            } else {
                written = Written{workingKind_, gCode, *captured_};
            }
            break;
        case KeyKind::Macro:
            if (macros_.empty()) {
                written = Written{Kind(KeyKind::Default), gCode, 0};
            } else if (current_ >= 0) {
                // The repeat count takes the place of a G key's code, as the keyboard reads it.
                written =
                    Written{workingKind_, RepeatValue(),
                            macros::MacroIndexToId(macros_, static_cast<std::size_t>(current_))};
            }
            // Macros but none chosen: the record stays as it was (never macro id 0, which a
            // later commit would turn into the first macro).
            break;
        case KeyKind::Media:
            written = Written{workingKind_, gCode,
                              mediaSelection_ >= 0 ? static_cast<std::uint32_t>(mediaSelection_)
                                                   : original_.value};
            break;
        case KeyKind::Function:
            written =
                Written{workingKind_, gCode,
                        functionSelection_ >= 0 ? static_cast<std::uint32_t>(functionSelection_)
                                                : original_.value};
            break;
        case KeyKind::Default:
            written = Written{workingKind_, gCode, 0};
            break;
        default:
            // Kinds the editor does not make (1, 3, 5, 6) are the record's own, left untouched:
            // the record keeps its value, extra and string (a program path or text).
            break;
    }

    auto store = deps_.store.Lock();
    const profiles::CommitResult commit = profiles::CommitMacroList(store, macros_);
    if (commit.installed) {
        for (macros::MacroRecord& macro : macros_) {
            macro.newMark = 0;  // stored now: deleting it asks about the keys that use it
        }
    }
    for (const std::size_t n : commit.resetRecords) {
        deps_.assignments.ResetStoreRecordView(n);
    }
    if (written) {
        (void)profiles::WriteEditedRecord(store, block_, record_, written->kind, written->extra,
                                          written->value);
    }
    original_ = store->BlockRecord(block_, record_);
    deps_.assignments.RefreshAssignmentViews(store);
    modified_ = false;
    Notify(kEditorModifiedChanged);
    deps_.keyboardView.EnableApply();
    return true;
}

// ---- State for the window ----

std::vector<std::string> EditorModel::MediaNames() const {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < keys::kMediaCount; ++i) {
        names.push_back(keys::MediaName(static_cast<std::uint32_t>(i), keyTexts_));
    }
    return names;
}

std::vector<std::string> EditorModel::FunctionNames() const {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < keys::kFunctionCount; ++i) {
        names.push_back(keys::FunctionName(static_cast<std::uint32_t>(i), keyTexts_));
    }
    return names;
}

macros::ImageSizes EditorModel::MacroImageSizes() const {
    macros::ImageSizes sizes = macros::MacroImageSizes(macros_);
    if (current_ < 0 || current_ >= static_cast<int>(macros_.size())) {
        return sizes;
    }
    // The current macro as it is being edited takes the place of its stored copy.
    const macros::MacroRecord& stored = macros_[static_cast<std::size_t>(current_)];
    macros::MacroRecord edited = stored;
    WriteEditsInto(edited);
    const macros::ImageSizes before = macros::MacroImageSizes(std::span(&stored, 1));
    const macros::ImageSizes after = macros::MacroImageSizes(std::span(&edited, 1));
    sizes.withNames = sizes.withNames - before.withNames + after.withNames;
    sizes.withoutNames = sizes.withoutNames - before.withoutNames + after.withoutNames;
    return sizes;
}

std::vector<std::string> EditorModel::MacroNames() const {
    std::vector<std::string> names;
    names.reserve(macros_.size());
    for (const macros::MacroRecord& macro : macros_) {
        names.push_back(text::Utf16ToUtf8(macro.NameView()));
    }
    return names;
}

std::string EditorModel::ActionKeyText(std::size_t row) const {
    return row < actions_.ActionCount() ? keys::KeyName(actions_.at(row).scan, keyTexts_)
                                        : std::string();
}

std::string EditorModel::ActionStateText(std::size_t row) const {
    if (row >= actions_.ActionCount()) {
        return {};
    }
    // Any state but a release plays as a press.
    const bool release = actions_.at(row).state == macros::kActionRelease;
    return deps_.language.Text(release ? text::TextId::ACTION_STATE_RELEASE
                                       : text::TextId::ACTION_STATE_PRESS);
}

std::string EditorModel::ActionDelayText(std::size_t row) const {
    return row < actions_.ActionCount() ? std::to_string(actions_.at(row).delay) : std::string();
}

const std::string& EditorModel::ColumnTitle(int column) const {
    switch (column) {
        case kActionKeyColumn:
            return deps_.language.Text(text::TextId::MACRO_KEYS_TISHI);
        case kActionStateColumn:
            return deps_.language.Text(text::TextId::MACRO_ACTION_TISHI);
        default:
            return deps_.language.Text(text::TextId::MACRO_DELAY_MS);
    }
}

std::vector<std::string> EditorModel::ActionKeyNames() const {
    std::vector<std::string> names;
    for (std::uint16_t code = 0; code < keys::kActionKeyCodeCount; ++code) {
        names.push_back(keys::ActionKeyName(code, keyTexts_));
    }
    return names;
}

int EditorModel::ActionKeyIndex(std::size_t row) const {
    if (row >= actions_.ActionCount()) {
        return -1;
    }
    const std::uint16_t code = keys::ScanToActionKeyCode(actions_.at(row).scan);
    return code < keys::kActionKeyCodeCount ? static_cast<int>(code) : -1;
}

std::vector<std::string> EditorModel::ActionStateNames() const {
    return {deps_.language.Text(text::TextId::ACTION_STATE_PRESS),
            deps_.language.Text(text::TextId::ACTION_STATE_RELEASE)};
}

const std::string& EditorModel::RecordButtonText() const {
    return deps_.language.Text(recording() ? text::TextId::MACRO_ACTION_STOP_RECORD
                                           : text::TextId::MACRO_ACTION_RECORD);
}

}  // namespace qf::presenters
