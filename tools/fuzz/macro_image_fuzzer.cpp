// The keyboard's macro memory image, as read back from the keyboard: any bytes. A list that
// decodes is packed again and read back, which must give the same actions and repeat counts.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz_check.h"
#include "macros/macro_image.h"

using namespace qf::macros;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> image(data, size);
    const ImageReadResult read = MacroImageToRecords(image, u"Macro");
    QF_FUZZ_CHECK(read.result == 0 || read.result == 1);
    if (read.result != 1) {
        QF_FUZZ_CHECK(read.records.empty());
        return 0;
    }
    QF_FUZZ_CHECK(read.records.size() <= kMaxMacros);
    QF_FUZZ_CHECK(read.damagedMacros <= read.records.size());
    for (std::size_t i = 0; i < read.records.size(); ++i) {
        const MacroRecord& m = read.records[i];
        QF_FUZZ_CHECK(m.id == i + 1);
        QF_FUZZ_CHECK(m.actionCount <= kMaxMacroActions);
        QF_FUZZ_CHECK(m.NameView().size() <= kMacroNameMaxChars);
    }

    // Pack the decoded list and read it back.
    const ImageSizes sizes = MacroImageSizes(read.records);
    if (sizes.withNames > kMaxMacroImageSize) {
        return 0;
    }
    std::vector<std::uint8_t> packed(sizes.withNames);
    QF_FUZZ_CHECK(BuildMacroImage(read.records, packed, packed.size(), true) == 1);
    const ImageReadResult again = MacroImageToRecords(packed, u"Macro");
    QF_FUZZ_CHECK(again.result == 1);
    QF_FUZZ_CHECK(again.damagedMacros == 0);
    QF_FUZZ_CHECK(again.records.size() == read.records.size());
    for (std::size_t i = 0; i < read.records.size(); ++i) {
        QF_FUZZ_CHECK(again.records[i].actionCount == read.records[i].actionCount);
        QF_FUZZ_CHECK(again.records[i].repeatCount == read.records[i].repeatCount);
    }
    return 0;
}
