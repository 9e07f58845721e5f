#include "ui/skin/picture_header.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace qf::ui {

namespace {

constexpr std::array<std::uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// A frame header further into a JPEG than this is not looked for: real files put it within the
// first few kilobytes (after the thumbnails and colour profiles of the application segments).
constexpr long kJpegSearchLimit = 512 * 1024;
// Larger than any picture a window of this program shows, and well within int.
constexpr std::int64_t kMaxSide = 1 << 16;

std::uint32_t Be16(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0] << 8 | p[1]);
}
std::uint32_t Be32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}
std::uint32_t Le16(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0] | p[1] << 8);
}
std::int32_t Le32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
        static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24);
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool ReadExactly(std::FILE* file, std::uint8_t* out, std::size_t size) {
    return std::fread(out, 1, size, file) == size;
}

void SetSize(PictureDimensions& result, std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0) {
        result.reason = "the picture has no size";
        return;
    }
    if (width > kMaxSide || height > kMaxSide) {
        result.reason = "the picture is " + std::to_string(width) + " x " + std::to_string(height) +
                        " pixels, too large";
        return;
    }
    result.readable = true;
    result.width = static_cast<int>(width);
    result.height = static_cast<int>(height);
}

void ReadPng(std::FILE* file, PictureDimensions& result) {
    // Signature, then the first chunk, which must be IHDR: length 13, width and height first.
    std::array<std::uint8_t, 24> header{};
    if (!ReadExactly(file, header.data(), header.size())) {
        result.reason = "the PNG file ends inside its header";
        return;
    }
    if (Be32(&header[8]) != 13 || !std::equal(&header[12], &header[16], "IHDR")) {
        result.reason = "the PNG file does not start with its image header";
        return;
    }
    SetSize(result, Be32(&header[16]), Be32(&header[20]));
}

void ReadBmp(std::FILE* file, PictureDimensions& result) {
    // File header (14 bytes), then the bitmap header, whose own size says which kind it is.
    std::array<std::uint8_t, 26> header{};
    if (!ReadExactly(file, header.data(), 18)) {
        result.reason = "the BMP file ends inside its header";
        return;
    }
    const std::int32_t infoSize = Le32(&header[14]);
    if (infoSize == 12) {
        // The old OS/2 header: 16-bit sides.
        if (!ReadExactly(file, &header[18], 4)) {
            result.reason = "the BMP file ends inside its header";
            return;
        }
        SetSize(result, Le16(&header[18]), Le16(&header[20]));
        return;
    }
    if (infoSize < 40) {
        result.reason = "the BMP file has an unknown bitmap header";
        return;
    }
    if (!ReadExactly(file, &header[18], 8)) {
        result.reason = "the BMP file ends inside its header";
        return;
    }
    // A negative height is a picture stored top row first.
    SetSize(result, Le32(&header[18]), std::llabs(static_cast<long long>(Le32(&header[22]))));
}

bool IsFrameMarker(std::uint8_t marker) {
    // SOF0..SOF15, except DHT (C4), JPG (C8) and DAC (CC), which share the range.
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

void ReadJpeg(std::FILE* file, PictureDimensions& result) {
    std::array<std::uint8_t, 2> start{};
    if (!ReadExactly(file, start.data(), start.size())) {
        result.reason = "the JPEG file ends inside its header";
        return;
    }
    for (;;) {
        if (std::ftell(file) > kJpegSearchLimit) {
            result.reason = "the JPEG file has no frame header in its first 512 KiB";
            return;
        }
        int byte = std::fgetc(file);
        if (byte == EOF) {
            result.reason = "the JPEG file ends before its frame header";
            return;
        }
        if (byte != 0xFF) {
            result.reason = "the JPEG file's segments are damaged";
            return;
        }
        while (byte == 0xFF) {  // fill bytes before a marker
            byte = std::fgetc(file);
        }
        if (byte == EOF) {
            result.reason = "the JPEG file ends before its frame header";
            return;
        }
        const auto marker = static_cast<std::uint8_t>(byte);
        if (marker == 0xD9 || marker == 0xDA) {
            result.reason = "the JPEG file has no frame header before its image data";
            return;
        }
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            continue;  // markers without a segment
        }
        std::array<std::uint8_t, 7> segment{};
        if (!ReadExactly(file, segment.data(), 2)) {
            result.reason = "the JPEG file ends inside a segment";
            return;
        }
        const std::uint32_t length = Be16(segment.data());
        if (length < 2) {
            result.reason = "the JPEG file's segments are damaged";
            return;
        }
        if (IsFrameMarker(marker)) {
            // Precision, height, width.
            if (length < 7 || !ReadExactly(file, &segment[2], 5)) {
                result.reason = "the JPEG file's frame header is cut short";
                return;
            }
            SetSize(result, Be16(&segment[5]), Be16(&segment[3]));
            return;
        }
        if (std::fseek(file, static_cast<long>(length) - 2, SEEK_CUR) != 0) {
            result.reason = "the JPEG file ends inside a segment";
            return;
        }
    }
}

}  // namespace

PictureFormat SniffPictureFormat(std::span<const std::uint8_t> start) {
    if (start.size() >= kPngSignature.size() &&
        std::equal(kPngSignature.begin(), kPngSignature.end(), start.begin())) {
        return PictureFormat::Png;
    }
    if (start.size() >= 3 && start[0] == 0xFF && start[1] == 0xD8 && start[2] == 0xFF) {
        return PictureFormat::Jpeg;
    }
    if (start.size() >= 2 && start[0] == 'B' && start[1] == 'M') {
        return PictureFormat::Bmp;
    }
    return PictureFormat::Unknown;
}

PictureDimensions ReadPictureDimensions(const std::filesystem::path& file) {
    PictureDimensions result;
    const File in(std::fopen(file.c_str(), "rb"));
    if (!in) {
        return result;
    }
    std::array<std::uint8_t, 8> start{};
    const std::size_t got = std::fread(start.data(), 1, start.size(), in.get());
    result.format = SniffPictureFormat(std::span(start.data(), got));
    if (result.format == PictureFormat::Unknown || std::fseek(in.get(), 0, SEEK_SET) != 0) {
        result.format = PictureFormat::Unknown;
        return result;
    }
    switch (result.format) {
        case PictureFormat::Png:
            ReadPng(in.get(), result);
            break;
        case PictureFormat::Bmp:
            ReadBmp(in.get(), result);
            break;
        case PictureFormat::Jpeg:
            ReadJpeg(in.get(), result);
            break;
        case PictureFormat::Unknown:
            break;
    }
    return result;
}

}  // namespace qf::ui
