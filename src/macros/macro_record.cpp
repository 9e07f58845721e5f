#include "macros/macro_record.h"

#include <algorithm>
#include <bitset>

namespace qf::macros {

MacroAction MacroAction::Read(const std::uint8_t* p) {
    MacroAction a;
    a.delay = static_cast<std::int32_t>(ReadLe32(p + kActionDelayOffset));
    a.scan = ReadLe16(p + kActionScanOffset);
    a.state = ReadLe16(p + kActionStateOffset);
    return a;
}

void MacroAction::Write(std::uint8_t* p) const {
    WriteLe32(p + kActionDelayOffset, static_cast<std::uint32_t>(delay));
    WriteLe16(p + kActionScanOffset, scan);
    WriteLe16(p + kActionStateOffset, state);
}

MacroRecord MacroRecord::Read(const std::uint8_t* p) {
    MacroRecord r;
    r.ReadFrom(p);
    return r;
}

void MacroRecord::ReadFrom(const std::uint8_t* p) {
    for (std::size_t i = 0; i < kMacroNameUnits; ++i) {
        name[i] = static_cast<char16_t>(ReadLe16(p + kRecordNameOffset + 2 * i));
    }
    repeatCount = p[kRecordRepeatOffset];
    pad501 = p[kRecordPadOffset];
    newMark = ReadLe16(p + kRecordNewMarkOffset);
    playMode = ReadLe16(p + kRecordPlayModeOffset);
    id = ReadLe16(p + kRecordIdOffset);
    actionCount = ReadLe16(p + kRecordActionCountOffset);
    pad510 = ReadLe16(p + kRecordPad2Offset);
    const std::uint8_t* a = p + kRecordActionsOffset;
    for (std::size_t i = 0; i < kMaxMacroActions; ++i, a += kMacroActionSize) {
        actions[i] = MacroAction::Read(a);
    }
}

void MacroRecord::Write(std::uint8_t* p) const {
    for (std::size_t i = 0; i < kMacroNameUnits; ++i) {
        WriteLe16(p + kRecordNameOffset + 2 * i, static_cast<std::uint16_t>(name[i]));
    }
    p[kRecordRepeatOffset] = repeatCount;
    p[kRecordPadOffset] = pad501;
    WriteLe16(p + kRecordNewMarkOffset, newMark);
    WriteLe16(p + kRecordPlayModeOffset, playMode);
    WriteLe16(p + kRecordIdOffset, id);
    WriteLe16(p + kRecordActionCountOffset, actionCount);
    WriteLe16(p + kRecordPad2Offset, pad510);
    std::uint8_t* a = p + kRecordActionsOffset;
    for (std::size_t i = 0; i < kMaxMacroActions; ++i, a += kMacroActionSize) {
        actions[i].Write(a);
    }
}

std::u16string_view MacroRecord::NameView() const {
    std::size_t n = 0;
    while (n < kMacroNameMaxChars && name[n] != 0) {
        ++n;
    }
    return {name.data(), n};
}

void MacroRecord::SetName(std::u16string_view text) {
    name.fill(0);
    const std::size_t n = std::min(text.size(), kMacroNameMaxChars);
    for (std::size_t i = 0; i < n && text[i] != 0; ++i) {
        name[i] = text[i];
    }
}

std::size_t MacroRecord::UsedActions() const {
    return std::min<std::size_t>(actionCount, kMaxMacroActions);
}

bool MacroRecord::AppendAction(const MacroAction& action) {
    if (actionCount >= kMaxMacroActions) {
        return false;
    }
    actions[actionCount] = action;
    ++actionCount;
    return true;
}

namespace {

char16_t FoldAscii(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (FoldAscii(text[i]) != FoldAscii(prefix[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::u16string NumberedName(std::u16string_view prefix, unsigned number) {
    std::u16string out(prefix);
    for (char c : std::to_string(number)) {
        out.push_back(static_cast<char16_t>(c));
    }
    return out;
}

std::optional<MacroRecord> NewMacroRecord(std::span<const MacroRecord> list, int& counter,
                                          std::u16string_view prefix) {
    if (list.size() >= kMaxMacros) {
        return std::nullopt;
    }
    if (list.empty()) {
        counter = 0;
    }
    // Each pass takes the next number; at most list.size() + 1 passes find a free name.
    std::u16string name;
    for (;;) {
        ++counter;
        name = NumberedName(prefix, static_cast<unsigned>(counter));
        const bool taken = std::any_of(list.begin(), list.end(), [&](const MacroRecord& m) {
            return StartsWithNoCase(m.NameView(), name);
        });
        if (!taken) {
            break;
        }
    }

    MacroRecord record;
    record.SetName(name);
    record.newMark = 1;
    record.playMode = 0;
    record.actionCount = 0;
    record.repeatCount = 1;

    std::bitset<kMaxMacroId + 1> used;
    for (const MacroRecord& m : list) {
        if (m.id <= kMaxMacroId) {
            used.set(m.id);
        }
    }
    for (std::uint16_t id = kMinMacroId; id <= kMaxMacroId; ++id) {
        if (!used.test(id)) {
            record.id = id;
            break;
        }
    }
    return record;
}

std::size_t MacroIdToIndex(std::span<const MacroRecord> list, std::uint16_t id) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].id == id) {
            return i;
        }
    }
    return 0;
}

std::uint16_t MacroIndexToId(std::span<const MacroRecord> list, std::size_t index) {
    return index < list.size() ? list[index].id : 0;
}

std::int32_t DeviceDelayMs(std::int32_t delayMs) {
    if (delayMs < 0) {
        return 0;
    }
    if (delayMs > kMaxDeviceDelayMs) {
        return kMaxTypedDelayMs;
    }
    return delayMs;
}

}  // namespace qf::macros
