// A main skin for the lighting panel's widget tests, written by the test: a full-size keyboard
// (G row, function row, main block, navigation block, keypad, Fn) drawn into the four main
// pictures with captions, and the lighting panel on its right with every control the panel
// places, the three direction key sets (the "3" set elsewhere than the plain and "2" sets), list
// rectangles taller than a closed list, the panel's pictures and the 26 slider thumbs.
#pragma once

#include <QRect>
#include <QSize>
#include <string>

#include "support_qt/test_skin.h"

namespace qf::ui::test {

inline constexpr QSize kPanelSkinSize(960, 340);

// Writes Skins/Main.ini, its background, the main pictures and the panel's pictures.
void WritePanelTestSkin(TestSkin& skin);

// The rectangle the skin gives a layout key of section BUTTONINFO.
QRect PanelSkinRect(const std::string& key);

}  // namespace qf::ui::test
