#include "ui_lighting/panel_test_skin.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <map>
#include <string_view>
#include <vector>

#include "presenters/keyboard_buttons.h"
#include "presenters/lighting_panel_rules.h"
#include "text/skin_keys.h"

namespace qf::ui::test {

namespace {

using presenters::PanelPicture;
using presenters::ViewButton;

constexpr int kUnit = 28;  // one key width
constexpr int kQuarter = kUnit / 4;
constexpr int kKeyGap = 3;
constexpr int kMainX = 16;
constexpr int kNavX = kMainX + 15 * kUnit + kUnit / 2;
constexpr int kPadX = kNavX + 3 * kUnit + kUnit / 2;
constexpr int kGRowY = 12;
constexpr int kFRowY = 48;
constexpr int kFirstRowY = kFRowY + kUnit + kQuarter;

const QColor kBackground(24, 26, 32);
const QColor kPanelPlate(32, 35, 43);

// A key of the drawn keyboard: its layout key, caption and rectangle.
struct DrawnKey {
    std::string key;
    QString caption;
    QRect rect;
};

std::optional<std::size_t> KeyPosition(keys::ScanCode scan) {
    for (std::size_t n = 0; n < presenters::kKeyButtons.size(); ++n) {
        if (presenters::kKeyButtons[n].scan == scan) {
            return n;
        }
    }
    return std::nullopt;
}

QString CaptionOf(std::size_t n) {
    const presenters::KeyButtonEntry& entry = presenters::kKeyButtons[n];
    const QString caption =
        QString::fromUtf8(entry.caption.data(), static_cast<int>(entry.caption.size()));
    if (!caption.isEmpty()) {
        // The captions too long for a key face.
        static const std::map<QString, QString> shorter = {
            {"<--", "Bksp"},       {"Insert", "Ins"},  {"Delete", "Del"},   {"Page Up", "PgUp"},
            {"Page Down", "PgDn"}, {"Print", "PrtSc"}, {"Scroll", "ScrLk"}, {"CapsLock", "Caps"}};
        const auto it = shorter.find(caption);
        return it == shorter.end() ? caption : it->second;
    }
    const QString name = QString::fromUtf8(entry.accessibleName.data(),
                                           static_cast<int>(entry.accessibleName.size()));
    if (name.startsWith("Keypad ")) {
        return name.mid(7);
    }
    if (name == "Arrow Up") {
        return QStringLiteral("\u2191");
    }
    if (name == "Arrow Down") {
        return QStringLiteral("\u2193");
    }
    if (name == "Arrow Left") {
        return QStringLiteral("\u2190");
    }
    if (name == "Arrow Right") {
        return QStringLiteral("\u2192");
    }
    if (name == "Quote") {
        return QStringLiteral("'");
    }
    return {};
}

// One row of keys from x, each (scan, width in quarter units); scan 0 is a gap.
void AddRow(std::vector<DrawnKey>& out, int x, int y,
            std::initializer_list<std::pair<keys::ScanCode, int>> keysOfRow, int heightUnits = 1) {
    for (const auto& [scan, quarters] : keysOfRow) {
        const int width = quarters * kQuarter;
        if (scan != 0) {
            if (const std::optional<std::size_t> n = KeyPosition(scan)) {
                out.push_back({presenters::LayoutKeyOf(ViewButton::Key(*n)), CaptionOf(*n),
                               QRect(x, y, width - kKeyGap, heightUnits * kUnit - kKeyGap)});
            }
        }
        x += width;
    }
}

int RowY(int row) {
    return kFirstRowY + (row - 1) * kUnit;
}

std::vector<DrawnKey> Keyboard() {
    std::vector<DrawnKey> out;
    for (int g = 0; g < 9; ++g) {
        // A G key shows its bank label (the widget draws it), no caption of the picture.
        out.push_back(
            {presenters::LayoutKeyOf(ViewButton::G(static_cast<std::size_t>(g))), QString(),
             QRect(kMainX + g * 6 * kQuarter, kGRowY, 6 * kQuarter - kKeyGap, kUnit - kKeyGap)});
    }
    const std::array<QString, 4> lockCaptions = {"Caps", "Num", "Scroll", "A/B"};
    for (int i = 0; i < 4; ++i) {
        out.push_back(
            {presenters::LayoutKeyOf(ViewButton::Lock(static_cast<presenters::LockIndicator>(i))),
             lockCaptions[static_cast<std::size_t>(i)],
             QRect(kPadX + i * kUnit, kGRowY, kUnit - kKeyGap, kUnit - kKeyGap)});
    }
    AddRow(out, kMainX, kFRowY,
           {{0x001, 4},
            {0, 4},
            {0x03B, 4},
            {0x03C, 4},
            {0x03D, 4},
            {0x03E, 4},
            {0, 2},
            {0x03F, 4},
            {0x040, 4},
            {0x041, 4},
            {0x042, 4},
            {0, 2},
            {0x043, 4},
            {0x044, 4},
            {0x057, 4},
            {0x058, 4}});
    AddRow(out, kNavX, kFRowY, {{0x137, 4}, {0x046, 4}, {0x045, 4}});
    AddRow(out, kMainX, RowY(1),
           {{0x029, 4},
            {0x002, 4},
            {0x003, 4},
            {0x004, 4},
            {0x005, 4},
            {0x006, 4},
            {0x007, 4},
            {0x008, 4},
            {0x009, 4},
            {0x00A, 4},
            {0x00B, 4},
            {0x00C, 4},
            {0x00D, 4},
            {0x00E, 8}});
    AddRow(out, kMainX, RowY(2),
           {{0x00F, 6},
            {0x010, 4},
            {0x011, 4},
            {0x012, 4},
            {0x013, 4},
            {0x014, 4},
            {0x015, 4},
            {0x016, 4},
            {0x017, 4},
            {0x018, 4},
            {0x019, 4},
            {0x01A, 4},
            {0x01B, 4},
            {0x02B, 6}});
    AddRow(out, kMainX, RowY(3),
           {{0x03A, 7},
            {0x01E, 4},
            {0x01F, 4},
            {0x020, 4},
            {0x021, 4},
            {0x022, 4},
            {0x023, 4},
            {0x024, 4},
            {0x025, 4},
            {0x026, 4},
            {0x027, 4},
            {0x028, 4},
            {0x01C, 9}});
    AddRow(out, kMainX, RowY(4),
           {{0x02A, 9},
            {0x02C, 4},
            {0x02D, 4},
            {0x02E, 4},
            {0x02F, 4},
            {0x030, 4},
            {0x031, 4},
            {0x032, 4},
            {0x033, 4},
            {0x034, 4},
            {0x035, 4},
            {0x036, 11}});
    AddRow(out, kMainX, RowY(5),
           {{0x01D, 5},
            {0x15B, 5},
            {0x038, 5},
            {0x039, 20},
            {0x138, 5},
            {0x15C, 5},
            {0, 5},
            {0x15D, 5},
            {0x11D, 5}});
    out.push_back(
        {std::string(text::skin::KEY_FN), QStringLiteral("Fn"),
         QRect(kMainX + 45 * kQuarter, RowY(5), 5 * kQuarter - kKeyGap, kUnit - kKeyGap)});
    AddRow(out, kNavX, RowY(1), {{0x152, 4}, {0x147, 4}, {0x149, 4}});
    AddRow(out, kNavX, RowY(2), {{0x153, 4}, {0x14F, 4}, {0x151, 4}});
    AddRow(out, kNavX, RowY(4), {{0, 4}, {0x148, 4}});
    AddRow(out, kNavX, RowY(5), {{0x14B, 4}, {0x150, 4}, {0x14D, 4}});
    AddRow(out, kPadX, RowY(1), {{0x145, 4}, {0x135, 4}, {0x037, 4}, {0x04A, 4}});
    AddRow(out, kPadX, RowY(2), {{0x047, 4}, {0x048, 4}, {0x049, 4}});
    AddRow(out, kPadX + 3 * kUnit, RowY(2), {{0x04E, 4}}, 2);
    AddRow(out, kPadX, RowY(3), {{0x04B, 4}, {0x04C, 4}, {0x04D, 4}});
    AddRow(out, kPadX, RowY(4), {{0x04F, 4}, {0x050, 4}, {0x051, 4}});
    AddRow(out, kPadX + 3 * kUnit, RowY(4), {{0x11C, 4}}, 2);
    AddRow(out, kPadX, RowY(5), {{0x052, 8}, {0x053, 4}});

    const std::array<QString, 4> rates = {"125", "250", "500", "1K"};
    const std::array<std::string_view, 4> reportKeys = {
        text::skin::FUNC_REPORT1, text::skin::FUNC_REPORT2, text::skin::FUNC_REPORT3,
        text::skin::FUNC_REPORT4};
    for (int i = 0; i < 4; ++i) {
        out.push_back({std::string(reportKeys[static_cast<std::size_t>(i)]),
                       rates[static_cast<std::size_t>(i)], QRect(816 + i * 32, 300, 28, 22)});
    }
    return out;
}

// The panel's controls (x, y, w, h).
const std::map<std::string, QRect>& PanelRects() {
    static const std::map<std::string, QRect> rects = {
        {"CONTROL_DengStaPic", {740, 14, 44, 22}},    {"CONTROL_DengStatic", {792, 14, 150, 22}},
        {"CONTROL_XGcombox", {740, 44, 200, 200}},    {"CONTROL_LightStatic", {740, 78, 66, 22}},
        {"CONTROL_LightSlider", {812, 78, 128, 22}},  {"CONTROL_SpeedStatic", {740, 106, 66, 22}},
        {"CONTROL_SpeedSlider", {812, 106, 128, 22}}, {"CONTROL_BLFXStatic", {740, 134, 66, 22}},
        {"CONTROL_BLFXLStaPic", {812, 134, 30, 22}},  {"CONTROL_BLFXRStaPic", {848, 134, 30, 22}},
        {"CONTROL_BLFXStatic2", {740, 134, 66, 22}},  {"CONTROL_BLFXLStaPic2", {812, 134, 30, 22}},
        {"CONTROL_BLFXRStaPic2", {848, 134, 30, 22}}, {"CONTROL_BLFXStatic3", {740, 162, 66, 22}},
        {"CONTROL_BLFXLStaPic3", {812, 162, 30, 22}}, {"CONTROL_BLFXRStaPic3", {848, 162, 30, 22}},
        {"CONTROL_HXysStatic", {740, 134, 66, 22}},   {"CONTROL_HXysButton", {812, 134, 60, 22}},
        {"CONTROL_HXsjsStatic", {740, 162, 66, 22}},  {"CONTROL_HXsjsStaPic", {812, 162, 30, 22}},
        {"CONTROL_FYYSStatic", {740, 106, 66, 22}},   {"CONTROL_FYYSButton", {812, 106, 60, 22}},
        {"CONTROL_FYSJSStatic", {740, 134, 66, 22}},  {"CONTROL_FYSJSStaPic", {812, 134, 30, 22}},
        {"CONTROL_HONGPIC", {812, 106, 30, 22}},      {"CONTROL_HUANGPIC", {846, 106, 30, 22}},
        {"CONTROL_LVPIC", {880, 106, 30, 22}},        {"CONTROL_LANPIC", {914, 106, 30, 22}},
        {"CONTROL_USERysStatic", {740, 106, 66, 22}}, {"CONTROL_USERysButton", {812, 106, 60, 22}},
        {"CONTROL_USERgjStatic", {740, 134, 66, 22}}, {"CONTROL_USERgjStaPic1", {812, 134, 30, 22}},
        {"CONTROL_umCombo", {740, 166, 200, 150}},    {"CONTROL_UsbStatic", {740, 300, 74, 22}},
    };
    return rects;
}

QFont SmallFont(int points) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(points);
    return font;
}

struct CapColours {
    QColor cap;
    QColor border;
    QColor text;
};

QImage MainPicture(const std::vector<DrawnKey>& keys, const CapColours& colours) {
    QImage image(kPanelSkinSize, QImage::Format_RGB32);
    image.fill(kBackground);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(SmallFont(6));
    for (const DrawnKey& key : keys) {
        const QRectF r = QRectF(key.rect).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setPen(colours.border);
        painter.setBrush(colours.cap);
        painter.drawRoundedRect(r, 3, 3);
        painter.setPen(colours.text);
        painter.drawText(key.rect.adjusted(2, 2, -2, -2), Qt::AlignCenter, key.caption);
    }
    return image;
}

QImage Background() {
    QImage image(kPanelSkinSize, QImage::Format_RGB32);
    image.fill(kBackground);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(60, 64, 76));
    painter.setBrush(kPanelPlate);
    painter.drawRoundedRect(QRectF(730.5, 6.5, 222, 326), 6, 6);
    painter.setBrush(QColor(18, 19, 23));
    painter.drawRoundedRect(QRectF(8.5, 6.5, 714, 228), 6, 6);
    return image;
}

// A panel picture: a rounded plate with a mark; `on` pictures are lit.
QImage Plate(QSize size, bool on, const QString& mark, QColor fill = QColor()) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(kPanelPlate);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor plate = fill.isValid() ? fill : (on ? QColor(40, 110, 200) : QColor(58, 62, 74));
    painter.setPen(on ? QColor(240, 240, 240) : QColor(100, 106, 120));
    painter.setBrush(plate);
    painter.drawRoundedRect(QRectF(image.rect()).adjusted(1, 1, -1, -1), 4, 4);
    painter.setPen(on || fill.isValid() ? QColor(255, 255, 255) : QColor(190, 194, 204));
    painter.setFont(SmallFont(7));
    painter.drawText(image.rect(), Qt::AlignCenter, mark);
    return image;
}

QImage Rainbow(QSize size, bool on) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(kPanelPlate);
    QPainter painter(&image);
    const std::array<QColor, 6> stripes = {
        Qt::red, QColor(255, 128, 0), Qt::yellow, Qt::green, Qt::cyan, Qt::blue};
    const QRect inner = image.rect().adjusted(3, 3, -3, -3);
    for (int i = 0; i < 6; ++i) {
        QColor c = stripes[static_cast<std::size_t>(i)];
        if (!on) {
            c = c.darker(300);
        }
        const int x0 = inner.left() + inner.width() * i / 6;
        const int x1 = inner.left() + inner.width() * (i + 1) / 6;
        painter.fillRect(QRect(x0, inner.top(), x1 - x0, inner.height()), c);
    }
    painter.setPen(on ? QColor(255, 255, 255) : QColor(90, 94, 106));
    painter.drawRect(image.rect().adjusted(1, 1, -2, -2));
    return image;
}

QImage Thumb(int number) {
    QImage image(QSize(11, 20), QImage::Format_RGB32);
    image.fill(kPanelPlate);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // Brightness thumbs light up with the number; speed thumbs are blue.
    const QColor fill = number < 6
                            ? QColor::fromHsv(45, 200, 90 + number * 30)
                            : QColor::fromHsv(210, 160, std::min(255, 110 + (number - 6) * 30));
    painter.setPen(QColor(230, 230, 230));
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(0.5, 0.5, 10, 19), 3, 3);
    return image;
}

void WritePanelPictures(TestSkin& skin) {
    const QSize wide(44, 22);
    const QSize small(30, 22);
    auto write = [&skin](PanelPicture picture, const QImage& image) {
        skin.WritePicture(presenters::PictureFile(picture), image);
    };
    write(PanelPicture::DengUp, Plate(wide, false, QStringLiteral("OFF")));
    write(PanelPicture::DengDown, Plate(wide, true, QStringLiteral("ON")));
    const std::array<std::pair<PanelPicture, QString>, 6> directions = {{
        {PanelPicture::LeftUp, QStringLiteral("\u25C0")},
        {PanelPicture::RightUp, QStringLiteral("\u25B6")},
        {PanelPicture::UpUp, QStringLiteral("\u25B2")},
        {PanelPicture::DownUp, QStringLiteral("\u25BC")},
        {PanelPicture::Kuosan, QStringLiteral("\u25C0\u25B6")},
        {PanelPicture::Julong, QStringLiteral("\u25B6\u25C0")},
    }};
    for (const auto& [plain, mark] : directions) {
        write(plain, Plate(small, false, mark));
        write(static_cast<PanelPicture>(static_cast<int>(plain) + 1), Plate(small, true, mark));
    }
    const std::array<std::pair<PanelPicture, QColor>, 4> four = {{
        {PanelPicture::Hong, QColor(200, 30, 30)},
        {PanelPicture::Huang, QColor(210, 180, 20)},
        {PanelPicture::Lv, QColor(30, 170, 60)},
        {PanelPicture::Lan, QColor(30, 80, 210)},
    }};
    for (const auto& [plain, colour] : four) {
        write(plain, Plate(small, false, QString(), colour.darker(200)));
        write(static_cast<PanelPicture>(static_cast<int>(plain) + 1),
              Plate(small, true, QStringLiteral("\u2713"), colour));
    }
    write(PanelPicture::SjsUp, Rainbow(small, false));
    write(PanelPicture::SjsDown, Rainbow(small, true));
    write(PanelPicture::User1Up, Plate(small, false, QStringLiteral("\u270E")));
    write(PanelPicture::User1Down, Plate(small, true, QStringLiteral("\u270E")));
    for (int k = 0; k < presenters::kThumbPictureCount; ++k) {
        skin.WritePicture(presenters::ThumbFile(k), Thumb(k));
    }
}

}  // namespace

QRect PanelSkinRect(const std::string& key) {
    const auto it = PanelRects().find(key);
    if (it != PanelRects().end()) {
        return it->second;
    }
    for (const DrawnKey& drawn : Keyboard()) {
        if (drawn.key == key) {
            return drawn.rect;
        }
    }
    return {1, 1, 1, 1};
}

void WritePanelTestSkin(TestSkin& skin) {
    const std::vector<DrawnKey> keys = Keyboard();
    std::string layout = "[SCREEN]\nMain=bg.bmp\n[BUTTONINFO]\n";
    auto add = [&layout](const std::string& key, const QRect& r) {
        layout += key + "=" + std::to_string(r.x()) + "," + std::to_string(r.y()) + "," +
                  std::to_string(r.width()) + "," + std::to_string(r.height()) + "\n";
    };
    for (const DrawnKey& key : keys) {
        add(key.key, key.rect);
    }
    for (const auto& [key, rect] : PanelRects()) {
        add(key, rect);
    }
    skin.WriteLayout("Skins/Main.ini", layout);
    skin.WritePicture("Skins/bg.bmp", Background());

    const auto& names = text::skin::kMainPictures;
    skin.WritePicture(names[0], MainPicture(keys, {QColor(52, 56, 66), QColor(96, 102, 116),
                                                   QColor(220, 222, 228)}));
    skin.WritePicture(names[1], MainPicture(keys, {QColor(72, 78, 92), QColor(160, 170, 190),
                                                   QColor(255, 255, 255)}));
    skin.WritePicture(names[2], MainPicture(keys, {QColor(34, 36, 42), QColor(80, 84, 96),
                                                   QColor(200, 200, 200)}));
    skin.WritePicture(names[3], MainPicture(keys, {QColor(40, 72, 116), QColor(90, 140, 210),
                                                   QColor(255, 255, 255)}));
    WritePanelPictures(skin);
}

}  // namespace qf::ui::test
