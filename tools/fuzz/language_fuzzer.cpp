// A hostile language file: every loader of the language table on it, then every text filled
// with arguments of every type, as the windows do.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "text/language.h"

using namespace qf::text;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const IniDocument file =
        IniDocument::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    const int setting = LanguageSetting(file);
    const std::string_view section = LanguageSectionFor(setting);
    QF_FUZZ_CHECK(section == "ENGINSH" || section == "CHINESE");

    LanguageTable table;
    for (TextLoader loader :
         {TextLoader::MessageTexts, TextLoader::MainWindowLabels, TextLoader::MainMenu,
          TextLoader::AboutBox, TextLoader::CompositeEditor, TextLoader::TrayMenu}) {
        table.Load(loader, file);
        for (TextId id : KeysOf(loader)) {
            const std::string& text = table.Text(id);
            QF_FUZZ_CHECK(text.size() <= 4 * kIniValueMaxChars);
            const std::string filled = table.Format(id, -1, "path/to/file", 0x7FFFFFFF, 3u);
            const std::string bare = table.Format(id);
            // Unfilled placeholders stay as written: nothing is read from missing arguments.
            QF_FUZZ_CHECK(bare.size() <= text.size());
            (void)filled;
        }
    }
    return 0;
}
