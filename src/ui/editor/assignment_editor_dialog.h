// The assignment editor: the skinned dialog (Skins/Composite.ini) in which the user gives one key
// of the keyboard view a new function, with its macro editor. Everything it decides is the
// editor model's (presenters/editor_model.h); the dialog wires the widgets to it and redraws
// what the model reports as changed.
//
//   AssignmentEditorDialog editor({store, assignments, keyboardView, recorder, hooks, grab,
//                                  prompter, language, paths.languageFile,
//                                  paths.compositeSkin.file, paths.installFolder, pictures,
//                                  appState, onScreenKeyboard, openHelp},
//                                 mainWindow);
//   // the keyboard view's AssignmentEditorHost:
//   editor.Run({record, isG9}, keyButton->rect().translated(keyButton->mapToGlobal(QPoint())));
//   // the keyboard's removal (0x4753) or the program's end: editor.CloseFromOutside();
//   // SwitchHost::IsEditorOpen: editor.IsOpen()
//
// Opening reads the key's record, places the dialog next to the key button inside the button's
// screen and shows the page of the record's kind. The key capture and the macro recorder run
// through the hook owner, whose keyboard grab this dialog holds while it is open; every way the
// dialog closes (OK, Cancel, the window's close button, CloseFromOutside, destruction) ends
// them and lets the keyboard go. Enter and Escape do nothing; F1 opens the help unless a
// recording runs.
//
// GUI thread only.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QRect>
#include <QTableView>
#include <array>
#include <filesystem>
#include <functional>
#include <optional>

#include "app/app_state.h"
#include "presenters/editor_model.h"
#include "ui/editor/action_table.h"
#include "ui/editor/keyboard_grab.h"
#include "ui/editor/on_screen_keyboard.h"
#include "ui/skin/picture_button.h"
#include "ui/skin/picture_cache.h"
#include "ui/skin/skinned_dialog.h"

namespace qf::ui {

struct EditorWindowDependencies {
    profiles::ProfileStore& store;
    profiles::Assignments& assignments;
    // The main window's keyboard view: refreshed by Apply, which also enables its Apply.
    profiles::AssignmentView& keyboardView;
    macros::MacroRecorder& recorder;
    presenters::HookOwner& hooks;
    // The hook owner's grab: this dialog is its window while it is open.
    QtKeyboardGrab& grab;
    text::Prompter& prompter;
    text::LanguageTable& language;
    // The language file whose editor texts are loaded at every opening.
    std::filesystem::path languageFile;
    // Skins/Composite.ini, and the folder the picture sets are named in.
    std::filesystem::path layoutFile;
    std::filesystem::path installFolder;
    PictureCache& pictures;
    // The keyboard's macro memory capacity, for the meter.
    const app::AppState& state;
    OnScreenKeyboard& onScreenKeyboard;
    // F1; nothing when empty.
    std::function<void()> openHelp;
};

// The editor's five picture sets.
enum class EditorPictureSet { Key, Macro, Macro2, Media, Function };

class AssignmentEditorDialog final : public SkinnedDialog, private presenters::EditorView {
    Q_OBJECT
public:
    explicit AssignmentEditorDialog(EditorWindowDependencies deps, QWidget* parent = nullptr);
    ~AssignmentEditorDialog() override;

    // Opens on `opening` next to the key button at `keyButtonOnScreen` (global coordinates)
    // and returns at once; the dialog is modal to the whole program. False, and nothing
    // opens, when the skin's background or shape picture cannot be read (the user is told
    // which) or the keyboard's profile cannot be read (APPLY_PROMPT).
    bool Open(const presenters::EditorOpening& opening, const QRect& keyButtonOnScreen);
    // Open, then wait until the dialog has closed. False when it did not open.
    bool Run(const presenters::EditorOpening& opening, const QRect& keyButtonOnScreen);
    // Closes without applying: the keyboard's removal, the program's end.
    void CloseFromOutside();
    [[nodiscard]] bool IsOpen() const { return model_.IsOpen(); }

    [[nodiscard]] presenters::EditorModel& model() { return model_; }

    // The controls, for the window's own tests.
    [[nodiscard]] PictureButton& pageButton(presenters::EditorPage page) const;
    [[nodiscard]] PictureButton& clearButton() const { return *clear_; }
    [[nodiscard]] PictureButton& maskControl() const { return *mask_; }
    [[nodiscard]] PictureButton& titleControl() const { return *title_; }
    [[nodiscard]] PictureButton& oskButton() const { return *osk_; }
    [[nodiscard]] PictureButton& okButton() const { return *ok_; }
    [[nodiscard]] PictureButton& cancelButton() const { return *cancel_; }
    [[nodiscard]] PictureButton& applyButton() const { return *apply_; }
    [[nodiscard]] PictureButton& recordButton() const { return *record_; }
    [[nodiscard]] PictureButton& addMacroButton() const { return *addMacro_; }
    [[nodiscard]] PictureButton& deleteMacroButton() const { return *deleteMacro_; }
    [[nodiscard]] QLineEdit& keyField() const { return *keyField_; }
    [[nodiscard]] QListWidget& mediaList() const { return *mediaList_; }
    [[nodiscard]] QListWidget& functionList() const { return *functionList_; }
    [[nodiscard]] QComboBox& macroList() const { return *macroList_; }
    [[nodiscard]] QLineEdit& repeatField() const { return *repeat_; }
    [[nodiscard]] QTableView& actionTable() const { return *actionTable_; }
    [[nodiscard]] QCheckBox& recordDelayBox() const { return *recordDelay_; }
    [[nodiscard]] QLabel& macroMeter() const { return *meter_; }
    // The picture set the mask shows (the page's), and the set the page buttons, Clear and
    // the title were last given (Key, or Macro2 in macro-only mode).
    [[nodiscard]] std::optional<EditorPictureSet> maskSet() const { return maskSet_; }
    [[nodiscard]] std::optional<EditorPictureSet> pageButtonSet() const { return pageButtonSet_; }

public slots:
    void done(int result) override;

protected:
    void PlaceControls() override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // presenters::EditorView
    void EditorChanged(std::uint32_t changes) override;

    bool Prepare(const presenters::EditorOpening& opening, const QRect& keyButtonOnScreen);
    void Connect();
    void PlaceButton(PictureButton& button, std::string_view key, EditorPictureSet set,
                     bool selectedIsPressed = true);
    void PlacePageButtons();
    void PlaceMask();
    [[nodiscard]] StatePictures Pictures(EditorPictureSet set, bool selectedIsPressed) const;
    void ShowTexts();
    void ShowPage();
    void ShowMacroList();
    void ShowMacroName();
    void ShowCurrentMacro();
    void ShowActionSelection();
    void ShowRepeat();
    void ShowRecording();
    void ShowApply();
    void ShowMeter();
    void ShowListSelection(QListWidget& list, int row);
    void SetShown(QWidget& widget, bool shown);
    void PlaceNextTo(const QRect& keyButtonOnScreen);
    void Ok();
    void Cancel();

    EditorWindowDependencies deps_;
    presenters::EditorModel model_;

    PictureButton* title_ = nullptr;
    PictureButton* mask_ = nullptr;
    std::array<PictureButton*, 4> pages_{};
    PictureButton* clear_ = nullptr;
    PictureButton* osk_ = nullptr;
    PictureButton* ok_ = nullptr;
    PictureButton* cancel_ = nullptr;
    PictureButton* apply_ = nullptr;
    PictureButton* addMacro_ = nullptr;
    PictureButton* deleteMacro_ = nullptr;
    PictureButton* record_ = nullptr;
    PictureButton* deleteAction_ = nullptr;
    PictureButton* clearActions_ = nullptr;
    std::array<PictureButton*, 4> moves_{};  // top, up, down, bottom

    QLineEdit* keyField_ = nullptr;
    QListWidget* mediaList_ = nullptr;
    QListWidget* functionList_ = nullptr;
    QComboBox* macroList_ = nullptr;
    QLineEdit* repeat_ = nullptr;
    QLabel* repeatLabel_ = nullptr;
    QTableView* actionTable_ = nullptr;
    ActionTableModel* actionModel_ = nullptr;
    QCheckBox* recordDelay_ = nullptr;
    QLabel* recordDelayLabel_ = nullptr;
    // The page prompts: single key (two), macro name, media, function.
    QLabel* keyPrompt_ = nullptr;
    QLabel* singlePrompt_ = nullptr;
    QLabel* macroPrompt_ = nullptr;
    QLabel* mediaPrompt_ = nullptr;
    QLabel* functionPrompt_ = nullptr;
    QLabel* meter_ = nullptr;

    // Controls the skin does not place stay hidden.
    QList<QWidget*> unplaced_;
    std::optional<EditorPictureSet> maskSet_;
    std::optional<EditorPictureSet> pageButtonSet_;
};

}  // namespace qf::ui
