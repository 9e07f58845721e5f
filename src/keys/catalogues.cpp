#include "keys/catalogues.h"

namespace qf::keys {

std::string MediaName(std::uint32_t index, const KeyTexts& texts) {
    if (index >= kMediaCount) {
        return {};
    }
    return KeyName(kMediaKeyList[index], texts);
}

std::string FunctionName(std::uint32_t index, const KeyTexts& texts) {
    if (index >= kFunctionCount) {
        return {};
    }
    return texts.functions[index];
}

int AssignMedia(KeyRecord& record, std::uint32_t index) {
    if (index >= kMediaCount) {
        return 0;
    }
    record.kind = static_cast<std::uint16_t>(KeyKind::Media);
    record.extra = 0;
    record.value = index;
    return 1;
}

int AssignFunction(KeyRecord& record, std::uint32_t index) {
    if (index >= kFunctionCount) {
        return 0;
    }
    record.kind = static_cast<std::uint16_t>(KeyKind::Function);
    record.extra = 0;
    record.value = index;
    return 1;
}

std::optional<DeviceKeyRef> MediaKeymapEntry(std::uint32_t index) {
    if (index >= kMediaCount) {
        return std::nullopt;
    }
    const std::uint16_t usage = kMediaUsageList[index];
    return DeviceKeyRef{kRefConsumer, static_cast<std::uint8_t>(usage & 0xFF),
                        static_cast<std::uint8_t>(usage >> 8)};
}

DeviceKeyRef FunctionKeymapEntry(std::uint32_t value) {
    return {kRefAction, kRefActionFunction, static_cast<std::uint8_t>(value & 0xFF)};
}

std::optional<std::uint32_t> MediaIndexFromKeymapEntry(DeviceKeyRef entry) {
    if (entry.type != kRefConsumer) {
        return std::nullopt;
    }
    const auto index = MediaIndexOfUsage(static_cast<std::uint16_t>(entry.b0 | (entry.b1 << 8)));
    if (!index) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(*index);
}

std::optional<std::uint32_t> FunctionFromKeymapEntry(DeviceKeyRef entry) {
    if (entry.type != kRefAction || entry.b0 != kRefActionFunction) {
        return std::nullopt;
    }
    return entry.b1;
}

}  // namespace qf::keys
