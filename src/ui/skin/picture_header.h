// The size of a PNG, BMP or JPEG picture read from its first bytes, without decoding it and
// without Qt's image plugins: the skin's pictures are checked when the program starts, and a
// start into the notification area should not load a decoder for a window nobody has opened.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace qf::ui {

enum class PictureFormat { Unknown, Png, Bmp, Jpeg };

struct PictureDimensions {
    PictureFormat format = PictureFormat::Unknown;
    bool readable = false;  // the header was whole and gave a size
    int width = 0;
    int height = 0;
    std::string reason;  // when a known format is not readable: why, in words
};

// The format from the first bytes (PNG and JPEG signatures, "BM"), else Unknown.
[[nodiscard]] PictureFormat SniffPictureFormat(std::span<const std::uint8_t> start);

// Reads as much of `file` as its header takes (a JPEG's segments up to the frame header, read
// one after the other, never more than a few hundred kilobytes). A file that cannot be opened,
// or whose first bytes name none of the three formats, gives Unknown; the caller then asks a
// general reader.
[[nodiscard]] PictureDimensions ReadPictureDimensions(const std::filesystem::path& file);

}  // namespace qf::ui
