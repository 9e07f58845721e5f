#include "ui/skin/skin_placement.h"

namespace qf::ui {

namespace {

void SetGeometry(QWidget& control, const text::SkinRect& rect) {
    control.setGeometry(rect.x, rect.y, rect.w, rect.h);
}

}  // namespace

text::SkinRect PlaceSkinButton(PictureButton& button, const text::IniDocument& layout,
                               std::string_view section, std::string_view key,
                               const StatePictures& pictures) {
    const text::SkinRect rect = text::ReadSkinRect(layout, section, key);
    SetGeometry(button, rect);
    button.SetSkin(rect.x, rect.y, pictures, true);
    if (rect.DisablesButton()) {
        button.setEnabled(false);
    }
    return rect;
}

text::SkinRect PlaceSkinControl(QWidget& control, const text::IniDocument& layout,
                                std::string_view section, std::string_view key) {
    const text::SkinRect rect = text::ReadSkinRect(layout, section, key);
    SetGeometry(control, rect);
    return rect;
}

text::SkinRect PlaceSkinButtonFrom(PictureButton& button, const text::IniDocument& layout,
                                   std::string_view section, std::string_view key,
                                   std::string_view pictureSection, std::string_view pictureKey,
                                   const SkinPicture& picture) {
    const text::SkinRect rect = text::ReadSkinRect(layout, section, key);
    const text::SkinRect origin = text::ReadSkinRect(layout, pictureSection, pictureKey);
    SetGeometry(button, rect);
    button.SetSkin(origin.x, origin.y, StatePictures::All(picture), true);
    return rect;
}

text::SkinRect MoveSkinControl(QWidget& control, const text::IniDocument& layout,
                               std::string_view section, std::string_view key) {
    const text::SkinRect rect = text::ReadSkinRect(layout, section, key);
    control.move(rect.x, rect.y);
    control.update();
    return rect;
}

}  // namespace qf::ui
