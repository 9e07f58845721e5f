#include "ui/keyboard/keyboard_view_widgets.h"

#include <QEvent>
#include <QPainter>
#include <functional>
#include <utility>

#include "text/skin_keys.h"

namespace qf::ui {

namespace {

namespace skin = text::skin;
using presenters::ButtonGroup;
using presenters::MainPicture;
using presenters::ViewButton;

constexpr int kTintAlpha = 128;  // 50 %

QColor ToQColor(const lighting::Rgb& c) {
    return QColor(c.r, c.g, c.b);
}

QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}

// Reports whether a variant button is hot (under the pointer or held down): its arrow changes
// picture.
class FlipWatcher final : public QObject {
public:
    FlipWatcher(KeyButton& button, std::function<void(bool hot)> report)
        : QObject(&button), button_(button), report_(std::move(report)) {
        button.installEventFilter(this);
        QObject::connect(&button, &QAbstractButton::pressed, this, [this] { Report(); });
        QObject::connect(&button, &QAbstractButton::released, this, [this] { Report(); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Enter || event->type() == QEvent::Leave) {
            hovered_ = event->type() == QEvent::Enter;
            Report();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void Report() { report_(hovered_ || button_.isDown()); }

    KeyButton& button_;
    std::function<void(bool)> report_;
    bool hovered_ = false;
};

}  // namespace

void KeyButton::SetTint(std::optional<QColor> tint) {
    if (tint != tint_) {
        tint_ = std::move(tint);
        update();
    }
}

void KeyButton::paintEvent(QPaintEvent* event) {
    PictureButton::paintEvent(event);
    if (tint_) {
        QColor overlay = *tint_;
        overlay.setAlpha(kTintAlpha);
        QPainter painter(this);
        painter.fillRect(rect(), overlay);
    }
}

KeyboardViewWidgets::KeyboardViewWidgets(SkinnedDialog& dialog,
                                         const std::filesystem::path& installFolder)
    : dialog_(dialog),
      set_(InstallPictureSet(dialog.pictures(), installFolder, skin::kMainPictures)),
      arrowPicture_(InstallPicture(dialog.pictures(), installFolder, skin::kArrowPicture)) {}

// The buttons call back into this object: they go with it, unless their dialog took them first.
KeyboardViewWidgets::~KeyboardViewWidgets() {
    for (auto& [button, entry] : buttons_) {
        delete entry.widget.data();
    }
    for (QPointer<PictureButton>& arrow : arrows_) {
        delete arrow.data();
    }
}

KeyButton* KeyboardViewWidgets::ButtonOf(ViewButton button) const {
    const auto it = buttons_.find(button);
    return it == buttons_.end() ? nullptr : it->second.widget.data();
}

PictureButton* KeyboardViewWidgets::ArrowOf(presenters::ArrowSide side) const {
    return arrows_[static_cast<std::size_t>(side)].data();
}

KeyButton& KeyboardViewWidgets::Create(ViewButton button) {
    Entry& entry = buttons_[button];
    if (entry.widget == nullptr) {
        entry.widget = new KeyButton(&dialog_);  // a child of the dialog
        entry.widget->setFocusPolicy(Qt::NoFocus);
        const std::uint32_t id = presenters::CommandIdOf(button);
        QObject::connect(entry.widget, &QAbstractButton::clicked, entry.widget, [this, id] {
            if (presenter_ != nullptr) {
                presenter_->OnButtonClicked(id);
            }
        });
        if (button.group == ButtonGroup::G) {
            const presenters::CaptionStyle& style = presenters::kGLabelStyle;
            entry.widget->SetCaptionStyle(
                true, style.points,
                QString::fromUtf8(style.face.data(), static_cast<int>(style.face.size())),
                QColor::fromRgb(style.rgb));
        }
        if (button == ViewButton::Flip(1) || button == ViewButton::Flip(2)) {
            WatchFlip(button, *entry.widget);
        }
    }
    return *entry.widget;
}

void KeyboardViewWidgets::WatchFlip(ViewButton button, KeyButton& widget) {
    const std::size_t flip = button.index;
    new FlipWatcher(widget, [this, flip](bool hot) {  // owned by the button
        if (presenter_ != nullptr) {
            presenter_->OnFlipButtonHot(flip, hot);
        }
    });
}

void KeyboardViewWidgets::PlaceButton(const presenters::ButtonPlacement& placement) {
    KeyButton& widget = Create(placement.button);
    dialog_.PlaceSkinButton(widget, placement.layoutKey,
                            {set_.normal, set_.hover, set_.pressed, set_.normal, set_.disabled});
    // Keep the four faces; the looks only rearrange them.
    const LookFaces& cut = widget.faces();
    buttons_[placement.button].faces = {cut[static_cast<std::size_t>(Look::Normal)],
                                        cut[static_cast<std::size_t>(Look::Hover)],
                                        cut[static_cast<std::size_t>(Look::Pressed)],
                                        cut[static_cast<std::size_t>(Look::Selected)]};
    widget.setVisible(placement.inSkin);
}

void KeyboardViewWidgets::ShowButton(ViewButton button, const presenters::ButtonLook& look) {
    const auto it = buttons_.find(button);
    if (it == buttons_.end() || it->second.widget == nullptr) {
        return;  // not placed
    }
    KeyButton& widget = *it->second.widget;
    const std::array<QImage, 4>& faces = it->second.faces;
    auto face = [&faces](MainPicture picture) { return faces[static_cast<std::size_t>(picture)]; };
    widget.SetFaces({face(look.faces.normal), face(look.faces.hover), face(look.faces.pressed),
                     face(look.faces.disabled), face(look.faces.selected)},
                    false);
    widget.SetSelected(look.selected, false);
    widget.setEnabled(look.enabled);
    widget.setVisible(look.visible);
    widget.SetTint(look.tint ? std::optional<QColor>(ToQColor(*look.tint)) : std::nullopt);
    widget.setText(ToQString(look.label));
    widget.SetTooltip(ToQString(look.tooltip));
    widget.setAccessibleName(ToQString(look.accessibleName));
    widget.setAccessibleDescription(ToQString(look.tooltip));
    widget.update();
}

void KeyboardViewWidgets::ShowArrow(presenters::ArrowSide side, const presenters::ArrowLook& look) {
    QPointer<PictureButton>& arrow = arrows_[static_cast<std::size_t>(side)];
    if (arrow == nullptr) {
        arrow = new PictureButton(&dialog_);  // a child of the dialog
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    dialog_.PlaceSkinButtonFrom(*arrow, look.layoutKey, skin::kArrowPictureSection, look.pictureKey,
                                arrowPicture_);
}

KeyboardViewDialog::KeyboardViewDialog(std::filesystem::path layoutFile, PictureCache& pictures,
                                       const std::filesystem::path& installFolder, QWidget* parent)
    : SkinnedDialog(std::move(layoutFile), pictures, parent), widgets_(*this, installFolder) {}

void KeyboardViewDialog::Bind(presenters::KeyboardViewPresenter& presenter) {
    presenter_ = &presenter;
    widgets_.Bind(&presenter);
}

void KeyboardViewDialog::AddPlacement(std::function<void()> place) {
    placements_.push_back(std::move(place));
}

void KeyboardViewDialog::PlaceControls() {
    if (presenter_ != nullptr) {
        presenter_->LayoutKeyButtons(layout());
    }
    for (const std::function<void()>& place : placements_) {
        place();
    }
}

}  // namespace qf::ui
