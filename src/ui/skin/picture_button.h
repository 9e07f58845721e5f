// The picture button every skinned dialog uses: its faces are areas of the skin's full-window
// pictures, one per state, cut at the button's picture origin minus one pixel.
//
// Which face is drawn, in order: disabled (also under the pointer); the alternative picture
// while that is switched on (the first when the chooser is 0, else the second); pressed;
// hover; selected; normal. In frame mode the button draws only a hollow two-pixel rectangle in
// the frame colour instead of any face. A caption (the button's text) is drawn over the face
// when switched on.
//
// The button cuts its faces when it gets its pictures (SetSkin, SetStatePictures, SetAltSkin,
// SetOrigin and a change of size cut again) and keeps only the faces; the pictures are decoded
// through their PictureCache. Faces can also be read and given directly (faces(), SetFaces),
// which lets a view rearrange the looks without decoding anything.
//
// Pointer: the hover look and the tooltip come at once when the pointer enters; a double click
// counts as a second click.
#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <QString>
#include <array>
#include <functional>

#include "ui/skin/picture_cache.h"

namespace qf::ui {

// A button's looks, in the order of StatePictures.
enum class Look { Normal = 0, Hover = 1, Pressed = 2, Disabled = 3, Selected = 4 };
inline constexpr std::size_t kLookCount = 5;
using LookFaces = std::array<QImage, kLookCount>;

// Cuts the w x h area at (x, y) out of `picture`. Parts outside the picture are transparent; a
// null picture gives a null face.
[[nodiscard]] QImage CutFace(const QImage& picture, const QRect& area);

class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    // Called after every paint with whether the normal face was drawn.
    using DrawCallback = std::function<void(PictureButton& button, bool normalFaceUsed)>;

    static constexpr int kDefaultCaptionPointSize = 8;
    static inline const QString kDefaultCaptionFace = QStringLiteral("Tahoma");
    // How long a tooltip stays once popped up.
    static constexpr int kTooltipShowMs = 20000;

    explicit PictureButton(QWidget* parent = nullptr);
    ~PictureButton() override;

    // The picture origin (the control's own position as the layout gives it) and the five state
    // pictures; the faces are cut at (x - 1, y - 1) with the button's size. Clears hover and
    // pressed.
    void SetSkin(int originX, int originY, const StatePictures& pictures, bool redraw = true);
    // The two alternative pictures, whether they are shown and which one (0: the first).
    // Clears hover and pressed.
    void SetAltSkin(const SkinPicture& first, const SkinPicture& second, bool useAlternative,
                    int chooser, bool redraw = true);
    void SetStatePictures(const StatePictures& pictures, bool redraw = true);
    void SetOrigin(int originX, int originY, bool redraw = true);
    void SetSelected(bool selected, bool redraw = true);
    // Frame mode; `percent` is kept (at most 100) but not drawn. Always redraws.
    void SetFrame(const QColor& colour, int percent, bool on);
    // The caption: on or off, size in points, font face, colour and alignment within the
    // button (centred on one line by default). Redraws.
    void SetCaptionStyle(bool on, int pointSize = kDefaultCaptionPointSize,
                         const QString& face = kDefaultCaptionFace,
                         const QColor& colour = Qt::black,
                         Qt::Alignment alignment = Qt::AlignCenter);
    // The caption's angle in tenths of a degree (counter-clockwise) and the rotated flag, which
    // also makes the caption bold. Redraws.
    void SetCaptionAngle(int tenthsOfDegree, bool rotated);
    // The text popped up when the pointer enters; an empty text is ignored. `activate` false
    // keeps the text but shows nothing.
    void SetTooltip(const QString& text, bool activate = true);
    void SetDrawCallback(DrawCallback callback);

    // The faces cut so far, and faces given directly (they replace the state faces; pictures
    // given before are forgotten, so SetOrigin and a resize no longer cut them again).
    [[nodiscard]] const LookFaces& faces() const { return faces_; }
    void SetFaces(const LookFaces& faces, bool redraw = true);

    // The look the button's state selects now (disabled, pressed, hover, selected or normal),
    // whether an alternative picture is shown instead (never while disabled), and the face a
    // paint would draw.
    [[nodiscard]] Look ChosenLook() const;
    [[nodiscard]] bool alternativeShown() const;
    [[nodiscard]] QImage ChosenFace() const;

    [[nodiscard]] int originX() const { return originX_; }
    [[nodiscard]] int originY() const { return originY_; }
    [[nodiscard]] bool hovered() const { return hover_; }
    [[nodiscard]] bool selected() const { return selected_; }
    [[nodiscard]] bool frameOn() const { return frame_; }
    [[nodiscard]] int framePercent() const { return framePercent_; }
    [[nodiscard]] const QString& tooltipText() const { return tooltip_; }

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    void CutFaces();
    void CutAlternatives();
    void ClearPointerState();
    void StartHover();
    void ShowTooltip();
    void DrawCaption(QPainter& painter);

    int originX_ = 0;
    int originY_ = 0;
    StatePictures pictures_;  // what the faces were cut from (empty after SetFaces)
    bool cutFromPictures_ = false;
    LookFaces faces_;
    QSize cutSize_;

    std::array<SkinPicture, 2> alternatives_;
    std::array<QImage, 2> alternativeFaces_;
    bool useAlternative_ = false;
    int chooser_ = 0;

    bool hover_ = false;
    bool tracking_ = false;
    bool selected_ = false;

    bool frame_ = false;
    QColor frameColour_;
    int framePercent_ = 0;

    bool captionOn_ = false;
    int captionPointSize_ = kDefaultCaptionPointSize;
    QString captionFace_ = kDefaultCaptionFace;
    QColor captionColour_ = Qt::black;
    Qt::Alignment captionAlignment_ = Qt::AlignCenter;
    int captionAngle_ = 0;
    bool captionRotated_ = false;

    QString tooltip_;
    bool tooltipActive_ = false;
    DrawCallback drawCallback_;
};

}  // namespace qf::ui
