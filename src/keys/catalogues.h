// The media and keyboard-function catalogues: the eighteen media functions (key record kind 7)
// and the eleven functions the keyboard carries out itself (kind 8). The catalogue index is
// the record's value and the position in the assignment editor's lists.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "keys/key_codes.h"
#include "keys/key_names.h"
#include "keys/key_record.h"

namespace qf::keys {

// Names; an empty text for an index outside the catalogue (a keyboard can report any
// function value).
std::string MediaName(std::uint32_t index, const KeyTexts& texts);
std::string FunctionName(std::uint32_t index, const KeyTexts& texts);

// Give a record a media (0..17) or function (0..10) assignment: kind, extra 0 and value;
// the reserved bytes stay as they are. 0 leaves the record untouched for an index outside
// the catalogue, 1 on success.
[[nodiscard]] int AssignMedia(KeyRecord& record, std::uint32_t index);
[[nodiscard]] int AssignFunction(KeyRecord& record, std::uint32_t index);

// Keymap entry of media index i: 03, usage low byte, usage high byte. Nothing for an index
// outside the catalogue.
std::optional<DeviceKeyRef> MediaKeymapEntry(std::uint32_t index);
// Keymap entry of function value v: 05 05 v (its low byte). Values outside the catalogue are
// written as they are, so that what a keyboard delivered goes back unchanged.
DeviceKeyRef FunctionKeymapEntry(std::uint32_t value);

// Reading keymap entries back. A consumer entry (03 lo hi) gives its media index, or nothing
// when the usage is not in the catalogue; an entry 05 05 v gives v, whatever v is. Every
// other entry gives nothing.
std::optional<std::uint32_t> MediaIndexFromKeymapEntry(DeviceKeyRef entry);
std::optional<std::uint32_t> FunctionFromKeymapEntry(DeviceKeyRef entry);

}  // namespace qf::keys
