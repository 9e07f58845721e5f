// The skin pictures' headers read without Qt's decoders: each format's size must be the one Qt
// finds when it decodes the picture, and a damaged header is refused with a reason.
#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "ui/skin/picture_header.h"

namespace qf::ui {
namespace {

std::vector<std::uint8_t> Bytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

class PictureHeaderTest : public ::testing::Test {
protected:
    // A picture Qt writes, of the given size and format.
    std::filesystem::path Saved(const char* name, int width, int height, const char* format) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(QColor(40, 90, 160));
        const std::filesystem::path file = folder.Path() / name;
        EXPECT_TRUE(image.save(QString::fromStdString(file.string()), format));
        return file;
    }
    qf::testing::TempFolder folder;
};

TEST_F(PictureHeaderTest, SizesMatchWhatQtDecodes) {
    struct Case {
        const char* name;
        const char* format;
        PictureFormat expected;
    };
    for (const Case& c :
         {Case{"a.png", "PNG", PictureFormat::Png}, Case{"a.bmp", "BMP", PictureFormat::Bmp},
          Case{"a.jpg", "JPG", PictureFormat::Jpeg}}) {
        for (const auto& [width, height] : {std::pair{1, 1}, {1000, 560}, {33, 257}, {300, 2}}) {
            const auto file = Saved(c.name, width, height, c.format);
            const PictureDimensions read = ReadPictureDimensions(file);
            SCOPED_TRACE(std::string(c.name) + " " + std::to_string(width) + "x" +
                         std::to_string(height));
            EXPECT_EQ(read.format, c.expected);
            ASSERT_TRUE(read.readable) << read.reason;
            const QSize decoded = QImage(QString::fromStdString(file.string())).size();
            EXPECT_EQ(QSize(read.width, read.height), decoded);
        }
    }
    // The content decides, not the name.
    const auto png = Saved("named.jpg", 7, 9, "PNG");
    EXPECT_EQ(ReadPictureDimensions(png).format, PictureFormat::Png);
}

TEST_F(PictureHeaderTest, AJpegFrameHeaderAfterLargeSegmentsAndFillBytesIsFound) {
    const auto file = Saved("big.jpg", 64, 48, "JPG");
    std::vector<std::uint8_t> bytes = Bytes(file);
    // After the start marker: fill bytes, then two application segments of 60 KB each, as
    // colour profiles and thumbnails make them.
    std::vector<std::uint8_t> extra = {0xFF, 0xFF};
    for (int i = 0; i < 2; ++i) {
        extra.insert(extra.end(), {0xFF, 0xE2, 0xEA, 0x60});
        extra.insert(extra.end(), 0xEA60 - 2, static_cast<std::uint8_t>(i));
    }
    bytes.insert(bytes.begin() + 2, extra.begin(), extra.end());
    Write(file, bytes);
    const PictureDimensions read = ReadPictureDimensions(file);
    ASSERT_TRUE(read.readable) << read.reason;
    EXPECT_EQ(read.width, 64);
    EXPECT_EQ(read.height, 48);
    EXPECT_EQ(QImageReader(QString::fromStdString(file.string())).size(), QSize(64, 48));
}

TEST_F(PictureHeaderTest, ABmpStoredTopRowFirstHasItsHeightPositive) {
    const auto file = Saved("down.bmp", 20, 30, "BMP");
    std::vector<std::uint8_t> bytes = Bytes(file);
    const std::int32_t negative = -30;
    for (int i = 0; i < 4; ++i) {
        bytes[22 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(negative) >> (8 * i));
    }
    Write(file, bytes);
    const PictureDimensions read = ReadPictureDimensions(file);
    ASSERT_TRUE(read.readable) << read.reason;
    EXPECT_EQ(read.height, 30);
}

TEST_F(PictureHeaderTest, DamagedHeadersAreRefusedWithAReason) {
    // Each file cut inside its header, and each with a header that gives no size.
    for (const char* format : {"PNG", "BMP", "JPG"}) {
        const auto file = Saved("cut", 40, 30, format);
        std::vector<std::uint8_t> bytes = Bytes(file);
        bytes.resize(std::string(format) == "JPG" ? 5 : 20);
        Write(file, bytes);
        const PictureDimensions read = ReadPictureDimensions(file);
        EXPECT_NE(read.format, PictureFormat::Unknown) << format;
        EXPECT_FALSE(read.readable) << format;
        EXPECT_FALSE(read.reason.empty()) << format;
    }
    const auto png = Saved("zero.png", 5, 5, "PNG");
    std::vector<std::uint8_t> bytes = Bytes(png);
    std::fill(bytes.begin() + 16, bytes.begin() + 20, 0);  // width 0
    Write(png, bytes);
    EXPECT_FALSE(ReadPictureDimensions(png).readable);

    // A JPEG whose image data starts before any frame header.
    Write(folder.Path() / "nosof.jpg", {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02, 0x11, 0x22});
    const PictureDimensions noFrame = ReadPictureDimensions(folder.Path() / "nosof.jpg");
    EXPECT_EQ(noFrame.format, PictureFormat::Jpeg);
    EXPECT_FALSE(noFrame.readable);
}

TEST_F(PictureHeaderTest, OtherFormatsAndMissingFilesAreLeftToTheGeneralReader) {
    const auto gif = folder.Path() / "a.gif";
    Write(gif, {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0});
    EXPECT_EQ(ReadPictureDimensions(gif).format, PictureFormat::Unknown);
    EXPECT_EQ(ReadPictureDimensions(folder.Path() / "missing.png").format, PictureFormat::Unknown);
    EXPECT_EQ(SniffPictureFormat({}), PictureFormat::Unknown);
}

}  // namespace
}  // namespace qf::ui
