#include "device/services/virtual/state_file.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "common/bytes.h"
#include "device/services/virtual/virtual_constants.h"

namespace qf::vkbd {

namespace {

constexpr std::array<Area, kAreaCount> kStoredAreas = {Area::KeymapBlocks, Area::DefaultKeymap,
                                                       Area::MacroMemory,  Area::Settings,
                                                       Area::UserColours,  Area::DeviceInfo};

std::uint32_t Fnv1a(std::span<const std::uint8_t> bytes) {
    std::uint32_t hash = 2166136261u;
    for (std::uint8_t b : bytes) {
        hash ^= b;
        hash *= 16777619u;
    }
    return hash;
}

void AppendLe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    std::uint8_t bytes[4];
    WriteLe32(bytes, value);
    out.insert(out.end(), bytes, bytes + 4);
}

// The fixed size of an area in a state file; nullopt for the macro memory, whose size varies.
std::optional<std::size_t> FixedSize(Area area) {
    switch (area) {
        case Area::KeymapBlocks:
            return kKeymapAreaSize;
        case Area::DefaultKeymap:
            return kDefaultKeymapSize;
        case Area::Settings:
            return kSettingsAreaSize;
        case Area::UserColours:
            return kUserColourAreaSize;
        case Area::DeviceInfo:
            return kDeviceInfoSize;
        case Area::MacroMemory:
            break;
    }
    return std::nullopt;
}

}  // namespace

std::vector<std::uint8_t> SerializeState(const KeyboardMemory& memory) {
    std::vector<std::uint8_t> out(kStateMagic.begin(), kStateMagic.end());
    AppendLe32(out, kStateVersion);
    AppendLe32(out, static_cast<std::uint32_t>(kStoredAreas.size()));
    for (Area area : kStoredAreas) {
        const auto bytes = memory.Bytes(area);
        out.push_back(static_cast<std::uint8_t>(area));
        AppendLe32(out, static_cast<std::uint32_t>(bytes.size()));
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    AppendLe32(out, Fnv1a(out));
    return out;
}

int ParseState(std::span<const std::uint8_t> bytes, KeyboardMemory& memory) {
    constexpr std::size_t kHeaderSize = kStateMagic.size() + 8;
    if (bytes.size() < kHeaderSize + 4 || bytes.size() > kMaxStateFileSize) {
        return 0;
    }
    const std::size_t bodySize = bytes.size() - 4;
    if (Fnv1a(bytes.first(bodySize)) != ReadLe32(bytes.data() + bodySize)) {
        return 0;
    }
    if (!std::equal(kStateMagic.begin(), kStateMagic.end(), bytes.begin())) {
        return 0;
    }
    const auto body = bytes.first(bodySize);
    std::uint32_t version = 0;
    std::uint32_t count = 0;
    if (!TryReadLe32(body, kStateMagic.size(), version) || version != kStateVersion ||
        !TryReadLe32(body, kStateMagic.size() + 4, count) || count != kAreaCount) {
        return 0;
    }

    std::array<std::optional<std::span<const std::uint8_t>>, kAreaCount> found;
    std::size_t offset = kHeaderSize;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (offset >= body.size()) {
            return 0;
        }
        const std::uint8_t number = body[offset];
        std::uint32_t length = 0;
        if (number >= kAreaCount || found[number] || !TryReadLe32(body, offset + 1, length)) {
            return 0;
        }
        offset += 5;
        if (length > body.size() - offset) {
            return 0;
        }
        const auto fixed = FixedSize(static_cast<Area>(number));
        if (fixed && length != *fixed) {
            return 0;
        }
        if (static_cast<Area>(number) == Area::DeviceInfo &&
            body[offset + kInfoActiveProfile] >= kProfileCount) {
            return 0;
        }
        found[number] = body.subspan(offset, length);
        offset += length;
    }
    if (offset != body.size()) {
        return 0;
    }

    // Every check passed: build the new memory aside, then replace.
    KeyboardMemory loaded = memory;
    const std::uint8_t units = memory.macroUnits();
    for (Area area : kStoredAreas) {
        const auto stored = *found[static_cast<std::size_t>(area)];
        if (area == Area::MacroMemory) {
            std::vector<std::uint8_t> macro(loaded.Size(Area::MacroMemory), 0);
            std::copy_n(stored.begin(), std::min(stored.size(), macro.size()), macro.begin());
            (void)loaded.Write(Area::MacroMemory, 0, macro);
        } else if (!loaded.Write(area, 0, stored)) {
            return 0;
        }
    }
    loaded.SetMacroUnits(units);
    memory = std::move(loaded);
    return 1;
}

int SaveStateFile(const std::filesystem::path& path, const KeyboardMemory& memory,
                  const text::WriteFaults* faults, std::string* error) {
    if (path.empty()) {
        if (error != nullptr) {
            *error = "no state file";
        }
        return 0;
    }
    return text::WriteFileAtomically(path, SerializeState(memory), faults, error);
}

int LoadStateFile(const std::filesystem::path& path, KeyboardMemory& memory) {
    if (path.empty()) {
        return 0;
    }
    std::vector<std::uint8_t> bytes;
    if (text::ReadWholeFile(path, bytes, kMaxStateFileSize) != 1) {
        return 0;
    }
    return ParseState(bytes, memory);
}

}  // namespace qf::vkbd
