// Skin pictures, decoded once and shared.
//
// Every picture of a skin is a file under the install folder. A dialog checks the header of its
// background and shape pictures when it is built (cheap: nothing is decoded) and decodes them
// when it is first shown; a picture button cuts its faces out of the full-window pictures when
// it is placed and keeps only those. The cache decodes each file once and hands out shared
// copies (QImage shares its pixels); when the event loop has finished the turn in which a
// picture was decoded, the cache lets go of every picture no one else holds, so full-window
// pictures stay in memory only while a dialog is placing its controls or shows them as its
// background. A later re-placement decodes the file again.
//
// GUI thread only.
#pragma once

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <array>
#include <filesystem>
#include <string_view>

namespace qf::ui {

// A path as Qt's file functions want it (the inverse of QFile::encodeName).
[[nodiscard]] QString FileName(const std::filesystem::path& path);

// What a picture's header says.
struct PictureHeader {
    bool readable = false;
    QSize size;      // when readable
    QString reason;  // when not: why, in words
};

class PictureCache : public QObject {
    Q_OBJECT
public:
    explicit PictureCache(QObject* parent = nullptr);

    // Reads only the file's header: its format is one Qt can decode and its size is known.
    [[nodiscard]] static PictureHeader CheckHeader(const QString& file);

    // The decoded picture, shared with every other holder. A missing or unreadable file gives a
    // null image (asked for again, it is not retried until the cache has let go of it).
    [[nodiscard]] QImage Load(const QString& file);

    // Lets go of every picture only the cache holds. Runs by itself after each event-loop turn
    // that decoded something.
    void Trim();

    // For tests and memory checks: how many files were decoded in all (or this one), and how
    // many decoded pictures the cache holds now.
    [[nodiscard]] int decodeCount() const { return decodes_; }
    [[nodiscard]] int decodeCount(const QString& file) const;
    [[nodiscard]] int heldCount() const { return static_cast<int>(images_.size()); }

private:
    static QString Key(const QString& file);

    QHash<QString, QImage> images_;
    QHash<QString, int> decodesPerFile_;
    int decodes_ = 0;
    bool trimQueued_ = false;
};

// One picture of a skin: a file and the cache that decodes it. Cheap to copy and compare. A
// null picture (no cache or no file) is the empty picture: it cuts empty faces.
class SkinPicture {
public:
    SkinPicture() = default;
    SkinPicture(PictureCache& cache, QString file) : cache_(&cache), file_(std::move(file)) {}

    [[nodiscard]] bool isNull() const { return cache_ == nullptr || file_.isEmpty(); }
    [[nodiscard]] const QString& file() const { return file_; }
    // The decoded picture (null for the empty picture or an unreadable file).
    [[nodiscard]] QImage Load() const { return isNull() ? QImage() : cache_->Load(file_); }

    friend bool operator==(const SkinPicture& a, const SkinPicture& b) {
        return a.cache_ == b.cache_ && a.file_ == b.file_;
    }

private:
    PictureCache* cache_ = nullptr;  // outlives every picture made from it
    QString file_;
};

// A picture named relative to the install folder ("Skins/main_normal.jpg"; backslashes count
// as folder separators).
[[nodiscard]] SkinPicture InstallPicture(PictureCache& cache,
                                         const std::filesystem::path& installFolder,
                                         std::string_view relativeName);

// A dialog's picture set (text::skin::kMainPictures and the others), in the order normal,
// hover, pressed, disabled.
struct PictureSet {
    SkinPicture normal;
    SkinPicture hover;
    SkinPicture pressed;
    SkinPicture disabled;
};
[[nodiscard]] PictureSet InstallPictureSet(PictureCache& cache,
                                           const std::filesystem::path& installFolder,
                                           const std::array<std::string_view, 4>& names);

// The five pictures a picture button cuts its faces from, in the order normal, hover, pressed,
// disabled, selected. A dialog fills it from its set, e.g. {N, H, P, N, D}:
//   StatePictures{set.normal, set.hover, set.pressed, set.normal, set.disabled}
struct StatePictures {
    SkinPicture normal;
    SkinPicture hover;
    SkinPicture pressed;
    SkinPicture disabled;
    SkinPicture selected;

    // One picture for all five states.
    [[nodiscard]] static StatePictures All(const SkinPicture& picture) {
        return {picture, picture, picture, picture, picture};
    }
};

}  // namespace qf::ui
