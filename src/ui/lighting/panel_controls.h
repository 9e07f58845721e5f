// Two controls of the lighting panel that behave differently from their Qt defaults:
//
//   ThumbSlider    a horizontal slider drawn as a thin track with a picture for its thumb; a
//                  press on the thumb drags it, a press elsewhere on the track moves one page
//                  towards the press (the panel's page is larger than the range, so the slider
//                  jumps to that end). Every position change by the user is one
//                  actionTriggered(); setting the value from the program emits none.
//   QuietComboBox  a drop-down list that the mouse wheel changes only while its list is open,
//                  and (when asked) whose closed list the navigation keys (arrows, Page Up/Down,
//                  Home, End) leave alone; Alt+Down and F4 still open the list.
//
// GUI thread only.
#pragma once

#include <QComboBox>
#include <QImage>
#include <QSlider>

namespace qf::ui {

class ThumbSlider final : public QSlider {
    Q_OBJECT
public:
    explicit ThumbSlider(QWidget* parent = nullptr);

    // The thumb's picture; a null picture draws a plain thumb.
    void SetThumb(const QImage& picture);
    [[nodiscard]] const QImage& thumb() const { return thumb_; }
    // Where the thumb is drawn (and takes presses), in the slider's coordinates.
    [[nodiscard]] QRect ThumbRect() const;
    // The x of the thumb's left edge at `position`.
    [[nodiscard]] int ThumbX(int position) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    [[nodiscard]] QSize ThumbSize() const;
    [[nodiscard]] int PositionAt(int thumbX) const;

    QImage thumb_;
    int grabOffset_ = 0;  // where in the thumb the drag took hold
};

class QuietComboBox final : public QComboBox {
    Q_OBJECT
public:
    explicit QuietComboBox(QWidget* parent = nullptr);

    // Whether the navigation keys are kept from the closed list.
    void SetNavigationKeysSwallowed(bool swallowed) { swallowKeys_ = swallowed; }

protected:
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool swallowKeys_ = false;
};

}  // namespace qf::ui
