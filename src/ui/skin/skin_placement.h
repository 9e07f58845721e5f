// The four ways a layout record places a control (see text/skin_layout.h for the records):
//
//   PlaceSkinButton      move and resize to the record; the button's picture origin is the
//                        record's (x, y), its five faces are cut at (x - 1, y - 1); a record at
//                        (1, 1), which is also what a missing key reads as, disables the button
//   PlaceSkinControl     move and resize to the record
//   PlaceSkinButtonFrom  move and resize to the first record; the faces of all five states come
//                        from one picture, cut at the second record's (x - 1, y - 1)
//   MoveSkinControl      move to the record's (x, y), keeping the control's size
//
// Nothing is reported for a missing layout file, section or key: the record reads as 1,1,1,1.
#pragma once

#include <QWidget>
#include <string_view>

#include "text/ini_file.h"
#include "text/skin_layout.h"
#include "ui/skin/picture_button.h"
#include "ui/skin/picture_cache.h"

namespace qf::ui {

// Returns the record applied.
text::SkinRect PlaceSkinButton(PictureButton& button, const text::IniDocument& layout,
                               std::string_view section, std::string_view key,
                               const StatePictures& pictures);
text::SkinRect PlaceSkinControl(QWidget& control, const text::IniDocument& layout,
                                std::string_view section, std::string_view key);
text::SkinRect PlaceSkinButtonFrom(PictureButton& button, const text::IniDocument& layout,
                                   std::string_view section, std::string_view key,
                                   std::string_view pictureSection, std::string_view pictureKey,
                                   const SkinPicture& picture);
text::SkinRect MoveSkinControl(QWidget& control, const text::IniDocument& layout,
                               std::string_view section, std::string_view key);

}  // namespace qf::ui
