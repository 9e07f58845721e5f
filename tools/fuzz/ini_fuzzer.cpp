// INI files as the user or another program may have left them: parsing, every lookup, and an
// edit written back in memory. A file serialises to its own bytes; a value that was set reads
// back exactly, before and after a round trip through its bytes; every other value is kept.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "text/ini_file.h"

using namespace qf::text;

namespace {

// Every (section, key, value) a reader can see, first occurrences only.
struct Entry {
    std::string section;
    std::string key;
    std::optional<std::string> value;
};

std::vector<Entry> Entries(const IniDocument& doc) {
    std::vector<Entry> out;
    std::vector<std::string> sections = doc.SectionNames();
    sections.insert(sections.begin(), std::string());
    for (const std::string& section : sections) {
        for (const std::string& key : doc.KeyNames(section)) {
            out.push_back({section, key, doc.Find(section, key)});
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(32);
    const std::string key = input.ConsumeRandomLengthString(32);
    const std::string value = input.ConsumeRandomLengthString(300);
    const bool remove = input.ConsumeBool();
    const std::string text = input.ConsumeRemainingBytesAsString();

    IniDocument doc = IniDocument::Parse(text);
    QF_FUZZ_CHECK(doc.Serialise() == text);

    // Lookups of every kind.
    (void)doc.GetString(section, key, value);
    (void)doc.GetString(section, key, value, 3);
    (void)doc.GetInt(section, key, -7);
    (void)doc.HasSection(section);
    const std::vector<Entry> before = Entries(doc);
    for (const Entry& e : before) {
        QF_FUZZ_CHECK(doc.HasSection(e.section) || e.section.empty());
        QF_FUZZ_CHECK(e.value.has_value());
        const std::string cut = doc.GetString(e.section, e.key, "");
        QF_FUZZ_CHECK(cut.size() <= e.value->size());
    }

    // One edit, then the file's bytes parsed again.
    IniDocument edited = doc;
    const IniWriteResult set = edited.SetString(section, key, value);
    QF_FUZZ_CHECK(set == IniWriteResult::Written || set == IniWriteResult::InvalidName);
    if (set != IniWriteResult::Written) {
        QF_FUZZ_CHECK(edited.Serialise() == text);
        return 0;
    }
    QF_FUZZ_CHECK(edited.Find(section, key) == value);
    if (remove) {
        // Removes the line that counts; a later duplicate of the key, if any, counts then.
        QF_FUZZ_CHECK(edited.DeleteKey(section, key));
    }
    const IniDocument reread = IniDocument::Parse(edited.Serialise());
    QF_FUZZ_CHECK(reread.Find(section, key) == edited.Find(section, key));
    if (!remove) {
        QF_FUZZ_CHECK(reread.Find(section, key) == value);
    }
    for (const Entry& e : before) {
        if (NamesEqual(e.section, section) && NamesEqual(e.key, key)) {
            continue;
        }
        QF_FUZZ_CHECK(reread.Find(e.section, e.key) == e.value);
    }
    return 0;
}
