#include "ui/editor/assignment_editor_dialog.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <algorithm>

#include "presenters/editor_placement.h"
#include "presenters/reports.h"
#include "text/language_keys.h"
#include "text/skin_keys.h"
#include "ui/skin/control_palette.h"
#include "ui/skin/dialog_skin_check.h"

namespace qf::ui {

namespace skin = text::skin;
using presenters::EditorPage;
using text::TextId;

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

const std::array<std::string_view, 4>& PictureNames(EditorPictureSet set) {
    switch (set) {
        case EditorPictureSet::Key:
            return skin::kCompositeKeyPictures;
        case EditorPictureSet::Macro:
            return skin::kCompositeMacroPictures;
        case EditorPictureSet::Macro2:
            return skin::kCompositeMacro2Pictures;
        case EditorPictureSet::Media:
            return skin::kCompositeMediaPictures;
        case EditorPictureSet::Function:
            return skin::kCompositeFunctionPictures;
    }
    return skin::kCompositeKeyPictures;
}

EditorPictureSet SetOfPage(EditorPage page) {
    switch (page) {
        case EditorPage::Macro:
            return EditorPictureSet::Macro;
        case EditorPage::Media:
            return EditorPictureSet::Media;
        case EditorPage::Function:
            return EditorPictureSet::Function;
        case EditorPage::SingleKey:
            break;
    }
    return EditorPictureSet::Key;
}

constexpr std::array<EditorPage, 4> kPages = {EditorPage::SingleKey, EditorPage::Macro,
                                              EditorPage::Media, EditorPage::Function};
constexpr std::array<std::string_view, 4> kPageKeys = {skin::CONTROL_KEY, skin::CONTROL_MACRO,
                                                       skin::CONTROL_MEDIA, skin::CONTROL_FUNCTION};
constexpr std::array<TextId, 4> kPageCaptions = {TextId::SINGLE_KEY, TextId::MACRO_SETTING,
                                                 TextId::MULTI_MEDIA, TextId::FUNCTION_KEY};
constexpr std::array<std::string_view, 4> kMoveKeys = {skin::FUNC_MACRO_UP_TOP, skin::FUNC_MACRO_UP,
                                                       skin::FUNC_MACRO_DOWN,
                                                       skin::FUNC_MACRO_DOWN_BOTTOM};
constexpr std::array<TextId, 4> kMoveTips = {TextId::A_TOP, TextId::A_UP, TextId::A_DOWN,
                                             TextId::A_BOTTOM};
constexpr std::array<presenters::ActionMove, 4> kMoves = {
    presenters::ActionMove::Top, presenters::ActionMove::Up, presenters::ActionMove::Down,
    presenters::ActionMove::Bottom};

std::size_t PageIndex(EditorPage page) {
    return static_cast<std::size_t>(std::find(kPages.begin(), kPages.end(), page) - kPages.begin());
}

}  // namespace

AssignmentEditorDialog::AssignmentEditorDialog(EditorWindowDependencies deps, QWidget* parent)
    : SkinnedDialog(deps.layoutFile, deps.pictures, parent),
      deps_(std::move(deps)),
      model_({deps_.store, deps_.assignments, deps_.keyboardView, deps_.recorder, deps_.hooks,
              deps_.prompter, deps_.language, deps_.languageFile, *this}) {
    ApplyControlPalette(*this);
    auto button = [this](bool captioned = false) {
        auto* b = new PictureButton(this);
        b->setFocusPolicy(Qt::NoFocus);
        if (captioned) {
            b->SetCaptionStyle(true, kCaptionPointSize, PictureButton::kDefaultCaptionFace,
                               ControlColours{}.text);
            b->installEventFilter(this);  // recoloured when enabled or disabled
        }
        return b;
    };
    auto label = [this] {
        auto* l = new QLabel(this);
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
        return l;
    };
    // Created first, so that every other control lies above them.
    mask_ = button();
    mask_->setAttribute(Qt::WA_TransparentForMouseEvents);
    title_ = button();
    title_->setAttribute(Qt::WA_TransparentForMouseEvents);  // a press on it moves the window

    for (PictureButton*& page : pages_) {
        page = button(true);
    }
    clear_ = button();
    osk_ = button();
    ok_ = button(true);
    cancel_ = button(true);
    apply_ = button(true);
    addMacro_ = button();
    deleteMacro_ = button();
    record_ = button(true);
    deleteAction_ = button();
    clearActions_ = button();
    for (PictureButton*& move : moves_) {
        move = button();
    }

    keyField_ = new QLineEdit(this);
    keyField_->setReadOnly(true);
    keyField_->setFocusPolicy(Qt::NoFocus);
    keyField_->setAlignment(Qt::AlignCenter);
    mediaList_ = new QListWidget(this);
    functionList_ = new QListWidget(this);
    macroList_ = new QComboBox(this);
    macroList_->setEditable(true);
    macroList_->setInsertPolicy(QComboBox::NoInsert);
    macroList_->setCompleter(nullptr);  // a typed name is a name, not the start of another
    macroList_->lineEdit()->setMaxLength(static_cast<int>(macros::kMacroNameMaxChars));
    macroList_->lineEdit()->installEventFilter(this);
    repeat_ = new QLineEdit(this);
    repeat_->setAlignment(Qt::AlignCenter);
    repeat_->setMaxLength(8);
    repeat_->installEventFilter(this);
    repeatLabel_ = label();
    recordDelay_ = new QCheckBox(this);
    LightenCheckFrames(*recordDelay_);
    recordDelayLabel_ = label();
    keyPrompt_ = label();
    singlePrompt_ = label();
    macroPrompt_ = label();
    mediaPrompt_ = label();
    functionPrompt_ = label();
    meter_ = label();
    meter_->setWordWrap(true);  // both sizes, on two lines where the place is narrow
    QFont meterFont = meter_->font();
    meterFont.setPointSize(8);
    meter_->setFont(meterFont);

    actionTable_ = new QTableView(this);
    actionModel_ = new ActionTableModel(model_, actionTable_);
    actionModel_->SetDimColour(palette().color(QPalette::Disabled, QPalette::Text));
    actionTable_->setModel(actionModel_);
    actionTable_->setItemDelegateForColumn(
        presenters::kActionKeyColumn,
        new ActionCellDelegate(model_, presenters::ActionCellEditor::Key, actionTable_));
    actionTable_->setItemDelegateForColumn(
        presenters::kActionStateColumn,
        new ActionCellDelegate(model_, presenters::ActionCellEditor::State, actionTable_));
    actionTable_->setItemDelegateForColumn(
        presenters::kActionDelayColumn,
        new ActionCellDelegate(model_, presenters::ActionCellEditor::Delay, actionTable_));
    actionTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    actionTable_->setSelectionMode(QAbstractItemView::SingleSelection);
    actionTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);  // a click opens them
    actionTable_->verticalHeader()->hide();
    actionTable_->horizontalHeader()->setStretchLastSection(false);
    actionTable_->setColumnWidth(presenters::kActionKeyColumn, presenters::kActionKeyColumnWidth);
    actionTable_->setColumnWidth(presenters::kActionStateColumn,
                                 presenters::kActionStateColumnWidth);
    actionTable_->setColumnWidth(presenters::kActionDelayColumn,
                                 presenters::kActionDelayColumnWidth);

    Connect();
}

AssignmentEditorDialog::~AssignmentEditorDialog() {
    // The model ends capture and recording as it goes; the grab must not keep this window.
    model_.Close();
    deps_.grab.SetWindow(nullptr);
    // The widgets read and call the model (the action table, the delegates, the handlers): they
    // go while it is still there.
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void AssignmentEditorDialog::Connect() {
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        connect(pages_[i], &QAbstractButton::clicked, this,
                [this, page = kPages[i]] { model_.ClickPage(page); });
    }
    connect(clear_, &QAbstractButton::clicked, this, [this] { model_.ClickClear(); });
    connect(osk_, &QAbstractButton::clicked, this, [this] { (void)deps_.onScreenKeyboard.Open(); });
    connect(ok_, &QAbstractButton::clicked, this, &AssignmentEditorDialog::Ok);
    connect(cancel_, &QAbstractButton::clicked, this, &AssignmentEditorDialog::Cancel);
    connect(apply_, &QAbstractButton::clicked, this, [this] { (void)model_.Apply(); });
    connect(addMacro_, &QAbstractButton::clicked, this, [this] { model_.AddMacro(); });
    connect(deleteMacro_, &QAbstractButton::clicked, this, [this] { model_.DeleteMacro(); });
    connect(record_, &QAbstractButton::clicked, this, [this] { model_.ToggleRecord(); });
    connect(deleteAction_, &QAbstractButton::clicked, this, [this] { model_.DeleteAction(); });
    connect(clearActions_, &QAbstractButton::clicked, this, [this] { model_.ClearActions(); });
    for (std::size_t i = 0; i < moves_.size(); ++i) {
        connect(moves_[i], &QAbstractButton::clicked, this,
                [this, move = kMoves[i]] { model_.MoveAction(move); });
    }
    // The handlers below run for the user's changes only: every fill from the model blocks
    // the widget's signals (or uses a signal only the user raises).
    connect(mediaList_, &QListWidget::currentRowChanged, this,
            [this](int row) { model_.SelectMedia(row); });
    connect(functionList_, &QListWidget::currentRowChanged, this,
            [this](int row) { model_.SelectFunction(row); });
    connect(macroList_, &QComboBox::activated, this, [this](int index) {
        model_.SelectMacro(index);
        ShowCurrentMacro();  // a refused choice (while recording) shows the current one again
    });
    connect(macroList_->lineEdit(), &QLineEdit::textEdited, this,
            [this](const QString& text) { model_.TypeMacroName(text.toStdString()); });
    connect(repeat_, &QLineEdit::textEdited, this, [this](const QString& text) {
        const QString shown = Q(model_.SetRepeatText(text.toStdString()));
        if (shown != repeat_->text()) {
            repeat_->setText(shown);
        }
    });
    connect(recordDelay_, &QCheckBox::clicked, this,
            [this](bool checked) { model_.SetRecordDelay(checked); });
    connect(actionTable_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                model_.SelectAction(current.isValid() ? std::optional<std::size_t>(current.row())
                                                      : std::nullopt);
            });
    connect(actionTable_, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { actionTable_->edit(index); });
}

// ---- Opening and closing ----

bool AssignmentEditorDialog::Prepare(const presenters::EditorOpening& opening,
                                     const QRect& keyButtonOnScreen) {
    if (model_.IsOpen() || isVisible()) {
        done(QDialog::Rejected);
    }
    SkinError error;
    if (!CheckDialogSkin(*this, &error)) {
        ReportSkinFailure(error, parentWidget());
        return false;
    }
    EnsureSkinned();  // places the controls at the first opening
    const EditorPictureSet wanted =
        opening.macroOnly ? EditorPictureSet::Macro2 : EditorPictureSet::Key;
    if (pageButtonSet_ != wanted) {
        pageButtonSet_ = wanted;
        PlacePageButtons();
    }
    deps_.grab.SetWindow(this);
    if (!model_.Open(opening)) {
        deps_.grab.SetWindow(nullptr);
        return false;
    }
    PlaceNextTo(keyButtonOnScreen);
    return true;
}

bool AssignmentEditorDialog::Open(const presenters::EditorOpening& opening,
                                  const QRect& keyButtonOnScreen) {
    if (!Prepare(opening, keyButtonOnScreen)) {
        return false;
    }
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    return true;
}

bool AssignmentEditorDialog::Run(const presenters::EditorOpening& opening,
                                 const QRect& keyButtonOnScreen) {
    if (!Prepare(opening, keyButtonOnScreen)) {
        return false;
    }
    (void)exec();
    return true;
}

void AssignmentEditorDialog::CloseFromOutside() {
    if (model_.IsOpen() || isVisible()) {
        done(QDialog::Rejected);
    }
}

void AssignmentEditorDialog::done(int result) {
    // Every way out ends capture and recording, and with them the keyboard grab.
    model_.Close();
    deps_.grab.SetWindow(nullptr);
    SkinnedDialog::done(result);
}

void AssignmentEditorDialog::Ok() {
    if (model_.Ok()) {
        accept();
    }
}

void AssignmentEditorDialog::Cancel() {
    model_.Cancel();
    reject();
}

void AssignmentEditorDialog::hideEvent(QHideEvent* event) {
    if (model_.IsOpen()) {
        model_.Close();
    }
    deps_.grab.SetWindow(nullptr);
    SkinnedDialog::hideEvent(event);
}

void AssignmentEditorDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            event->accept();  // neither confirms nor cancels
            return;
        case Qt::Key_F1:
            if (model_.CanOpenHelp() && deps_.openHelp) {
                deps_.openHelp();
            }
            event->accept();
            return;
        default:
            SkinnedDialog::keyPressEvent(event);
    }
}

bool AssignmentEditorDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        (watched == repeat_ || watched == macroList_->lineEdit())) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            return true;  // Enter neither picks another macro nor closes the dialog
        }
    }
    if (event->type() == QEvent::EnabledChange) {
        if (auto* button = qobject_cast<PictureButton*>(watched)) {
            // The key set's disabled picture is its normal one: a greyed caption tells.
            const ControlColours colours;
            button->SetCaptionStyle(true, kCaptionPointSize, PictureButton::kDefaultCaptionFace,
                                    button->isEnabled() ? colours.text : colours.offText);
        }
    }
    return SkinnedDialog::eventFilter(watched, event);
}

void AssignmentEditorDialog::PlaceNextTo(const QRect& keyButtonOnScreen) {
    QScreen* screen = QGuiApplication::screenAt(keyButtonOnScreen.center());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->availableGeometry();
    const presenters::ScreenPoint at = presenters::PlaceEditor(
        {keyButtonOnScreen.x(), keyButtonOnScreen.y(), keyButtonOnScreen.width(),
         keyButtonOnScreen.height()},
        width(), height(), {area.x(), area.y(), area.width(), area.height()});
    move(at.x, at.y);
}

// ---- Skin ----

StatePictures AssignmentEditorDialog::Pictures(EditorPictureSet set, bool selectedIsPressed) const {
    const PictureSet pictures =
        InstallPictureSet(this->pictures(), deps_.installFolder, PictureNames(set));
    return {pictures.normal, pictures.hover, pictures.pressed, pictures.disabled,
            selectedIsPressed ? pictures.pressed : pictures.normal};
}

void AssignmentEditorDialog::PlaceButton(PictureButton& button, std::string_view key,
                                         EditorPictureSet set, bool selectedIsPressed) {
    const text::SkinRect rect = PlaceSkinButton(button, key, Pictures(set, selectedIsPressed));
    unplaced_.removeAll(&button);
    if (rect.DisablesButton()) {
        unplaced_.push_back(&button);
        button.hide();
    }
}

void AssignmentEditorDialog::PlaceControls() {
    PlaceButton(*title_, skin::CONTROL_TITLE, EditorPictureSet::Key);
    PlaceButton(*osk_, skin::CONTROL_OSK, EditorPictureSet::Key);
    PlaceButton(*clear_, skin::CONTROL_CLEAR, EditorPictureSet::Key);
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        PlaceButton(*pages_[i], kPageKeys[i], EditorPictureSet::Key);
    }
    pageButtonSet_ = EditorPictureSet::Key;
    PlaceButton(*ok_, skin::CONTROL_OK, EditorPictureSet::Key);
    PlaceButton(*cancel_, skin::CONTROL_CANCEL, EditorPictureSet::Key);
    PlaceButton(*apply_, skin::CONTROL2_APPLY, EditorPictureSet::Key);
    if (unplaced_.contains(apply_) && !unplaced_.contains(ok_)) {
        // A skin without a place for Apply: it stands left of OK, as large as OK.
        const QRect okRect = ok_->geometry();
        const QRect rect = okRect.translated(-(okRect.width() + 8), 0);
        apply_->setGeometry(rect);
        apply_->SetSkin(rect.x(), rect.y(), Pictures(EditorPictureSet::Key, true));
        unplaced_.removeAll(apply_);
    }
    PlaceButton(*addMacro_, skin::FUNC_MACRO_ADD, EditorPictureSet::Macro);
    PlaceButton(*deleteMacro_, skin::FUNC_MACRO_DELETE, EditorPictureSet::Macro);
    PlaceButton(*record_, skin::FUNC_MACRO_RECORD, EditorPictureSet::Macro);
    PlaceButton(*deleteAction_, skin::FUNC_MACRO_DELETE2, EditorPictureSet::Macro);
    PlaceButton(*clearActions_, skin::FUNC_MACRO_CLEAR, EditorPictureSet::Macro);
    for (std::size_t i = 0; i < moves_.size(); ++i) {
        PlaceButton(*moves_[i], kMoveKeys[i], EditorPictureSet::Macro);
    }

    auto place = [this](QWidget& control, std::string_view key) {
        unplaced_.removeAll(&control);
        if (PlaceSkinControl(control, key).DisablesButton()) {
            unplaced_.push_back(&control);
            control.hide();
        }
    };
    place(*keyField_, skin::FUNC_KEY_INPUT);
    place(*mediaList_, skin::FUNC_MEDIA_SELECT);
    place(*functionList_, skin::FUNC_FUNCTION_SELECT);
    place(*macroList_, skin::FUNC_MACRO_LIST);
    place(*repeat_, skin::FUNC_MACRO_CYCLES);
    place(*repeatLabel_, skin::FUNC_MACRO_CYCLES_PROMPT);
    place(*actionTable_, skin::FUNC_MACRO_LIST2);
    place(*recordDelay_, skin::FUNC_MACRO_RECORD_DELAY);
    place(*recordDelayLabel_, skin::FUNC_MACRO_RECORD_DELAY2);
    place(*keyPrompt_, skin::KEY_SETTING);
    place(*singlePrompt_, skin::TISHI_SINGLE_STATIC);
    place(*macroPrompt_, skin::MARCO_NAME_SETTING);
    place(*mediaPrompt_, skin::MEDIA_SETTING_TISHI);
    place(*functionPrompt_, skin::FUNCTION_KEY_SETTING_TISHI);
    place(*meter_, skin::MACRO_METER);

    maskSet_.reset();
    PlaceMask();
}

void AssignmentEditorDialog::PlacePageButtons() {
    if (!pageButtonSet_) {
        return;
    }
    const EditorPictureSet set = *pageButtonSet_;
    // In macro-only mode the pages the editor does not offer, Clear and the title take the
    // second macro set; the Macro page button keeps the key set.
    PlaceButton(*pages_[PageIndex(EditorPage::SingleKey)], skin::CONTROL_KEY, set);
    PlaceButton(*pages_[PageIndex(EditorPage::Media)], skin::CONTROL_MEDIA, set);
    PlaceButton(*pages_[PageIndex(EditorPage::Function)], skin::CONTROL_FUNCTION, set);
    PlaceButton(*title_, skin::CONTROL_TITLE, set);
    PlaceButton(*clear_, skin::CONTROL_CLEAR, set);
}

void AssignmentEditorDialog::PlaceMask() {
    const EditorPictureSet set = SetOfPage(model_.page());
    if (maskSet_ == set) {
        return;
    }
    maskSet_ = set;
    PlaceButton(*mask_, skin::CONTROL_MASK, set, false);
    mask_->lower();
}

// ---- Showing the model ----

void AssignmentEditorDialog::SetShown(QWidget& widget, bool shown) {
    widget.setVisible(shown && !unplaced_.contains(&widget));
}

void AssignmentEditorDialog::EditorChanged(std::uint32_t changes) {
    using namespace presenters;
    if (!model_.IsOpen()) {
        // Closed: the lists are dropped with the edits.
        const QSignalBlocker blocker(macroList_);
        macroList_->clear();
        actionModel_->ActionsChanged();
        keyField_->clear();
        return;
    }
    if ((changes & kEditorOpenChanged) != 0) {
        ShowTexts();
    }
    if ((changes & kEditorPageChanged) != 0) {
        ShowPage();
    }
    if ((changes & kEditorKeyFieldChanged) != 0) {
        keyField_->setText(Q(model_.keyFieldText()));
    }
    if ((changes & kEditorMacroListChanged) != 0) {
        ShowMacroList();
    } else if ((changes & kEditorMacroNameChanged) != 0) {
        ShowMacroName();
    }
    if ((changes & (kEditorCurrentMacroChanged | kEditorMacroListChanged)) != 0) {
        ShowCurrentMacro();
    }
    if ((changes & kEditorActionsChanged) != 0) {
        actionModel_->ActionsChanged();
    }
    if ((changes & (kEditorActionsChanged | kEditorActionSelected | kEditorCurrentMacroChanged)) !=
        0) {
        ShowActionSelection();
    }
    if ((changes & kEditorRepeatChanged) != 0) {
        ShowRepeat();
    }
    if ((changes & kEditorRecordingChanged) != 0) {
        ShowRecording();
    }
    if ((changes & kEditorModifiedChanged) != 0) {
        ShowApply();
    }
    if ((changes & kEditorMediaChanged) != 0) {
        ShowListSelection(*mediaList_, model_.mediaSelection());
    }
    if ((changes & kEditorFunctionChanged) != 0) {
        ShowListSelection(*functionList_, model_.functionSelection());
    }
    if ((changes & kEditorRecordDelayChanged) != 0) {
        const QSignalBlocker blocker(recordDelay_);
        recordDelay_->setChecked(model_.recordDelayMeasured());
    }
    if ((changes & (kEditorMacroListChanged | kEditorMacroNameChanged | kEditorCurrentMacroChanged |
                    kEditorActionsChanged)) != 0) {
        ShowMeter();
    }
}

void AssignmentEditorDialog::ShowTexts() {
    const auto text = [this](TextId id) { return Q(deps_.language.Text(id)); };
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        pages_[i]->setText(text(kPageCaptions[i]));
    }
    ok_->setText(text(TextId::MACRO_OK));
    cancel_->setText(text(TextId::MACRO_CANCLE));
    apply_->setText(text(TextId::PROFILE_APPLY));
    clear_->SetTooltip(text(TextId::COMPOSITE_PROMPT_CLEAR));
    osk_->SetTooltip(text(TextId::COMPOSITE_PROMPT_OSK));
    for (std::size_t i = 0; i < moves_.size(); ++i) {
        moves_[i]->SetTooltip(text(kMoveTips[i]));
    }
    record_->SetTooltip(text(TextId::A_RECORD));
    deleteAction_->SetTooltip(text(TextId::A_DELETE));
    clearActions_->SetTooltip(text(TextId::A_CLEAR));
    repeatLabel_->setText(text(TextId::MACRO_CYCLES));
    recordDelayLabel_->setText(text(TextId::RECORD_DELAY));
    keyPrompt_->setText(text(TextId::KEY_SETTING_TISHI));
    singlePrompt_->setText(text(TextId::SINGLE_STATIC));
    macroPrompt_->setText(text(TextId::MACRO_NAME_SETTING));
    mediaPrompt_->setText(text(TextId::MEDIA_EDIT_TISHI));
    functionPrompt_->setText(text(TextId::FUNCTION_TISHI));
    actionModel_->TitlesChanged();
    SetShown(*osk_, deps_.onScreenKeyboard.Available());

    auto fill = [](QListWidget& list, const std::vector<std::string>& names) {
        const QSignalBlocker blocker(&list);
        list.clear();
        for (const std::string& name : names) {
            list.addItem(Q(name));
        }
    };
    fill(*mediaList_, model_.MediaNames());
    fill(*functionList_, model_.FunctionNames());
    ShowListSelection(*mediaList_, model_.mediaSelection());
    ShowListSelection(*functionList_, model_.functionSelection());
}

void AssignmentEditorDialog::ShowPage() {
    const EditorPage page = model_.page();
    const bool macro = page == EditorPage::Macro;
    SetShown(*keyField_, page == EditorPage::SingleKey);
    SetShown(*mediaList_, page == EditorPage::Media);
    SetShown(*functionList_, page == EditorPage::Function);
    for (QWidget* control : std::initializer_list<QWidget*>{
             macroList_, repeat_, repeatLabel_, actionTable_, addMacro_, deleteMacro_, record_,
             deleteAction_, clearActions_, recordDelay_, recordDelayLabel_, meter_}) {
        SetShown(*control, macro);
    }
    for (PictureButton* move : moves_) {
        SetShown(*move, macro);
    }
    const bool prompts = model_.PagePromptsVisible();
    for (QLabel* prompt : {keyPrompt_, singlePrompt_, mediaPrompt_, functionPrompt_}) {
        SetShown(*prompt, prompts);
    }
    SetShown(*macroPrompt_, true);
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        SetShown(*pages_[i], true);
        pages_[i]->setEnabled(model_.PageEnabled(kPages[i]) && !unplaced_.contains(pages_[i]));
        pages_[i]->SetSelected(kPages[i] == page);
    }
    clear_->setEnabled(model_.ClearEnabled());
    SetShown(*clear_, true);
    for (QWidget* control : std::initializer_list<QWidget*>{title_, mask_, ok_, cancel_, apply_}) {
        SetShown(*control, true);
    }
    PlaceMask();
}

void AssignmentEditorDialog::ShowMacroList() {
    const QSignalBlocker blocker(macroList_);
    macroList_->clear();
    for (const std::string& name : model_.MacroNames()) {
        macroList_->addItem(Q(name));
    }
    macroList_->setCurrentIndex(model_.currentMacro());
}

void AssignmentEditorDialog::ShowMacroName() {
    const int current = model_.currentMacro();
    if (current < 0 || current >= macroList_->count()) {
        return;
    }
    const QSignalBlocker blocker(macroList_);
    QLineEdit* field = macroList_->lineEdit();
    const int cursor = field->cursorPosition();
    const QString name = Q(model_.MacroNames()[static_cast<std::size_t>(current)]);
    macroList_->setItemText(current, name);  // in place: the entry keeps its position
    if (field->text() != name) {
        field->setText(name);
    }
    field->setCursorPosition(std::min(cursor, static_cast<int>(name.size())));
}

void AssignmentEditorDialog::ShowCurrentMacro() {
    {
        const QSignalBlocker blocker(macroList_);
        if (macroList_->currentIndex() != model_.currentMacro()) {
            macroList_->setCurrentIndex(model_.currentMacro());
        }
    }
    const bool enabled = model_.ActionButtonsEnabled();
    for (QWidget* control : std::initializer_list<QWidget*>{record_, deleteAction_, clearActions_,
                                                            repeat_, actionTable_}) {
        control->setEnabled(enabled);
    }
    for (PictureButton* move : moves_) {
        move->setEnabled(enabled);
    }
    ShowRecording();
}

void AssignmentEditorDialog::ShowActionSelection() {
    QItemSelectionModel* selection = actionTable_->selectionModel();
    const std::optional<std::size_t> row = model_.actions().SelectedAction();
    {
        const QSignalBlocker blocker(selection);
        if (row) {
            const QModelIndex index = actionModel_->index(static_cast<int>(*row), 0);
            selection->setCurrentIndex(
                index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            actionTable_->scrollTo(index);
        } else {
            selection->clear();
        }
    }
    actionTable_->viewport()->update();
}

void AssignmentEditorDialog::ShowRepeat() {
    const QString text = Q(model_.repeatText());
    if (repeat_->text() != text) {
        repeat_->setText(text);
    }
}

void AssignmentEditorDialog::ShowRecording() {
    record_->setText(Q(model_.RecordButtonText()));
    const bool listEnabled = model_.MacroListEnabled();
    addMacro_->setEnabled(listEnabled);
    deleteMacro_->setEnabled(listEnabled);
    macroList_->setEnabled(listEnabled);
}

void AssignmentEditorDialog::ShowApply() {
    apply_->setEnabled(model_.modified());
}

void AssignmentEditorDialog::ShowMeter() {
    // The same meter as the main window's, for the macros as edited here.
    const presenters::MacroMeter meter = presenters::DescribeMacroMemory(
        model_.MacroImageSizes(), deps_.state.macroMemorySize.load());
    meter_->setText(Q(meter.text));
    meter_->setToolTip(Q(meter.text));
    const ControlColours colours;
    QPalette palette = meter_->palette();
    palette.setColor(QPalette::WindowText, meter.tooLarge       ? QColor(0xE5, 0x48, 0x4D)
                                           : meter.namesDropped ? QColor(0xF2, 0xB1, 0x34)
                                                                : colours.dimText);
    meter_->setPalette(palette);
}

void AssignmentEditorDialog::ShowListSelection(QListWidget& list, int row) {
    const QSignalBlocker blocker(&list);
    if (row >= 0 && row < list.count()) {
        list.setCurrentRow(row);
        list.scrollToItem(list.item(row));
    } else {
        list.setCurrentRow(-1);
        list.clearSelection();
    }
}

PictureButton& AssignmentEditorDialog::pageButton(EditorPage page) const {
    return *pages_[PageIndex(page)];
}

}  // namespace qf::ui
