// The user-dirs.dirs file names the documents folder; any content must give a folder or none.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/paths.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    const auto folder = qf::app::DocumentsFromUserDirs(content, "/home/fuzz");
    if (folder) {
        QF_FUZZ_CHECK(!folder->empty());
    }
    return 0;
}
