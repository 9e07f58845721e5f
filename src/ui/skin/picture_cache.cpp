#include "ui/skin/picture_cache.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QMetaObject>

#include "text/skin_layout.h"
#include "ui/skin/picture_header.h"

namespace qf::ui {

QString FileName(const std::filesystem::path& path) {
    return QFile::decodeName(path.c_str());
}

PictureCache::PictureCache(QObject* parent) : QObject(parent) {}

PictureHeader PictureCache::CheckHeader(const QString& file) {
    PictureHeader header;
    // PNG, BMP and JPEG headers are read here; Qt's readers (and the plugins they load) only
    // see the other formats.
    const PictureDimensions own = ReadPictureDimensions(QFile::encodeName(file).toStdString());
    if (own.format != PictureFormat::Unknown) {
        header.readable = own.readable;
        if (own.readable) {
            header.size = QSize(own.width, own.height);
        } else {
            header.reason = QString::fromStdString(own.reason);
        }
        return header;
    }
    QImageReader reader(file);
    if (!reader.canRead()) {
        header.reason = reader.errorString();
        return header;
    }
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty()) {
        header.reason = QStringLiteral("the picture has no size");
        return header;
    }
    header.readable = true;
    header.size = size;
    return header;
}

QString PictureCache::Key(const QString& file) {
    return QDir::cleanPath(file);
}

QImage PictureCache::Load(const QString& file) {
    const QString key = Key(file);
    const auto found = images_.constFind(key);
    if (found != images_.constEnd()) {
        return found.value();
    }
    QImageReader reader(file);
    QImage image = reader.read();
    ++decodes_;
    ++decodesPerFile_[key];
    images_.insert(key, image);
    if (!trimQueued_) {
        trimQueued_ = true;
        QMetaObject::invokeMethod(this, &PictureCache::Trim, Qt::QueuedConnection);
    }
    return image;
}

void PictureCache::Trim() {
    trimQueued_ = false;
    for (auto it = images_.begin(); it != images_.end();) {
        // A null image shares nothing; an image whose pixels only the cache references is
        // detached.
        if (it.value().isNull() || it.value().isDetached()) {
            it = images_.erase(it);
        } else {
            ++it;
        }
    }
}

int PictureCache::decodeCount(const QString& file) const {
    return decodesPerFile_.value(Key(file), 0);
}

SkinPicture InstallPicture(PictureCache& cache, const std::filesystem::path& installFolder,
                           std::string_view relativeName) {
    return SkinPicture(cache, FileName(text::SkinPicturePath(installFolder, relativeName)));
}

PictureSet InstallPictureSet(PictureCache& cache, const std::filesystem::path& installFolder,
                             const std::array<std::string_view, 4>& names) {
    return {InstallPicture(cache, installFolder, names[0]),
            InstallPicture(cache, installFolder, names[1]),
            InstallPicture(cache, installFolder, names[2]),
            InstallPicture(cache, installFolder, names[3])};
}

}  // namespace qf::ui
