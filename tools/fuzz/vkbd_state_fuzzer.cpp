// The virtual keyboard's state file, which users may keep between runs and edit or damage: a
// file that does not parse leaves the memory untouched; one that parses serialises back to a
// file that parses to the same memory.
#include <cstddef>
#include <cstdint>
#include <span>

#include "device/services/virtual/keyboard_memory.h"
#include "device/services/virtual/state_file.h"
#include "fuzz_check.h"

using namespace qf::vkbd;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    KeyboardMemory memory(32);
    const auto factory = SerializeState(memory);
    const int parsed = ParseState(std::span<const std::uint8_t>(data, size), memory);
    QF_FUZZ_CHECK(parsed == 0 || parsed == 1);
    const auto now = SerializeState(memory);
    if (parsed != 1) {
        QF_FUZZ_CHECK(now == factory);
        return 0;
    }
    QF_FUZZ_CHECK(memory.macroUnits() == 32);
    KeyboardMemory again(32);
    QF_FUZZ_CHECK(ParseState(now, again) == 1);
    QF_FUZZ_CHECK(SerializeState(again) == now);
    return 0;
}
