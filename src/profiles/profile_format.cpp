#include "profiles/profile_format.h"

#include <algorithm>
#include <cstring>

namespace qf::profiles {

namespace {

constexpr std::size_t RecordOffset(std::size_t n) {
    return kKeyBlocksOffset + n * keys::kKeyRecordSize;
}

std::uint64_t TotalSize(std::uint64_t count, std::uint64_t stringBytes) {
    return count * macros::kMacroRecordSize + stringBytes + kMainBlockSize;
}

}  // namespace

// ---- StringTable ----

std::u16string_view StringTable::Get(std::size_t slot) const {
    if (!Has(slot)) {
        return {};
    }
    return *slots_[slot];
}

bool StringTable::Set(std::size_t slot, std::u16string_view text) {
    if (slot >= slots_.size()) {
        return false;
    }
    const std::size_t nul = text.find(u'\0');
    if (nul != std::u16string_view::npos) {
        text = text.substr(0, nul);
    }
    total_ -= ByteLength(slot);
    slots_[slot] = std::u16string(text);
    total_ += ByteLength(slot);
    return true;
}

void StringTable::Clear(std::size_t slot) {
    if (slot < slots_.size()) {
        total_ -= ByteLength(slot);
        slots_[slot].reset();
    }
}

void StringTable::ClearAll() {
    for (auto& s : slots_) {
        s.reset();
    }
    total_ = 0;
}

std::uint32_t StringTable::ByteLength(std::size_t slot) const {
    return Has(slot) ? StringByteLength(slots_[slot]->size()) : 0;
}

// ---- StoreContents ----

keys::KeyRecord StoreContents::Record(std::size_t n) const {
    if (!HasMainBlock() || n >= kKeyRecordCount) {
        return {};
    }
    return keys::KeyRecord::Read(mainBlock.data() + RecordOffset(n));
}

bool StoreContents::SetRecord(std::size_t n, const keys::KeyRecord& record) {
    if (!HasMainBlock() || n >= kKeyRecordCount) {
        return false;
    }
    record.Write(mainBlock.data() + RecordOffset(n));
    return true;
}

ByteSpan StoreContents::KeyBlock(std::size_t block) const {
    if (!HasMainBlock() || block >= kKeyBlockCount) {
        return {};
    }
    return ByteSpan(mainBlock).subspan(RecordOffset(block * keys::kRecordsPerBlock),
                                       keys::kKeyBlockSize);
}

MutableByteSpan StoreContents::MutableKeyBlock(std::size_t block) {
    if (!HasMainBlock() || block >= kKeyBlockCount) {
        return {};
    }
    return MutableByteSpan(mainBlock).subspan(RecordOffset(block * keys::kRecordsPerBlock),
                                              keys::kKeyBlockSize);
}

void StoreContents::FreeContents() {
    strings.ClearAll();
    macros.clear();
    macros.shrink_to_fit();
    mainBlock.clear();
    mainBlock.shrink_to_fit();
}

// ---- Header ----

std::uint8_t HeaderChecksum(ByteSpan mainBlock) {
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < kHdrChecksum && i < mainBlock.size(); ++i) {
        sum = static_cast<std::uint8_t>(sum + mainBlock[i]);
    }
    return sum;
}

void RefreshHeader(MutableByteSpan mainBlock, std::uint16_t count, std::uint32_t stringBytes,
                   std::uint8_t flag) {
    if (mainBlock.size() < kHeaderSize) {
        return;
    }
    std::uint8_t* p = mainBlock.data();
    WriteLe16(p + kHdrMagic, kMagic);
    WriteLe16(p + kHdrHeaderSize, static_cast<std::uint16_t>(kHeaderSize));
    WriteLe16(p + kHdrVersionA, kVersionA);
    WriteLe16(p + kHdrVersionB, kVersionB);
    WriteLe32(p + kHdrTotalSize, static_cast<std::uint32_t>(TotalSize(count, stringBytes)));
    WriteLe16(p + kHdrRecordCount, static_cast<std::uint16_t>(kKeyRecordCount));
    WriteLe16(p + kHdrMacroCount, count);
    WriteLe32(p + kHdrStringBytes, stringBytes);
    WriteLe32(p + kHdrReserved20, 0);
    WriteLe32(p + kHdrReserved24, 0);
    WriteLe16(p + kHdrReserved28, 0);
    p[kHdrFlag] = flag;
    p[kHdrChecksum] = HeaderChecksum(mainBlock);
}

std::vector<std::uint8_t> NewMainBlock(std::uint8_t flag) {
    std::vector<std::uint8_t> block(kMainBlockSize, 0);
    for (std::size_t i = 0; i < kDeviceIdRecord.size(); ++i) {
        WriteLe32(block.data() + kDeviceIdRecordOffset + 4 * i, kDeviceIdRecord[i]);
    }
    for (unsigned g = 1; g <= keys::kGKeysPerBank; ++g) {
        WriteLe16(block.data() + RecordOffset(keys::GRecordIndex(0, g)) + kRecordExtraOffset,
                  static_cast<std::uint16_t>(keys::kGCodeBankA + g));
        WriteLe16(block.data() + RecordOffset(keys::GRecordIndex(1, g)) + kRecordExtraOffset,
                  static_cast<std::uint16_t>(keys::kGCodeBankB + g));
    }
    RefreshHeader(block, 0, 0, flag);
    return block;
}

// ---- Validation ----

Validation ValidateProfileBytes(ByteSpan file) {
    Validation v;
    if (file.size() < kMainBlockSize || file.size() > kMaxFileSize) {
        v.reason = "file size " + std::to_string(file.size()) + " outside the profile file range";
        return v;
    }
    const std::uint8_t* p = file.data();
    auto bad = [&](std::string why) {
        v.result = 0;
        v.formatError = true;
        v.reason = std::move(why);
        return v;
    };
    if (ReadLe16(p + kHdrMagic) != kMagic || ReadLe16(p + kHdrHeaderSize) != kHeaderSize ||
        ReadLe16(p + kHdrVersionA) != kVersionA || ReadLe16(p + kHdrVersionB) != kVersionB) {
        return bad("not a profile file header");
    }
    const std::uint32_t total = ReadLe32(p + kHdrTotalSize);
    if (total < kMainBlockSize) {
        return bad("total size below the main block size");
    }
    if (ReadLe16(p + kHdrRecordCount) != kKeyRecordCount) {
        return bad("key record count is not 2048");
    }
    const std::uint16_t count = ReadLe16(p + kHdrMacroCount);
    if (count > macros::kMaxMacros) {
        return bad("more than 100 macros");
    }
    if (p[kHdrFlag] > kMaxFlag) {
        return bad("flag above 1");
    }
    const std::uint32_t stringBytes = ReadLe32(p + kHdrStringBytes);
    if (TotalSize(count, stringBytes) != total) {
        return bad("total size does not match the macro count and string bytes");
    }
    if (HeaderChecksum(file) != p[kHdrChecksum]) {
        return bad("header checksum mismatch");
    }
    if (file.size() < total) {
        return bad("file cut short: " + std::to_string(file.size()) + " of " +
                   std::to_string(total) + " bytes");
    }
    v.result = 1;
    return v;
}

// ---- Load ----

int ParseProfileFile(ByteSpan file, StoreContents& out, LoadReport* report) {
    LoadReport local;
    LoadReport& rep = report != nullptr ? *report : local;
    rep = LoadReport{};
    if (file.size() < kMainBlockSize) {
        rep.reason = "file smaller than the main block";
        return 0;
    }
    const std::uint16_t count = ReadLe16(file.data() + kHdrMacroCount);
    if (count > macros::kMaxMacros) {
        rep.reason = "more than 100 macros";
        return 0;
    }
    const std::size_t macroBytes = std::size_t{count} * macros::kMacroRecordSize;
    if (file.size() - kMainBlockSize < macroBytes) {
        rep.reason = "macro records cut short";
        return 0;
    }

    StoreContents next;
    next.mainBlock.assign(file.begin(), file.begin() + kMainBlockSize);
    next.macros.resize(count);
    const std::uint8_t* m = file.data() + kMainBlockSize;
    for (std::size_t i = 0; i < count; ++i, m += macros::kMacroRecordSize) {
        next.macros[i].ReadFrom(m);
    }

    // The string area is whatever of its declared size the file really holds.
    const std::size_t areaStart = kMainBlockSize + macroBytes;
    const std::size_t declared = ReadLe32(file.data() + kHdrStringBytes);
    const ByteSpan area = file.subspan(areaStart, std::min(declared, file.size() - areaStart));

    // Strings are looked up in order of their offsets, so the area is scanned once whatever the
    // records point at. Every record gets its own copy of its string. The first record to read
    // a string (the bytes up to one terminator) costs nothing beyond the file: those strings are
    // disjoint pieces of the area. Records that read a string again, whole or from a later
    // character (legal in a file, though this program never writes it), share an allowance of
    // kSharedStringAllowance bytes, so that a file pointing every record at one long string
    // cannot claim gigabytes; records beyond it get empty strings.
    struct Ref {
        std::size_t start;
        std::size_t record;
    };
    std::vector<Ref> refs;
    for (std::size_t n = 0; n < kKeyRecordCount; ++n) {
        const std::uint8_t* rec = next.mainBlock.data() + RecordOffset(n);
        if (KindHasString(ReadLe16(rec + kRecordKindOffset))) {
            refs.push_back({ReadLe32(rec + kRecordValueOffset) & ~std::size_t{1}, n});
        }
    }
    std::stable_sort(refs.begin(), refs.end(),
                     [](const Ref& a, const Ref& b) { return a.start < b.start; });
    const std::size_t end = area.size() & ~std::size_t{1};
    std::size_t terminator = 0;  // offset of the last terminator found
    bool haveTerminator = false;
    bool areaExhausted = false;   // no terminator at or after the scan position
    bool terminatorRead = false;  // a record has read the string it ends
    std::size_t allowance = kSharedStringAllowance;
    for (const Ref& ref : refs) {
        if (!areaExhausted && ref.start < end && (!haveTerminator || terminator < ref.start)) {
            std::size_t at = ref.start;
            while (at < end && ReadLe16(area.data() + at) != 0) {
                at += 2;
            }
            haveTerminator = at < end;
            areaExhausted = !haveTerminator;
            terminator = at;
            terminatorRead = false;
        }
        const bool inside = ref.start < end && haveTerminator && terminator >= ref.start;
        const std::size_t bytes = inside ? terminator - ref.start + 2 : 0;
        if (!inside || (terminatorRead && bytes > allowance)) {
            next.strings.Set(ref.record, u"");
            ++rep.damagedStrings;
            continue;
        }
        if (terminatorRead) {
            allowance -= bytes;
        }
        terminatorRead = true;
        std::u16string text((terminator - ref.start) / 2, u'\0');
        for (std::size_t i = 0; i < text.size(); ++i) {
            text[i] = static_cast<char16_t>(ReadLe16(area.data() + ref.start + 2 * i));
        }
        next.strings.Set(ref.record, text);
        ++rep.stringsLoaded;
    }

    rep.macroCount = count;
    out = std::move(next);
    return 1;
}

// ---- Save ----

std::uint64_t PlaceStrings(StoreContents& contents) {
    if (!contents.HasMainBlock()) {
        return 0;
    }
    std::uint64_t areaSize = 0;
    for (std::size_t n = 0; n < kKeyRecordCount; ++n) {
        std::uint8_t* rec = contents.mainBlock.data() + RecordOffset(n);
        if (!KindHasString(ReadLe16(rec + kRecordKindOffset))) {
            continue;
        }
        if (!contents.strings.Has(n)) {
            contents.strings.Set(n, u"");
        }
        WriteLe32(rec + kRecordValueOffset, static_cast<std::uint32_t>(areaSize));
        areaSize += contents.strings.ByteLength(n);
    }
    return areaSize;
}

int BuildProfileFile(StoreContents& contents, std::vector<std::uint8_t>& file) {
    if (!contents.HasMainBlock() || contents.macros.size() > macros::kMaxMacros) {
        return 0;
    }
    std::uint8_t* main = contents.mainBlock.data();
    const std::uint64_t areaSize = PlaceStrings(contents);
    // 2048 strings are far below the 32-bit limit unless an editor stored gigabytes of text.
    const std::uint16_t count = static_cast<std::uint16_t>(contents.macros.size());
    if (TotalSize(count, areaSize) > kMaxFileSize) {
        return 0;
    }
    RefreshHeader(contents.mainBlock, count, static_cast<std::uint32_t>(areaSize), 0);

    std::vector<std::uint8_t> bytes(TotalSize(count, areaSize));
    std::memcpy(bytes.data(), main, kMainBlockSize);
    std::uint8_t* out = bytes.data() + kMainBlockSize;
    for (const macros::MacroRecord& record : contents.macros) {
        record.Write(out);
        out += macros::kMacroRecordSize;
    }
    for (std::size_t n = 0; n < kKeyRecordCount; ++n) {
        if (!KindHasString(ReadLe16(main + RecordOffset(n) + kRecordKindOffset))) {
            continue;
        }
        for (char16_t c : contents.strings.Get(n)) {
            WriteLe16(out, static_cast<std::uint16_t>(c));
            out += 2;
        }
        WriteLe16(out, 0);
        out += 2;
    }
    file = std::move(bytes);
    return 1;
}

}  // namespace qf::profiles
