#include "lighting/modes.h"

#include "text/skin_layout.h"

namespace qf::lighting {

namespace {

using D = DirectionKind;
using C = ColourPlace;

// clang-format off
constexpr std::array<ModeParameters, kLastKnownMode> kModeTable = {{
    // code direction      speed  colour     zones  four   writes byte 4
    {1,    D::LeftRight,   true,  C::None,   false, false, true},
    {2,    D::LeftRight,   true,  C::None,   false, false, false},
    {3,    D::None,        true,  C::None,   false, false, true},
    {4,    D::None,        false, C::First,  false, false, false},
    {5,    D::None,        true,  C::First,  false, false, true},
    {6,    D::None,        true,  C::First,  false, false, false},
    {7,    D::LeftRight,   true,  C::None,   false, false, true},
    {8,    D::None,        false, C::None,   true,  false, false},
    {9,    D::None,        true,  C::First,  false, false, true},
    {10,   D::None,        true,  C::First,  false, false, false},
    {11,   D::None,        true,  C::None,   false, false, false},
    {12,   D::UpDown,      true,  C::None,   false, false, false},
    {13,   D::None,        true,  C::First,  false, false, true},
    {14,   D::None,        true,  C::First,  false, false, true},
    {15,   D::None,        true,  C::First,  false, false, true},
    {16,   D::None,        false, C::Second, false, false, false},
    {17,   D::None,        false, C::None,   false, true,  false},
    {18,   D::Pictures,    false, C::None,   false, false, false},
}};
// clang-format on

constexpr bool TableIsInCodeOrder() {
    for (std::size_t i = 0; i < kModeTable.size(); ++i) {
        if (kModeTable[i].code != static_cast<int>(i) + 1) {
            return false;
        }
    }
    return true;
}
static_assert(TableIsInCodeOrder(), "mode table rows must be in code order 1..18");

constexpr ModeParameters kUnknownMode{};

}  // namespace

const ModeParameters& ParametersOfMode(int code) {
    if (code < kFirstKnownMode || code > kLastKnownMode) {
        return kUnknownMode;
    }
    return kModeTable[static_cast<std::size_t>(code - 1)];
}

std::string ModeDisplayName(const text::IniDocument& mainLayout, int languageSetting, int code) {
    return text::ModeName(mainLayout, languageSetting, code);
}

std::vector<std::string> ModeDisplayNames(std::span<const ModeEntry> entries,
                                          const text::IniDocument& mainLayout,
                                          int languageSetting) {
    std::vector<std::string> names;
    names.reserve(entries.size());
    for (const ModeEntry& entry : entries) {
        names.push_back(ModeDisplayName(mainLayout, languageSetting, entry.code));
    }
    return names;
}

}  // namespace qf::lighting
