#include "ui/lighting/lighting_panel_widgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <functional>
#include <string>
#include <utility>

#include "presenters/keyboard_view.h"
#include "text/skin_keys.h"

namespace qf::ui {

namespace {

namespace panel = presenters::panel;
namespace skin = text::skin;
using presenters::LightingPanelLook;
using presenters::PanelPicture;

constexpr std::array<std::string_view, 4> kReportKeys = {skin::FUNC_REPORT1, skin::FUNC_REPORT2,
                                                         skin::FUNC_REPORT3, skin::FUNC_REPORT4};

constexpr std::array<std::uint32_t, 11> kLabels = {
    panel::kDengLabel,         panel::kLightLabel,
    panel::kSpeedLabel,        panel::kDirectionLabel,
    panel::kColourLabel,       panel::kMulticolourLabel,
    panel::kSecondColourLabel, panel::kSecondMulticolourLabel,
    panel::kPaintColourLabel,  panel::kToolLabel,
    panel::kUsbLabel};

QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}

QString WithFallback(const std::string& text, const char* fallback) {
    return text.empty() ? QString::fromLatin1(fallback) : ToQString(text);
}

QString Selected(QString name, bool selected) {
    return selected ? name + QStringLiteral(", selected") : name;
}

// What a screen reader says for a direction picture.
QString DirectionName(PanelPicture picture) {
    switch (picture) {
        case PanelPicture::LeftUp:
        case PanelPicture::LeftDown:
            return Selected(QStringLiteral("Direction left"), picture == PanelPicture::LeftDown);
        case PanelPicture::RightUp:
        case PanelPicture::RightDown:
            return Selected(QStringLiteral("Direction right"), picture == PanelPicture::RightDown);
        case PanelPicture::UpUp:
        case PanelPicture::UpDown:
            return Selected(QStringLiteral("Direction up"), picture == PanelPicture::UpDown);
        case PanelPicture::DownUp:
        case PanelPicture::DownDown:
            return Selected(QStringLiteral("Direction down"), picture == PanelPicture::DownDown);
        case PanelPicture::Kuosan:
        case PanelPicture::KuosanDown:
            return Selected(QStringLiteral("Direction outward"),
                            picture == PanelPicture::KuosanDown);
        case PanelPicture::Julong:
        case PanelPicture::JulongDown:
            return Selected(QStringLiteral("Direction inward"),
                            picture == PanelPicture::JulongDown);
        default:
            return QStringLiteral("Direction");
    }
}

const std::array<QString, 4>& FourColourNames() {
    static const std::array<QString, 4> names = {QStringLiteral("Red"), QStringLiteral("Yellow"),
                                                 QStringLiteral("Green"), QStringLiteral("Blue")};
    return names;
}

// The skin's caption style (the profile buttons' and the G labels'): it reads on the dark skin.
void StyleLabel(QLabel& label) {
    const presenters::CaptionStyle& style = presenters::kGLabelStyle;
    QFont font(QString::fromUtf8(style.face.data(), static_cast<int>(style.face.size())));
    font.setPointSize(style.points);
    label.setFont(font);
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, QColor::fromRgb(style.rgb));
    label.setPalette(palette);
    label.setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

}  // namespace

LightingPanelWidgets::LightingPanelWidgets(SkinnedDialog& host,
                                           const std::filesystem::path& installFolder,
                                           ColourChooser& chooser)
    : host_(host), installFolder_(installFolder), chooser_(chooser) {}

// The controls call back into this object: they go with it, unless their host took them first.
LightingPanelWidgets::~LightingPanelWidgets() {
    for (auto& [id, control] : controls_) {
        delete control.data();
    }
}

void LightingPanelWidgets::Create() {
    for (const std::uint32_t id : kLabels) {
        AddLabel(id);
    }
    AddPicture(panel::kSwitch, [this] { OnSwitch(); });

    effectList_ = new QuietComboBox(&host_);
    effectList_->SetNavigationKeysSwallowed(true);
    effectList_->setAccessibleName(QStringLiteral("Effect"));
    QObject::connect(effectList_, &QComboBox::activated, effectList_, [this](int row) {
        if (presenter_ != nullptr) {
            presenter_->OnEffectChosen(row);
        }
        Reshow();
    });
    controls_[panel::kEffectList] = effectList_.data();

    auto makeSlider = [this](std::uint32_t id, bool brightness) {
        auto* slider = new ThumbSlider(&host_);
        slider->setRange(0, presenters::kSliderPositions - 1);
        slider->setSingleStep(1);
        slider->setPageStep(10);  // a press on the track jumps to that end
        QObject::connect(slider, &QAbstractSlider::actionTriggered, slider,
                         [this, slider, brightness](int) { OnSlider(*slider, brightness); });
        controls_[id] = slider;
        return slider;
    };
    brightness_ = makeSlider(panel::kBrightnessSlider, true);
    speed_ = makeSlider(panel::kSpeedSlider, false);

    AddPicture(panel::kDirectionLeft, [this] { OnDirectionLeft(); });
    AddPicture(panel::kDirectionRight, [this] { OnDirectionRight(); });

    AddPicker(panel::kColourPicker, false)->setAccessibleName(QStringLiteral("Colour"));
    AddPicker(panel::kSecondColourPicker, false)->setAccessibleName(QStringLiteral("Colour"));
    AddPicker(panel::kPaintColourPicker, true)->setAccessibleName(QStringLiteral("Paint colour"));
    AddPicture(panel::kMulticolourPicture, [this] { OnMulticolour(); });
    AddPicture(panel::kSecondMulticolourPicture, [this] { OnMulticolour(); });

    for (std::size_t i = 0; i < panel::kFourColourPictures.size(); ++i) {
        AddPicture(panel::kFourColourPictures[i], [this, i] {
            if (presenter_ != nullptr) {
                presenter_->OnFourColourClicked(static_cast<int>(i));
            }
            Reshow();
        });
    }
    AddPicture(panel::kToolPicture, [this] { OnTool(); });

    userModeList_ = new QuietComboBox(&host_);
    userModeList_->setEditable(true);
    userModeList_->setInsertPolicy(QComboBox::NoInsert);
    userModeList_->setCompleter(nullptr);  // no text of its own while the user types
    userModeList_->setAccessibleName(QStringLiteral("User mode"));
    QObject::connect(userModeList_, &QComboBox::activated, userModeList_, [this](int row) {
        if (presenter_ != nullptr) {
            presenter_->OnUserModeSelected(row);
        }
        Reshow();
    });
    QObject::connect(userModeList_->lineEdit(), &QLineEdit::textEdited, userModeList_,
                     [this](const QString& text) { OnUserModeEdited(text); });
    controls_[panel::kUserModeList] = userModeList_.data();

    for (std::size_t i = 0; i < panel::kReportButtons.size(); ++i) {
        AddPicture(panel::kReportButtons[i], [this, i] {
            if (presenter_ != nullptr) {
                presenter_->OnReportRateClicked(static_cast<int>(i));
            }
            Reshow();
        });
    }

    // Until the presenter shows its first look: the panel off.
    for (const auto& [id, control] : controls_) {
        control->setVisible(!presenters::GroupOfControl(id).has_value());
    }
}

QLabel* LightingPanelWidgets::AddLabel(std::uint32_t id) {
    auto* label = new QLabel(&host_);
    StyleLabel(*label);
    controls_[id] = label;
    return label;
}

PictureButton* LightingPanelWidgets::AddPicture(std::uint32_t id, std::function<void()> onClick) {
    auto* button = new PictureButton(&host_);
    button->setFocusPolicy(Qt::NoFocus);
    QObject::connect(button, &QAbstractButton::clicked, button, std::move(onClick));
    controls_[id] = button;
    return button;
}

ColourPicker* LightingPanelWidgets::AddPicker(std::uint32_t id, bool paint) {
    auto* picker = new ColourPicker(chooser_, &host_);
    picker->SetChoiceHandler([this, paint](presenters::ColourChoice choice) {
        if (presenter_ != nullptr) {
            if (paint) {
                presenter_->OnPaintColourChosen(choice);
            } else {
                presenter_->OnColourChosen(choice);
            }
        }
        Reshow();
    });
    controls_[id] = picker;
    return picker;
}

QWidget* LightingPanelWidgets::ControlOf(std::uint32_t id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second.data();
}

ColourPicker* LightingPanelWidgets::PickerOf(std::uint32_t id) const {
    return qobject_cast<ColourPicker*>(ControlOf(id));
}

PictureButton* LightingPanelWidgets::PictureOf(std::uint32_t id) const {
    return qobject_cast<PictureButton*>(ControlOf(id));
}

PanelPicture LightingPanelWidgets::ShownPicture(std::uint32_t id) const {
    const auto it = shownPictures_.find(id);
    return it == shownPictures_.end() ? PanelPicture{} : it->second;
}

void LightingPanelWidgets::LoadPictures() {
    if (picturesLoaded_) {
        return;
    }
    picturesLoaded_ = true;
    PictureCache& cache = host_.pictures();
    for (std::size_t i = 0; i < pictures_.size(); ++i) {
        pictures_[i] =
            InstallPicture(cache, installFolder_, PictureFile(static_cast<PanelPicture>(i))).Load();
    }
    for (std::size_t k = 0; k < thumbs_.size(); ++k) {
        thumbs_[k] =
            InstallPicture(cache, installFolder_, presenters::ThumbFile(static_cast<int>(k)))
                .Load();
    }
}

const QImage& LightingPanelWidgets::Picture(PanelPicture picture) {
    LoadPictures();
    return pictures_[static_cast<std::size_t>(picture)];
}

const QImage& LightingPanelWidgets::Thumb(int number) {
    LoadPictures();
    static const QImage none;
    if (number < 0 || number >= static_cast<int>(thumbs_.size())) {
        return none;
    }
    return thumbs_[static_cast<std::size_t>(number)];
}

void LightingPanelWidgets::PlaceControls() {
    // The controls are made here, when the host is first shown: a program that starts into the
    // notification area makes none of them (nor loads the fonts they need) until then.
    const bool fresh = !created_;
    if (fresh) {
        created_ = true;
        Create();
    }
    for (const presenters::PanelControl& control : presenters::PanelControls()) {
        QWidget* widget = ControlOf(control.id);
        if (widget == nullptr) {
            continue;
        }
        const text::SkinRect rect = host_.PlaceSkinControl(*widget, control.layoutKey);
        if (widget == effectList_ || widget == userModeList_) {
            FitListHeight(*widget, rect.h);
        }
    }
    const PictureSet set = InstallPictureSet(host_.pictures(), installFolder_, skin::kMainPictures);
    for (std::size_t i = 0; i < kReportKeys.size(); ++i) {
        if (PictureButton* button = PictureOf(panel::kReportButtons[i])) {
            host_.PlaceSkinButton(*button, kReportKeys[i],
                                  {set.normal, set.hover, set.pressed, set.normal, set.disabled});
        }
    }
    if (!shown_) {
        // The set-up thumbs, until the presenter shows its look.
        brightness_->SetThumb(Thumb(presenters::BrightnessThumb(0)));
        speed_->SetThumb(Thumb(presenters::SpeedThumb(0)));
    }
    placed_ = true;
    MoveDirectionControls();
    if (fresh && shown_) {
        ShowPanel(look_);  // what the presenter showed before the controls existed
    }
}

void LightingPanelWidgets::FitListHeight(QWidget& list, int layoutHeight) {
    const int natural = list.sizeHint().height();
    if (layoutHeight > natural) {
        list.resize(list.width(), natural);
    }
}

void LightingPanelWidgets::MoveDirectionControls() {
    if (!placed_) {
        return;
    }
    const text::DirectionControlKeys& keys = look_.directionKeys;
    const std::array<std::pair<std::uint32_t, std::string_view>, 3> moves = {{
        {panel::kDirectionLabel, keys.label},
        {panel::kDirectionLeft, keys.left},
        {panel::kDirectionRight, keys.right},
    }};
    for (const auto& [id, key] : moves) {
        if (QWidget* widget = ControlOf(id)) {
            host_.MoveSkinControl(*widget, key);
        }
    }
}

void LightingPanelWidgets::SetPicture(std::uint32_t id, PanelPicture picture, const QString& name) {
    PictureButton* button = PictureOf(id);
    if (button == nullptr) {
        return;
    }
    const auto it = shownPictures_.find(id);
    if (it == shownPictures_.end() || it->second != picture) {
        const QImage& image = Picture(picture);
        button->SetFaces({image, image, image, image, image});
        shownPictures_[id] = picture;
    }
    if (button->accessibleName() != name) {
        button->setAccessibleName(name);
    }
}

void LightingPanelWidgets::ShowSlider(ThumbSlider& slider, int position, int thumb) {
    const QSignalBlocker block(slider);
    slider.setValue(position);
    slider.SetThumb(Thumb(thumb));
}

void LightingPanelWidgets::ShowLists(const LightingPanelLook& look) {
    QuietComboBox& list = *effectList_;
    const QSignalBlocker block(list);
    bool same = list.count() == static_cast<int>(look.effects.size());
    for (int row = 0; same && row < list.count(); ++row) {
        const presenters::EffectItem& item = look.effects[static_cast<std::size_t>(row)];
        same =
            list.itemData(row).toInt() == item.code && list.itemText(row) == ToQString(item.name);
    }
    if (!same) {
        list.clear();
        for (const presenters::EffectItem& item : look.effects) {
            list.addItem(ToQString(item.name), item.code);
        }
    }
    if (list.currentIndex() != look.selectedEffect) {
        list.setCurrentIndex(look.selectedEffect);
    }
}

void LightingPanelWidgets::ShowUserModes(const LightingPanelLook& look) {
    QuietComboBox& list = *userModeList_;
    QLineEdit& edit = *list.lineEdit();
    const QSignalBlocker block(list);
    const QSignalBlocker blockEdit(edit);
    // The text being typed stays as it is, cursor included.
    const bool keepText = editing_ || edit.hasFocus();
    const QString text = edit.text();
    const int cursor = edit.cursorPosition();

    bool same = list.count() == static_cast<int>(look.userModes.size());
    for (int row = 0; same && row < list.count(); ++row) {
        same = list.itemText(row) == ToQString(look.userModes[static_cast<std::size_t>(row)]);
    }
    if (!same) {
        list.clear();
        for (const std::string& name : look.userModes) {
            list.addItem(ToQString(name));
        }
    }
    if (list.currentIndex() != look.selectedUserMode) {
        list.setCurrentIndex(look.selectedUserMode);
    }
    if (keepText && edit.text() != text) {
        edit.setText(text);
        edit.setCursorPosition(cursor);
    }
}

void LightingPanelWidgets::ShowPanel(const LightingPanelLook& look) {
    look_ = look;
    shown_ = true;
    if (effectList_ == nullptr) {
        return;  // the host has gone, and its controls with it
    }

    SetPicture(panel::kSwitch, look.switchPicture, ToQString(look.switchAccessibleName));
    for (const std::uint32_t id : kLabels) {
        if (auto* label = qobject_cast<QLabel*>(ControlOf(id))) {
            const QString text = ToQString(presenters::LabelTextOf(look.labels, id));
            if (label->text() != text) {
                label->setText(text);
            }
        }
    }

    ShowLists(look);
    ShowSlider(*brightness_, look.brightnessPosition, look.brightnessThumb);
    ShowSlider(*speed_, look.speedPosition, look.speedThumb);
    brightness_->setAccessibleName(WithFallback(look.labels.light, "Brightness"));
    speed_->setAccessibleName(WithFallback(look.labels.speed, "Speed"));

    SetPicture(panel::kDirectionLeft, look.directionLeft, DirectionName(look.directionLeft));
    SetPicture(panel::kDirectionRight, look.directionRight, DirectionName(look.directionRight));

    PickerOf(panel::kColourPicker)->SetColour(ToQColor(look.colour));
    PickerOf(panel::kSecondColourPicker)->SetColour(ToQColor(look.colour));
    PickerOf(panel::kPaintColourPicker)->SetColour(ToQColor(look.paintColour));
    const bool multicolour = look.multicolourPicture == presenters::kMulticolourPictures.selected;
    const QString multicolourName =
        multicolour ? QStringLiteral("Multicolour on") : QStringLiteral("Multicolour off");
    SetPicture(panel::kMulticolourPicture, look.multicolourPicture, multicolourName);
    SetPicture(panel::kSecondMulticolourPicture, look.multicolourPicture, multicolourName);

    for (std::size_t i = 0; i < panel::kFourColourPictures.size(); ++i) {
        const PanelPicture picture = look.fourColour[i];
        SetPicture(panel::kFourColourPictures[i], picture,
                   Selected(FourColourNames()[i],
                            picture == presenters::kFourColourPictureSet[i].selected));
    }

    for (std::size_t i = 0; i < panel::kReportButtons.size(); ++i) {
        if (PictureButton* button = PictureOf(panel::kReportButtons[i])) {
            button->SetSelected(static_cast<int>(i) == look.reportRate);
            button->setAccessibleName(ToQString(look.reportAccessibleNames[i]));
        }
    }

    SetPicture(panel::kToolPicture, look.toolPicture,
               Selected(QStringLiteral("Paint tool"),
                        look.toolPicture == presenters::kToolPictures.selected));
    ShowUserModes(look);

    for (const auto& [id, control] : controls_) {
        if (control != nullptr && presenters::GroupOfControl(id).has_value()) {
            control->setVisible(look.Shows(id));
        }
    }
    MoveDirectionControls();
}

void LightingPanelWidgets::Reshow() {
    // A control the user changed shows what the presenter made of it, also when the look did
    // not change (a refused write).
    if (shown_) {
        const LightingPanelLook look = look_;
        ShowPanel(look);
    }
}

void LightingPanelWidgets::OnSwitch() {
    if (presenter_ != nullptr) {
        presenter_->OnPanelSwitchClicked();
    }
    Reshow();
}

void LightingPanelWidgets::OnDirectionLeft() {
    if (presenter_ != nullptr) {
        presenter_->OnDirectionClicked(presenters::DirectionSide::Left);
    }
    Reshow();
}

void LightingPanelWidgets::OnDirectionRight() {
    if (presenter_ != nullptr) {
        presenter_->OnDirectionClicked(presenters::DirectionSide::Right);
    }
    Reshow();
}

void LightingPanelWidgets::OnMulticolour() {
    if (presenter_ != nullptr) {
        presenter_->OnMulticolourClicked();
    }
    Reshow();
}

void LightingPanelWidgets::OnTool() {
    if (presenter_ != nullptr) {
        presenter_->OnToolClicked();
    }
    Reshow();
}

void LightingPanelWidgets::OnSlider(ThumbSlider& slider, bool brightness) {
    const int position = slider.sliderPosition();
    const int shown = brightness ? look_.brightnessPosition : look_.speedPosition;
    if (!shown_ || position != shown) {
        if (presenter_ != nullptr) {
            if (brightness) {
                presenter_->OnBrightnessMoved(position);
            } else {
                presenter_->OnSpeedMoved(position);
            }
        }
    }
    Reshow();
}

void LightingPanelWidgets::OnUserModeEdited(const QString& text) {
    editing_ = true;
    if (presenter_ != nullptr) {
        presenter_->OnUserModeEdited(text.toStdString());
    }
    Reshow();
    editing_ = false;
}

}  // namespace qf::ui
