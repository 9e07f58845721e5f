#include "profile_fixture.h"

#include <gtest/gtest.h>

namespace qf::profiles::testing {

namespace {

keys::KeyRecord Kind(keys::KeyKind kind, std::uint32_t value = 0, std::uint16_t extra = 0) {
    keys::KeyRecord r;
    r.kind = static_cast<std::uint16_t>(kind);
    r.value = value;
    r.extra = extra;
    return r;
}

}  // namespace

StoreContents SampleContents() {
    StoreContents c;
    c.mainBlock = NewMainBlock(0);
    c.SetRecord(kTextRecord, Kind(keys::KeyKind::Text, 0xDEAD));
    c.strings.Set(kTextRecord, kText);
    c.SetRecord(kProgramRecord, Kind(keys::KeyKind::Program));
    c.strings.Set(kProgramRecord, kProgram);
    c.SetRecord(kLastTextRecord, Kind(keys::KeyKind::Text));
    c.strings.Set(kLastTextRecord, kLastText);
    c.SetRecord(6, Kind(keys::KeyKind::Macro, 2, 3));
    c.SetRecord(512 + 30, Kind(keys::KeyKind::Key, 0x01E));
    c.SetRecord(1024 + 256, Kind(keys::KeyKind::Media, 4, 0x0301));

    for (std::uint16_t id : {2, 1}) {
        macros::MacroRecord m;
        m.SetName(id == 1 ? u"first" : u"second");
        m.id = id;
        m.repeatCount = static_cast<std::uint8_t>(id * 7);
        m.playMode = 3;  // kept as read
        for (int j = 0; j < 10 * id; ++j) {
            m.AppendAction(
                {j * 10, static_cast<std::uint16_t>(0x010 + j), static_cast<std::uint16_t>(j & 1)});
        }
        c.macros.push_back(m);
    }
    return c;
}

std::vector<std::uint8_t> SampleFile() {
    StoreContents c = SampleContents();
    std::vector<std::uint8_t> file;
    EXPECT_EQ(BuildProfileFile(c, file), 1);
    return file;
}

}  // namespace qf::profiles::testing
