#include "skin_writer.h"

#include <QFont>
#include <QPainter>
#include <algorithm>
#include <fstream>
#include <system_error>

#include "presenters/lighting_panel_rules.h"
#include "skin_painter.h"
#include "text/skin_keys.h"
#include "text/skin_layout.h"

namespace qf::skingen {

namespace skin = text::skin;

namespace {

constexpr int kJpegQuality = 92;

std::string Record(const Rect& r) {
    return std::to_string(r.x) + "," + std::to_string(r.y) + "," + std::to_string(r.w) + "," +
           std::to_string(r.h);
}

// A picture name of the core's tables ("Skins/main_normal.jpg") as a name in the Skins folder.
std::string InSkins(std::string_view path) {
    const std::string prefix = std::string(skin::kSkinsFolder) + "/";
    return std::string(path.substr(path.rfind(prefix) == 0 ? prefix.size() : 0));
}

class Writer {
public:
    Writer(std::filesystem::path folder, std::vector<WrittenPicture>* written)
        : folder_(std::move(folder)), written_(written) {}

    bool Picture(const std::string& name, const QImage& image, std::string& error) {
        const std::filesystem::path path = folder_ / name;
        const std::string ext = path.extension().string();
        const char* format = ext == ".jpg" ? "JPG" : ext == ".png" ? "PNG" : "BMP";
        const int quality = ext == ".jpg" ? kJpegQuality : -1;
        if (!image.save(QString::fromStdString(path.string()), format, quality)) {
            error = "cannot write " + path.string();
            return false;
        }
        if (written_ != nullptr) {
            written_->push_back({QString::fromStdString(name), image});
        }
        return true;
    }

    bool Text(const std::string& name, const std::string& text, std::string& error) {
        const std::filesystem::path path = folder_ / name;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) {
            error = "cannot write " + path.string();
            return false;
        }
        return true;
    }

private:
    std::filesystem::path folder_;
    std::vector<WrittenPicture>* written_;
};

bool WriteMain(Writer& w, std::string& error) {
    const DialogSpec main = MainDialog();
    if (!w.Text(main.layoutFile, LayoutFileText(main), error) ||
        !w.Picture(main.background, BackgroundPicture(main, DialogKind::Main), error) ||
        !w.Picture(main.mask, ShapePicture(main), error)) {
        return false;
    }
    for (std::size_t i = 0; i < skin::kMainPictures.size(); ++i) {
        const QImage picture = StatePicture(main, DialogKind::Main, kAllPictures[i]);
        if (!w.Picture(InSkins(skin::kMainPictures[i]), picture, error)) {
            return false;
        }
    }
    const std::array<ColourDisplay, 2> displays = {ColourDisplay::Zones, ColourDisplay::Spectrum};
    for (std::size_t i = 0; i < displays.size(); ++i) {
        const QImage picture =
            StatePicture(main, DialogKind::Main, Picture::Normal, Page::None, displays[i]);
        if (!w.Picture(InSkins(skin::kMainColourPictures[i]), picture, error)) {
            return false;
        }
    }
    if (!w.Picture(InSkins(skin::kArrowPicture), ArrowPicture(main), error)) {
        return false;
    }
    for (const PanelBitmapSpec& picture : PanelBitmaps()) {
        if (!w.Picture(picture.file, PanelBitmap(picture), error)) {
            return false;
        }
    }
    for (int k = 0; k < presenters::kThumbPictureCount; ++k) {
        if (!w.Picture(InSkins(presenters::ThumbFile(k)), ThumbBitmap(k), error)) {
            return false;
        }
    }
    return true;
}

bool WriteComposite(Writer& w, std::string& error) {
    const DialogSpec composite = CompositeDialog();
    if (!w.Text(composite.layoutFile, LayoutFileText(composite), error) ||
        !w.Picture(composite.background, BackgroundPicture(composite, DialogKind::Composite),
                   error) ||
        !w.Picture(composite.mask, ShapePicture(composite), error)) {
        return false;
    }
    const std::array<const char*, 4> suffixes = {"_normal.jpg", "_over.jpg", "_down.jpg",
                                                 "_disable.jpg"};
    for (const PictureSet& set : CompositeSets()) {
        const std::size_t count = set.hasDisable ? 4 : 3;
        for (std::size_t i = 0; i < count; ++i) {
            const QImage picture =
                StatePicture(composite, DialogKind::Composite, kAllPictures[i], set.page);
            if (!w.Picture(set.stem + suffixes[i], picture, error)) {
                return false;
            }
        }
    }
    return true;
}

bool WriteProfile(Writer& w, std::string& error) {
    const DialogSpec profile = ProfileDialog();
    if (!w.Text(profile.layoutFile, LayoutFileText(profile), error) ||
        !w.Picture(profile.background, BackgroundPicture(profile, DialogKind::Profile), error) ||
        !w.Picture(profile.mask, ShapePicture(profile), error)) {
        return false;
    }
    // Normal, hover and pressed; the pressed picture doubles as the disabled one.
    for (std::size_t i = 0; i < 3; ++i) {
        const QImage picture = StatePicture(profile, DialogKind::Profile, kAllPictures[i]);
        if (!w.Picture(InSkins(skin::kProfilePictures[i]), picture, error)) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string LayoutFileText(const DialogSpec& dialog) {
    std::string out;
    auto line = [&](std::string_view key, std::string_view value) {
        out.append(key).append("=").append(value).append("\n");
    };
    out += "; Quillfen skin layout: where each control of the dialog stands (x,y,w,h).\n";
    out +=
        "; Written by skingen from its description of the skin; change the generator, not "
        "this file.\n";
    out += "[SCREEN]\n";
    line(skin::kScreenMain, dialog.background);
    line(skin::kScreenMask, dialog.mask);
    const bool isMain = dialog.layoutFile == "Main.ini";
    if (isMain) {
        line(skin::kScreenLink, kLinkTarget);
    }
    out += "\n[BUTTONINFO]\n";
    for (const Control& c : dialog.controls) {
        line(c.key, Record(c.rect));
    }
    for (const Placement& p : dialog.placements) {
        line(p.key, Record(p.rect));
    }
    if (isMain) {
        out += "\n[BUTTONINFO2]\n";
        for (const ArrowFace& face : ArrowFaces()) {
            line(face.key, Record(face.rect));
        }
        const std::vector<NamePair> labels = ControlNames();
        const std::vector<NamePair> modes = ModeNames();
        out += "\n[Control_Name]\n";
        for (const NamePair& n : labels) {
            line(n.key, n.chinese);
        }
        out += "\n[Control_Name1]\n";
        for (const NamePair& n : labels) {
            line(n.key, n.english);
        }
        out += "\n[Mode]\n";
        for (const NamePair& n : modes) {
            line(n.key, n.chinese);
        }
        out += "\n[Mode1]\n";
        for (const NamePair& n : modes) {
            line(n.key, n.english);
        }
    }
    return out;
}

bool WriteSkin(const std::filesystem::path& folder, std::string& error,
               std::vector<WrittenPicture>* written) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        error = "cannot create " + folder.string() + ": " + ec.message();
        return false;
    }
    Writer w(folder, written);
    return WriteMain(w, error) && WriteComposite(w, error) && WriteProfile(w, error);
}

QImage ContactSheet(const std::vector<WrittenPicture>& pictures) {
    // Window-sized pictures at a third of their size, three to a row; the small bitmaps at twice
    // their size, packed in rows below.
    constexpr int kMargin = 16;
    constexpr int kLabel = 18;
    constexpr int kSheetWidth = 3 * (kMainWidth / 3 + kMargin) + kMargin;
    struct Cell {
        const WrittenPicture* picture;
        QRect place;
        qreal scale;
    };
    std::vector<Cell> cells;
    int x = kMargin;
    int y = kMargin;
    int rowHeight = 0;
    bool large = true;
    for (const WrittenPicture& picture : pictures) {
        const bool isLarge = picture.image.width() >= 300;
        if (!isLarge && large) {
            // Start the small pictures on a row of their own.
            large = false;
            x = kMargin;
            y += rowHeight + kLabel + kMargin;
            rowHeight = 0;
        }
        const qreal scale = isLarge ? 1.0 / 3.0 : 2.0;
        const int w = static_cast<int>(picture.image.width() * scale);
        const int h = static_cast<int>(picture.image.height() * scale);
        const int cellWidth = std::max(w, isLarge ? 0 : 64);
        if (x + cellWidth > kSheetWidth - kMargin) {
            x = kMargin;
            y += rowHeight + kLabel + kMargin;
            rowHeight = 0;
        }
        cells.push_back({&picture, QRect(x, y, w, h), scale});
        x += cellWidth + kMargin;
        rowHeight = std::max(rowHeight, h);
    }
    const int height = y + rowHeight + kLabel + kMargin;
    QImage sheet(kSheetWidth, height, QImage::Format_RGB32);
    sheet.fill(QColor(0x2B, 0x2F, 0x35));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans")});
    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(QColor(0xC8, 0xCE, 0xD5));
    for (const Cell& cell : cells) {
        p.drawImage(cell.place, cell.picture->image);
        p.drawText(QRect(cell.place.left(), cell.place.bottom() + 3,
                         std::max(cell.place.width(), 64) + kMargin - 2, kLabel),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, cell.picture->name);
    }
    p.end();
    return sheet;
}

}  // namespace qf::skingen
