// Keymap images as read from the keyboard, over a default keymap that also comes from the
// keyboard: any 512 bytes of each, converted to a key block and back. (The conversions are not
// inverse for every entry by design: "02 01 00" reads as a Key record without a key, and a
// keyboard usage that names a key of another page writes back as "02 02 00".)
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "fuzz_check.h"
#include "keys/default_keymap.h"
#include "keys/keymap_image.h"

using namespace qf::keys;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    KeymapImage image{};
    std::copy_n(data, std::min(size, image.size()), image.begin());
    KeymapImage defaults = DefaultKeymap().Get();
    if (size > image.size()) {
        std::copy_n(data + image.size(), std::min(size - image.size(), defaults.size()),
                    defaults.begin());
    }

    std::array<std::uint8_t, kKeyBlockSize> block{};
    QF_FUZZ_CHECK(KeymapImageToKeyBlock(image, defaults, block) == 1);
    std::array<std::uint8_t, kKeyBlockSize - 1> shortBlock{};
    QF_FUZZ_CHECK(KeymapImageToKeyBlock(image, defaults, shortBlock) == 0);

    // Records past the G keys belong to no key of the built-in layout and stay zero (a default
    // keymap from the keyboard may name further keys).
    if (size <= image.size()) {
        for (std::size_t r = kLastGRecord + 1; r < kRecordsPerBlock; ++r) {
            QF_FUZZ_CHECK(KeyRecord::Read(block.data() + r * kKeyRecordSize) == KeyRecord{});
        }
    }
    for (std::size_t g = 0; g < 2 * kGKeysPerBank; ++g) {
        const KeyRecord record =
            KeyRecord::Read(block.data() + (kFirstGRecord + g) * kKeyRecordSize);
        QF_FUZZ_CHECK((record.extra & 0xFF) == g % kGKeysPerBank + 1);
    }

    // The block converts back to an image; entries of positions without a key, and the tail,
    // are the defaults'.
    const MacroPositionOf position = [](std::uint32_t id) -> std::optional<std::size_t> {
        if (id >= 1 && id <= 256) {
            return id - 1;
        }
        return std::nullopt;
    };
    KeymapImage rebuilt{};
    QF_FUZZ_CHECK(KeyBlockToKeymapImage(block, defaults, position, rebuilt) == 1);
    for (std::size_t p = 0; p < kKeymapPositions; ++p) {
        if (!PositionRecord(defaults, p)) {
            QF_FUZZ_CHECK(KeymapEntry(rebuilt, p) == KeymapEntry(defaults, p));
        }
    }
    QF_FUZZ_CHECK(std::equal(rebuilt.begin() + kKeymapTailOffset, rebuilt.end(),
                             defaults.begin() + kKeymapTailOffset));
    return 0;
}
