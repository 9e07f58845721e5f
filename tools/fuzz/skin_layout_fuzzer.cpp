// Skin layout files: rectangle records read like scanf("%d,%d,%d,%d"), the screen section,
// lighting mode names, labels and picture paths, from any file.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "text/skin_layout.h"

using namespace qf::text;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string value = input.ConsumeRandomLengthString(64);
    const std::string section = input.ConsumeRandomLengthString(16);
    const std::string key = input.ConsumeRandomLengthString(16);
    const int mode = input.ConsumeIntegral<int>();
    const std::string file = input.ConsumeRemainingBytesAsString();

    SkinRect rect{7, 7, 7, 7};
    if (ParseSkinRect(value, rect)) {
        QF_FUZZ_CHECK(rect.w >= 0 && rect.h >= 0);
    } else {
        QF_FUZZ_CHECK(rect == (SkinRect{7, 7, 7, 7}));
    }

    const IniDocument layout = IniDocument::Parse(file);
    const SkinRect read = ReadSkinRect(layout, section, key);
    QF_FUZZ_CHECK(read.w >= 0 && read.h >= 0);
    for (const std::string& s : layout.SectionNames()) {
        for (const std::string& k : layout.KeyNames(s)) {
            const SkinRect r = ReadSkinRect(layout, s, k);
            QF_FUZZ_CHECK(r.w >= 0 && r.h >= 0);
            (void)SkinPicturePath("/skins", layout.GetString(s, k, ""));
        }
    }
    const SkinScreen screen = ReadSkinScreen(layout);
    (void)SkinPicturePath("/skins", screen.main);
    (void)SkinPicturePath("/skins", screen.mask);
    (void)ModeName(layout, mode & 3, mode);
    (void)ControlLabel(layout, mode & 1, key);
    (void)DirectionKeysForMode(mode);
    (void)SkinKeyForKeyIndex(static_cast<unsigned>(mode));
    (void)SkinKeyForGKey(mode);
    (void)ArrowPictureKey(key, mode);
    return 0;
}
