// The macro model: MacroAction (8 bytes) and MacroRecord (16512 bytes) as they lie in profile
// files, the limits, and the operations on an editor's list of macros.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/bytes.h"

namespace qf::macros {

// Limits.
inline constexpr std::size_t kMaxMacros = 100;
inline constexpr std::size_t kMaxMacroActions = 2000;
inline constexpr std::size_t kMacroNameUnits = 250;     // UTF-16 units, terminator included
inline constexpr std::size_t kMacroNameMaxChars = 249;  // characters before the terminator
inline constexpr std::int32_t kMaxTypedDelayMs = 40000;
// The keyboard keeps a delay as 12 bits of 10 ms units.
inline constexpr std::int32_t kMaxDeviceDelayMs = 0xFFF * 10;  // 40950
inline constexpr std::uint8_t kMinRepeatCount = 1;
inline constexpr std::uint8_t kMaxRepeatCount = 255;
inline constexpr std::uint16_t kMinMacroId = 1;
inline constexpr std::uint16_t kMaxMacroId = 100;

// Action states.
inline constexpr std::uint16_t kActionPress = 0;
inline constexpr std::uint16_t kActionRelease = 1;

// Layout of one action.
inline constexpr std::size_t kMacroActionSize = 8;
inline constexpr std::size_t kActionDelayOffset = 0;  // i32 milliseconds after this action
inline constexpr std::size_t kActionScanOffset = 4;   // u16 ScanCode
inline constexpr std::size_t kActionStateOffset = 6;  // u16 0 press, 1 release

// Layout of one record.
inline constexpr std::size_t kMacroRecordSize = 16512;
inline constexpr std::size_t kRecordNameOffset = 0;
inline constexpr std::size_t kRecordRepeatOffset = 500;
inline constexpr std::size_t kRecordPadOffset = 501;
inline constexpr std::size_t kRecordNewMarkOffset = 502;
inline constexpr std::size_t kRecordPlayModeOffset = 504;
inline constexpr std::size_t kRecordIdOffset = 506;
inline constexpr std::size_t kRecordActionCountOffset = 508;
inline constexpr std::size_t kRecordPad2Offset = 510;
inline constexpr std::size_t kRecordActionsOffset = 512;
static_assert(kRecordNameOffset + kMacroNameUnits * 2 == kRecordRepeatOffset);
static_assert(kRecordActionsOffset + kMaxMacroActions * kMacroActionSize == kMacroRecordSize);

// Language keys and their built-in wording.
inline constexpr const char* kMacroErrMaxKey = "MACRO_ERR_MAX";
inline constexpr const char* kMacroErrMaxDefault = "The maximum number of macro: %d   ";
inline constexpr const char* kMacroNewPrefixKey = "MACRO_NEW_PREFIX";
inline constexpr const char16_t* kMacroNewPrefixDefault = u"Macro";

struct MacroAction {
    std::int32_t delay = 0;  // milliseconds to wait after this action
    std::uint16_t scan = 0;  // ScanCode
    std::uint16_t state = kActionPress;

    bool operator==(const MacroAction&) const = default;

    static MacroAction Read(const std::uint8_t* p);
    void Write(std::uint8_t* p) const;
};

// Every byte of the 16512-byte record has a field here, so reading and writing a record keeps
// its bytes exactly (unused actions and name units after the terminator included).
struct MacroRecord {
    std::array<char16_t, kMacroNameUnits> name{};
    std::uint8_t repeatCount = 1;
    std::uint8_t pad501 = 0;
    std::uint16_t newMark = 0;   // 1 while the macro lives only in an open editor
    std::uint16_t playMode = 0;  // kept as read; never sent to the keyboard
    std::uint16_t id = 0;        // 1..100, unique in a list
    std::uint16_t actionCount = 0;
    std::uint16_t pad510 = 0;
    std::array<MacroAction, kMaxMacroActions> actions{};

    bool operator==(const MacroRecord&) const = default;

    // `p` points at kMacroRecordSize bytes.
    static MacroRecord Read(const std::uint8_t* p);
    // Reads in place, for lists read in bulk.
    void ReadFrom(const std::uint8_t* p);
    void Write(std::uint8_t* p) const;

    // The name up to its terminator (at most 249 units even when a record read from outside
    // has no terminator).
    std::u16string_view NameView() const;
    // Sets the name, cut to 249 characters, and zeroes the units after it.
    void SetName(std::u16string_view text);
    // The action count limited to 2000: the number of actions that are used.
    std::size_t UsedActions() const;
    // Appends an action; returns false (and ignores it) once the record holds 2000.
    bool AppendAction(const MacroAction& action);
};

// A new macro for an editor's list: named by `prefix` and the editor's counter (which the
// editor passes in and which is reset to 0 here whenever the list is empty), new mark 1,
// repeat count 1, the smallest id from 1 to 100 that the list does not use. Returns nothing
// when the list already holds 100 macros: the caller then shows MACRO_ERR_MAX with kMaxMacros.
[[nodiscard]] std::optional<MacroRecord> NewMacroRecord(std::span<const MacroRecord> list,
                                                        int& counter, std::u16string_view prefix);

// Position of the first macro with `id`, or 0 when no macro has it.
[[nodiscard]] std::size_t MacroIdToIndex(std::span<const MacroRecord> list, std::uint16_t id);
// The id of the macro at `index`, or 0 for a position outside the list.
[[nodiscard]] std::uint16_t MacroIndexToId(std::span<const MacroRecord> list, std::size_t index);

// The delay the keyboard can hold for `delayMs`: negative delays become 0 and delays above the
// 12-bit limit become 40000 ms, the longest delay the editor accepts, instead of wrapping
// round to a short one.
[[nodiscard]] std::int32_t DeviceDelayMs(std::int32_t delayMs);

// "%s%d" of a prefix and a number, as UTF-16.
std::u16string NumberedName(std::u16string_view prefix, unsigned number);

}  // namespace qf::macros
