#include "support_qt/test_skin.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <stdexcept>

#include "text/skin_keys.h"

namespace qf::ui::test {

TestSkin::TestSkin(QSize pictureSize) : size_(pictureSize) {
    if (!folder_.isValid()) {
        throw std::runtime_error("no temporary folder for the test skin");
    }
    QDir(folder_.path()).mkpath(QStringLiteral("Skins"));
}

std::filesystem::path TestSkin::installFolder() const {
    return std::filesystem::path(QFile::encodeName(folder_.path()).toStdString());
}

std::filesystem::path TestSkin::File(std::string_view relative) const {
    return installFolder() / relative;
}

QImage TestSkin::Solid(QSize size, QRgb fill, const Markers& markers) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(fill);
    for (const auto& [point, colour] : markers) {
        if (image.rect().contains(point)) {
            image.setPixel(point, colour);
        }
    }
    return image;
}

void TestSkin::WritePicture(std::string_view relative, QRgb fill, const Markers& markers) {
    WritePicture(relative, Solid(size_, fill, markers));
}

void TestSkin::WritePicture(std::string_view relative, const QImage& image) {
    const QString file = QFile::decodeName(File(relative).c_str());
    QDir().mkpath(QFileInfo(file).path());
    QImageWriter writer(file, "bmp");
    if (!writer.write(image)) {
        throw std::runtime_error("cannot write test picture " + std::string(relative));
    }
}

void TestSkin::WriteMainSet(const Markers& markers) {
    const auto& names = text::skin::kMainPictures;
    WritePicture(names[0], kNormalFill, markers);
    WritePicture(names[1], kHoverFill, markers);
    WritePicture(names[2], kPressedFill, markers);
    WritePicture(names[3], kDisabledFill, markers);
}

void TestSkin::WriteText(std::string_view relative, std::string_view text) {
    const QString file = QFile::decodeName(File(relative).c_str());
    QDir().mkpath(QFileInfo(file).path());
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        out.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size())) {
        throw std::runtime_error("cannot write test file " + std::string(relative));
    }
}

}  // namespace qf::ui::test
