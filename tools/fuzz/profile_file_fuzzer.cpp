// Profile files (.fwc files and the profile cache) from any bytes: the header check, the full
// parse, and for a file that parses, a save of what was read and a parse of that save.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz_check.h"
#include "profiles/profile_format.h"

using namespace qf::profiles;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);

    const Validation validation = ValidateProfileBytes(file);
    QF_FUZZ_CHECK(validation.result == 0 || validation.result == 1);

    StoreContents contents;
    LoadReport report;
    const int parsed = ParseProfileFile(file, contents, &report);
    QF_FUZZ_CHECK(parsed == 0 || parsed == 1);
    if (parsed != 1) {
        QF_FUZZ_CHECK(!contents.HasMainBlock());  // refused: `out` untouched
        return 0;
    }
    // Every file the header check accepts must load.
    QF_FUZZ_CHECK(contents.HasMainBlock());
    QF_FUZZ_CHECK(contents.macros.size() <= qf::macros::kMaxMacros);
    QF_FUZZ_CHECK(report.macroCount == contents.macros.size());

    // What was read saves, the save is a valid file, and it reads back as the saved contents.
    std::vector<std::uint8_t> saved;
    QF_FUZZ_CHECK(BuildProfileFile(contents, saved) == 1);
    QF_FUZZ_CHECK(ValidateProfileBytes(saved).result == 1);
    StoreContents again;
    LoadReport againReport;
    QF_FUZZ_CHECK(ParseProfileFile(saved, again, &againReport) == 1);
    QF_FUZZ_CHECK(againReport.damagedStrings == 0);
    QF_FUZZ_CHECK(again.mainBlock == contents.mainBlock);
    QF_FUZZ_CHECK(again.macros == contents.macros);
    for (std::size_t slot = 0; slot < kStringSlotCount; ++slot) {
        if (KindHasString(contents.Record(slot).kind)) {
            QF_FUZZ_CHECK(again.strings.Get(slot) == contents.strings.Get(slot));
        }
    }
    return 0;
}
