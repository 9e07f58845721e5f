#include "ui/skin/skinned_dialog.h"

#include <QGuiApplication>
#include <QHideEvent>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ui/skin/skin_placement.h"
#include "ui/skin/window_shape.h"

namespace qf::ui {

Q_LOGGING_CATEGORY(lcSkin, "quillfen.skin")

QString SkinError::Message() const {
    return QStringLiteral("Cannot read the skin picture %1: %2").arg(FileName(file), reason);
}

bool HasDisplay() {
    if (qGuiApp == nullptr) {
        return false;
    }
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

void ReportSkinFailure(const SkinError& error, QWidget* parent) {
    const QByteArray line = error.Message().toUtf8();
    std::fprintf(stderr, "quillfen: %s\n", line.constData());
    std::fflush(stderr);
    if (HasDisplay()) {
        QMessageBox::critical(parent, QString(), error.Message());
    }
}

void ExitOnSkinFailure(const SkinError& error) {
    ReportSkinFailure(error, nullptr);
    std::exit(kSkinFailureExitCode);
}

SkinnedDialog::SkinnedDialog(std::filesystem::path layoutFile, PictureCache& pictures,
                             QWidget* parent)
    : QDialog(parent),
      layoutFile_(std::move(layoutFile)),
      skinFolder_(layoutFile_.parent_path()),
      pictures_(pictures) {
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAutoFillBackground(false);
}

SkinnedDialog::~SkinnedDialog() = default;

bool SkinnedDialog::ApplyDialogSkin(SkinError* error) {
    skinning_ = true;
    applied_ = false;
    auto fail = [&](std::filesystem::path file, QString reason) {
        if (error != nullptr) {
            *error = SkinError{std::move(file), std::move(reason)};
        }
        skinning_ = false;
        return false;
    };

    layout_ = {};
    std::string loadError;
    (void)text::LoadIniFile(layoutFile_, layout_, &loadError);
    screen_ = text::ReadSkinScreen(layout_);
    if (screen_.main.empty()) {
        return fail(layoutFile_, loadError.empty()
                                     ? QStringLiteral("the layout file names no background picture")
                                     : QString::fromStdString(loadError));
    }
    const std::filesystem::path backgroundPath = text::SkinPicturePath(skinFolder_, screen_.main);
    const std::filesystem::path shapePath = text::SkinPicturePath(skinFolder_, screen_.mask);
    backgroundFile_ = FileName(backgroundPath);
    shapeFile_ = FileName(shapePath);

    const PictureHeader background = PictureCache::CheckHeader(backgroundFile_);
    if (!background.readable) {
        return fail(backgroundPath, background.reason);
    }
    if (shapeFile_ != backgroundFile_) {
        const PictureHeader shape = PictureCache::CheckHeader(shapeFile_);
        if (!shape.readable) {
            return fail(shapePath, shape.reason);
        }
    }
    resize(background.size);
    applied_ = true;
    placed_ = false;
    outline_ = QRegion();
    skinning_ = false;
    return true;
}

void SkinnedDialog::EnsureSkinned() {
    if (!applied_) {
        return;
    }
    LoadBackground();
    if (placed_) {
        return;
    }
    skinning_ = true;
    const WindowShape shape = WindowShapeFor(pictures_.Load(shapeFile_), size());
    outline_ = shape.region;
    outlineFellBack_ = shape.fullRectangle;
    if (outlineFellBack_) {
        qCWarning(lcSkin).noquote() << "the shape picture" << shapeFile_
                                    << "has no pixel other than white; the window keeps its "
                                       "full rectangle";
    }
    setMask(outline_);
    placed_ = true;
    PlaceControls();
    skinning_ = false;
}

void SkinnedDialog::LoadBackground() {
    if (!background_.isNull()) {
        return;
    }
    background_ = pictures_.Load(backgroundFile_);
    if (background_.isNull() && !backgroundWarned_) {
        backgroundWarned_ = true;
        qCWarning(lcSkin).noquote()
            << "the background picture" << backgroundFile_ << "could not be decoded";
    }
    if (!background_.isNull()) {
        setAttribute(Qt::WA_OpaquePaintEvent, true);
    }
}

void SkinnedDialog::ReleasePictures() {
    background_ = QImage();
}

void SkinnedDialog::setVisible(bool visible) {
    if (visible) {
        EnsureSkinned();
    }
    QDialog::setVisible(visible);
}

void SkinnedDialog::accept() {
    ReleasePictures();
    QDialog::accept();
}

void SkinnedDialog::paintEvent(QPaintEvent*) {
    EnsureSkinned();
    QPainter painter(this);
    if (!background_.isNull()) {
        painter.drawImage(QPoint(0, 0), background_);
    } else {
        painter.fillRect(rect(), palette().window());
    }
}

void SkinnedDialog::hideEvent(QHideEvent* event) {
    dragging_ = false;
    ReleasePictures();
    QDialog::hideEvent(event);
}

void SkinnedDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    event->accept();
    QWindow* window = windowHandle();
    if (window != nullptr && window->startSystemMove()) {
        return;
    }
    // No window manager takes the move (a bare X server, the offscreen platform): follow the
    // pointer by hand until the button is released.
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - pos();
}

void SkinnedDialog::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - dragOffset_);
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void SkinnedDialog::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_ && event->button() == Qt::LeftButton) {
        dragging_ = false;
        event->accept();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

text::SkinRect SkinnedDialog::PlaceSkinButton(PictureButton& button, std::string_view key,
                                              const StatePictures& pictures,
                                              std::string_view section) {
    return ui::PlaceSkinButton(button, layout_, section, key, pictures);
}

text::SkinRect SkinnedDialog::PlaceSkinControl(QWidget& control, std::string_view key,
                                               std::string_view section) {
    return ui::PlaceSkinControl(control, layout_, section, key);
}

text::SkinRect SkinnedDialog::PlaceSkinButtonFrom(PictureButton& button, std::string_view key,
                                                  std::string_view pictureSection,
                                                  std::string_view pictureKey,
                                                  const SkinPicture& picture,
                                                  std::string_view section) {
    return ui::PlaceSkinButtonFrom(button, layout_, section, key, pictureSection, pictureKey,
                                   picture);
}

text::SkinRect SkinnedDialog::MoveSkinControl(QWidget& control, std::string_view key,
                                              std::string_view section) {
    return ui::MoveSkinControl(control, layout_, section, key);
}

text::SkinRect SkinnedDialog::Record(std::string_view key, std::string_view section) const {
    return text::ReadSkinRect(layout_, section, key);
}

}  // namespace qf::ui
