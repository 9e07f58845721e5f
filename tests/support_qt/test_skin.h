// A skin written by the test itself: tiny pictures of one solid colour each, with one-pixel
// markers where a test wants to see exactly which pixel lands where, and layout files with the
// records a test names. Nothing of the shipped skin is used.
//
//   TestSkin skin;                                   // an install folder with Skins/ in it
//   skin.WriteMainSet({{QPoint(9, 19), kMarker}});   // main_normal.jpg ... with a marker
//   skin.WriteLayout("Skins/Main.ini",
//   "[SCREEN]\nMain=bg.bmp\n[BUTTONINFO]\nCONTROL_OK=10,20,30,40\n");
//
// Pictures are written as BMP, whatever their names say (a ".jpg" name included): BMP keeps
// every colour exactly, and Qt recognises the format by the content.
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QTemporaryDir>
#include <filesystem>
#include <string_view>
#include <utility>
#include <vector>

namespace qf::ui::test {

// The fill colours of the test pictures.
inline constexpr QRgb kNormalFill = 0xFF204080;
inline constexpr QRgb kHoverFill = 0xFF30A030;
inline constexpr QRgb kPressedFill = 0xFFA03030;
inline constexpr QRgb kDisabledFill = 0xFF808080;
inline constexpr QRgb kBackgroundFill = 0xFF102030;
inline constexpr QRgb kMarker = 0xFFFF00FF;
inline constexpr QRgb kWhite = 0xFFFFFFFF;

using Markers = std::vector<std::pair<QPoint, QRgb>>;

class TestSkin {
public:
    // Pictures are `pictureSize` unless a call says otherwise.
    explicit TestSkin(QSize pictureSize = QSize(120, 80));

    [[nodiscard]] std::filesystem::path installFolder() const;
    [[nodiscard]] std::filesystem::path File(std::string_view relative) const;
    [[nodiscard]] QSize pictureSize() const { return size_; }

    // A picture of one colour with markers.
    void WritePicture(std::string_view relative, QRgb fill, const Markers& markers = {});
    void WritePicture(std::string_view relative, const QImage& image);
    // The four main pictures (text::skin::kMainPictures) in the fills above; the markers go into
    // every one of them.
    void WriteMainSet(const Markers& markers = {});
    // Any file's bytes.
    void WriteText(std::string_view relative, std::string_view text);
    void WriteLayout(std::string_view relative, std::string_view text) {
        WriteText(relative, text);
    }

    // A solid picture with markers, as the test pictures are made.
    [[nodiscard]] static QImage Solid(QSize size, QRgb fill, const Markers& markers = {});

private:
    QTemporaryDir folder_;
    QSize size_;
};

}  // namespace qf::ui::test
