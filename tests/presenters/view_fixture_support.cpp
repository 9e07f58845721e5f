#include "presenters/view_fixture.h"

#include <algorithm>
#include <array>

#include "common/bytes.h"
#include "device/factory_lighting.h"
#include "lighting/lighting_files.h"
#include "support/keyboard_setup.h"

namespace qf::presenters::test {

std::string MainSkinText(const std::set<std::string>& omit, bool withTopRow) {
    std::string text = "[BUTTONINFO]\n";
    int place = 0;
    for (const ViewButton& button : AllViewButtons()) {
        const std::string key = LayoutKeyOf(button);
        ++place;
        if (omit.count(key) != 0 || (button.group == ButtonGroup::TopRow && !withTopRow)) {
            continue;
        }
        const int x = 10 + (place % 20) * 30;
        const int y = 10 + (place / 20) * 30;
        text += key + "=" + std::to_string(x) + "," + std::to_string(y) + ",28,28\n";
    }
    text += "[Mode]\n";
    for (int code = 1; code <= 18; ++code) {
        text += std::to_string(code) + "=Effect " + std::to_string(code) + "\n";
    }
    text += "[Mode1]\n";
    for (int code = 1; code <= 18; ++code) {
        text += std::to_string(code) + "=Effet " + std::to_string(code) + "\n";
    }
    text +=
        "[Control_Name]\nDeng=Lighting\nLight=Brightness\nSpeed=Speed\nFX=Direction\n"
        "Color=Colour\nDC=Multicolour\nTool=Tool\nUsb=Report rate\n"
        "[Control_Name1]\nDeng=Lumiere\nLight=Luminosite\nSpeed=Vitesse\nFX=Sens\n"
        "Color=Couleur\nDC=Multicolore\nTool=Outil\n";
    return text;
}

ViewTest::ViewTest()
    : keyboard({keyWidgets, editor, model, bank, settings, [this] { ++applyEnabled; }}),
      switching({store, active, assignments, host, prompter, language, folder.Path(), reload}),
      panel({panelWidgets, model, keyboard, assignments, switching, active, userColours, mainLayout,
             0}) {}

void ViewTest::SetUp() {
    lightingView.target = &keyboard;
    ASSERT_EQ(static_cast<int>(link.IssueReadRequests()), 1);
    std::filesystem::create_directories(panelSwitchFile.parent_path());
    std::filesystem::create_directories(folder / "Skins");
    keyboard.LayoutKeyButtons(mainLayout);
    vk.ClearTrace();
}

std::vector<Request> ViewTest::Requests() const {
    std::vector<Request> out;
    for (vkbd::ReceivedRequest& received : vk.ReceivedRequests()) {
        Request r;
        r.command = static_cast<Command>(received.command);
        r.length = received.length;
        r.address = received.address;
        // The lighting writes keep their bytes; the other requests are told apart without.
        if (r.command == Command::WriteSettings || r.command == Command::WriteUserColours) {
            r.data = std::move(received.data);
        }
        out.push_back(std::move(r));
    }
    return out;
}

std::vector<Command> ViewTest::Commands() const {
    std::vector<Command> out;
    for (const Request& r : Requests()) {
        out.push_back(r.command);
    }
    return out;
}

std::vector<Request> ViewTest::Writes() const {
    std::vector<Request> out;
    for (const Request& r : Requests()) {
        if (r.command == Command::WriteSettings || r.command == Command::WriteUserColours ||
            r.command == Command::WriteDeviceInfo || r.command == Command::WriteKeymapBlock ||
            r.command == Command::WriteMacroArea) {
            out.push_back(r);
        }
    }
    return out;
}

void ViewTest::SetKeyboardModes(std::initializer_list<std::uint8_t> codes) {
    Bytes modes(lighting::kModeListSize, 0);
    std::copy(codes.begin(), codes.end(), modes.begin());
    vk.SetMemory(vkbd::Area::DeviceInfo, lighting::kModeListOffset, modes);
}

void ViewTest::SetKeyboardRecord(int profile, const Bytes& record) {
    vk.SetMemory(vkbd::Area::Settings,
                 lighting::LightingRecordAddress(static_cast<std::size_t>(profile)), record);
}

Bytes ViewTest::KeyboardRecord(int profile) const {
    const Bytes all = vk.Memory(vkbd::Area::Settings);
    const auto at = static_cast<std::ptrdiff_t>(
        lighting::LightingRecordAddress(static_cast<std::size_t>(profile)));
    return Bytes(all.begin() + at,
                 all.begin() + at + static_cast<std::ptrdiff_t>(lighting::kLightingRecordSize));
}

void ViewTest::SetActiveProfile(std::uint8_t profile) {
    qf::testing::SetKeyboardProfile(vk, profile);
}

std::optional<std::string> ViewTest::StoredPanelSwitch() const {
    return text::IniDocument::Parse(qf::testing::TempFolder::Read(panelSwitchFile))
        .Find(lighting::kPanelSection, lighting::kPanelOnKey);
}

void ViewTest::ReadAndRefresh(bool withZoneColours) {
    ASSERT_EQ(static_cast<int>(model.ReadLightingState(withZoneColours)), 0);
    panel.RefreshLightingPanel();
}

void ViewTest::SwitchBank() {
    const auto status = led.FlipBank();
    const bool bankB = (status[1] & monitor::LedStatusWord::kBankBit) != 0;
    keyboard.ShowBankIndicator(bankB);
    for (std::size_t i = 0; i < monitor::kGButtonCount; ++i) {
        keyboard.SetGButtonLabel(i, monitor::GButtonLabel(bankB, i));
    }
}

}  // namespace qf::presenters::test
