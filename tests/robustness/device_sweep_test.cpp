// Unplug and fault sweeps of the device operations against the virtual keyboard: a raw download
// (BeginTransfer, WriteMacroArea, WriteKeymapBlock for each block, EndTransfer), a full read of
// the keyboard's keymaps and macro memory, and the lighting restore. For each report k and each
// fault: a clear result code (never success for an operation that did not complete), no report
// after a failed step, the keyboard holding old or new data per area as far as the operation
// got, and the same link working again once the keyboard is healthy.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "device/commands.h"
#include "device/factory_lighting.h"
#include "device/result.h"
#include "lighting/lighting_model.h"
#include "robustness/sweep_support.h"

namespace qf::robustness {
namespace {

using Bytes = std::vector<std::uint8_t>;
using device::DeviceCommands;

constexpr std::size_t kMacroBytes = 600;  // eleven reports

Bytes Pattern(std::size_t n, std::uint8_t seed) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) {
        b[i] = static_cast<std::uint8_t>(seed + i * 7 + (i >> 8));
    }
    return b;
}

Bytes Slice(const Bytes& b, std::size_t from, std::size_t n) {
    return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from),
                 b.begin() + static_cast<std::ptrdiff_t>(from + n));
}

// The download's sequence of commands, stopping at the first that fails, as a download does.
struct DownloadSteps {
    Bytes macro = Pattern(kMacroBytes, 0x31);
    std::array<Bytes, 3> blocks{Pattern(512, 0x10), Pattern(512, 0x20), Pattern(512, 0x30)};
    // How many of the five data steps (macro area, block 0..2) completed, and the first failure.
    int completed = 0;

    device::DeviceResult Run(DeviceCommands& commands) {
        completed = 0;
        device::DeviceResult r = commands.BeginTransfer();
        if (r != device::DeviceResult::Ok) {
            return r;
        }
        r = commands.WriteMacroArea(macro.data(), static_cast<std::uint32_t>(macro.size()));
        if (r != device::DeviceResult::Ok) {
            return r;
        }
        ++completed;
        for (unsigned b = 0; b < 3; ++b) {
            r = commands.WriteKeymapBlock(device::ConstKeymapBlockSpan(blocks[b].data(), 512), b);
            if (r != device::DeviceResult::Ok) {
                return r;
            }
            ++completed;
        }
        return commands.EndTransfer();
    }
};

class DeviceSweep : public ::testing::TestWithParam<FaultCase> {};

TEST_P(DeviceSweep, DownloadAtEveryReport) {
    const FaultCase fault = GetParam();
    DownloadSteps steps;
    std::size_t healthyReports = 0;
    Bytes oldKeymaps;
    {
        SweepRig rig;
        oldKeymaps = rig.keyboard.Memory(vkbd::Area::KeymapBlocks);
        ASSERT_EQ(steps.Run(rig.commands()), device::DeviceResult::Ok);
        healthyReports = rig.service.writes();
    }
    ASSERT_EQ(healthyReports, 1u + 11u + 30u + 1u);

    for (unsigned k = 1; k <= healthyReports; ++k) {
        SCOPED_TRACE(fault.Name() + " at report " + std::to_string(k));
        SweepRig rig;
        const Bytes oldMacro = rig.keyboard.Memory(vkbd::Area::MacroMemory);
        rig.service.Arm(k, fault);
        const device::DeviceResult result = steps.Run(rig.commands());
        const device::DeviceResult expected = fault.TransactionResult();
        ASSERT_EQ(result, expected);

        const Bytes keymaps = rig.keyboard.Memory(vkbd::Area::KeymapBlocks);
        const Bytes macro = rig.keyboard.Memory(vkbd::Area::MacroMemory);
        if (result == device::DeviceResult::Ok) {
            EXPECT_EQ(Slice(macro, 0, kMacroBytes), steps.macro);
            for (unsigned b = 0; b < 3; ++b) {
                EXPECT_EQ(Slice(keymaps, 512 * b, 512), steps.blocks[b]) << "block " << b;
            }
            continue;
        }
        // Nothing is sent after the failing transaction's last send.
        EXPECT_EQ(rig.service.writes(), k + (fault.sends - 1));
        // Steps that completed hold the new bytes; steps never reached hold the old ones.
        if (steps.completed >= 1) {
            EXPECT_EQ(Slice(macro, 0, kMacroBytes), steps.macro);
        } else if (k == 1) {
            EXPECT_EQ(macro, oldMacro);
        }
        // Block b is data step b + 1 (step 0 is the macro area); `completed` steps are done, so
        // step `completed` is the failing one and may hold a part of its bytes.
        for (int b = 0; b < 3; ++b) {
            const Bytes now = Slice(keymaps, 512 * static_cast<std::size_t>(b), 512);
            const int step = b + 1;
            if (step < steps.completed) {
                EXPECT_EQ(now, steps.blocks[static_cast<std::size_t>(b)]) << "block " << b;
            } else if (step > steps.completed) {
                EXPECT_EQ(now, Slice(oldKeymaps, 512 * static_cast<std::size_t>(b), 512))
                    << "block " << b;
            }
        }

        // The same link works once the keyboard is healthy again.
        rig.Heal();
        ASSERT_EQ(steps.Run(rig.commands()), device::DeviceResult::Ok);
        EXPECT_EQ(rig.service.writes(), healthyReports);
        EXPECT_EQ(rig.keyboard.Memory(vkbd::Area::KeymapBlocks), [&] {
            Bytes all;
            for (const auto& b : steps.blocks) {
                all.insert(all.end(), b.begin(), b.end());
            }
            return all;
        }());
    }
}

TEST_P(DeviceSweep, FullReadAtEveryReport) {
    const FaultCase fault = GetParam();
    vkbd::VirtualKeyboardOptions options;
    options.macroUnits = 4;  // 512 bytes: ten reports
    const auto seedKeyboard = [](vkbd::VirtualKeyboard& kb) {
        kb.SetMemory(vkbd::Area::KeymapBlocks, 0, Pattern(3 * 512, 0x55));
        kb.SetMemory(vkbd::Area::MacroMemory, 0, Pattern(512, 0x66));
    };
    // The macro memory is read as large as the device info says: the buffer follows it.
    const auto read = [](DeviceCommands& c, Bytes& keymaps, Bytes& macro) {
        keymaps.assign(3 * 512, 0);
        macro.clear();
        device::DeviceInfoBlock info;
        device::DeviceResult r = c.ReadDeviceInfo(info);
        for (unsigned b = 0; b < 3 && r == device::DeviceResult::Ok; ++b) {
            r = c.ReadKeymapBlock(std::span(keymaps).subspan(512 * b).first<512>(), b);
        }
        if (r == device::DeviceResult::Ok) {
            macro.assign(info.macroMemoryBytes(), 0);
            r = c.ReadMacroArea(macro.data(), info.macroMemoryBytes());
        }
        return r;
    };
    std::size_t healthyReports = 0;
    {
        SweepRig rig(options);
        seedKeyboard(rig.keyboard);
        Bytes keymaps;
        Bytes macro;
        ASSERT_EQ(read(rig.commands(), keymaps, macro), device::DeviceResult::Ok);
        ASSERT_EQ(keymaps, rig.keyboard.Memory(vkbd::Area::KeymapBlocks));
        healthyReports = rig.service.writes();
    }
    ASSERT_EQ(healthyReports, 1u + 30u + 10u);

    for (unsigned k = 1; k <= healthyReports; ++k) {
        SCOPED_TRACE(fault.Name() + " at report " + std::to_string(k));
        SweepRig rig(options);
        seedKeyboard(rig.keyboard);
        const Bytes memoryBefore = rig.keyboard.Memory(vkbd::Area::KeymapBlocks);
        rig.service.Arm(k, fault);
        Bytes keymaps;
        Bytes macro;
        const device::DeviceResult result = read(rig.commands(), keymaps, macro);
        if (fault.fault == Fault::Garbled && k == 1) {
            // A garbled device info names some macro memory size: reading that much is either
            // served or refused by the keyboard (status 0xFF), never a crash or an overrun.
            ASSERT_TRUE(result == device::DeviceResult::Ok ||
                        result == device::DeviceResult::StatusFF)
                << result;
        } else {
            ASSERT_EQ(result, fault.TransactionResult());
        }
        // A read never changes the keyboard, whatever happens to it.
        EXPECT_EQ(rig.keyboard.Memory(vkbd::Area::KeymapBlocks), memoryBefore);
        if (result == device::DeviceResult::Ok && fault.fault != Fault::Garbled) {
            EXPECT_EQ(keymaps, memoryBefore);
            EXPECT_EQ(macro, rig.keyboard.Memory(vkbd::Area::MacroMemory));
        }
        if (result != device::DeviceResult::Ok && fault.fault != Fault::Garbled) {
            EXPECT_EQ(rig.service.writes(), k + (fault.sends - 1));
        }
        rig.Heal();
        ASSERT_EQ(read(rig.commands(), keymaps, macro), device::DeviceResult::Ok);
        EXPECT_EQ(keymaps, memoryBefore);
    }
}

TEST_P(DeviceSweep, LightingRestoreAtEveryReport) {
    const FaultCase fault = GetParam();
    // A record unlike the defaults, on profile 1.
    const Bytes custom = Pattern(lighting::kLightingRecordSize, 0x03);
    const auto recordOf = [](vkbd::VirtualKeyboard& kb) {
        return Slice(kb.Memory(vkbd::Area::Settings), lighting::LightingRecordAddress(1),
                     lighting::kLightingRecordSize);
    };
    const auto prepare = [&](SweepRig& rig, lighting::LightingModel& model) {
        rig.keyboard.SetMemory(vkbd::Area::Settings, lighting::LightingRecordAddress(1), custom);
        ASSERT_EQ(model.ReadLightingState(true), lighting::LightingRead::Read);
        ASSERT_EQ(model.SetCurrentProfile(1), 1);
        rig.service.ResetCount();
    };

    // The keyboard's record after a healthy restore.
    Bytes restored;
    std::vector<Bytes> prefixStates;
    std::size_t healthyReports = 0;
    {
        SweepRig rig;
        lighting::LightingModel& model = rig.session->lighting();
        prepare(rig, model);
        rig.keyboard.ClearTrace();
        ASSERT_EQ(model.RestoreLightingDefaults(), device::DeviceResult::Ok);
        healthyReports = rig.service.writes();
        restored = recordOf(rig.keyboard);
        // The record after each of the restore's writes, in order: the states an interrupted
        // restore may leave.
        Bytes record = custom;
        prefixStates.push_back(record);
        for (const vkbd::ReceivedRequest& request : rig.keyboard.ReceivedRequests()) {
            if (request.command != static_cast<std::uint8_t>(device::Command::WriteSettings)) {
                continue;
            }
            const std::size_t base = lighting::LightingRecordAddress(1);
            for (std::size_t i = 0; i < request.data.size(); ++i) {
                const std::size_t at = request.address + i;
                if (at >= base && at < base + record.size()) {
                    record[at - base] = request.data[i];
                }
            }
            prefixStates.push_back(record);
        }
        ASSERT_EQ(prefixStates.back(), restored);
    }
    ASSERT_GT(healthyReports, 0u);
    ASSERT_NE(restored, custom);

    for (unsigned k = 1; k <= healthyReports; ++k) {
        SCOPED_TRACE(fault.Name() + " at report " + std::to_string(k));
        SweepRig rig;
        lighting::LightingModel& model = rig.session->lighting();
        prepare(rig, model);
        rig.service.Arm(k, fault);
        const device::DeviceResult result = model.RestoreLightingDefaults();
        ASSERT_EQ(result, fault.TransactionResult());
        const Bytes now = recordOf(rig.keyboard);
        if (result == device::DeviceResult::Ok) {
            EXPECT_EQ(now, restored);
        } else {
            EXPECT_NE(std::find(prefixStates.begin(), prefixStates.end(), now), prefixStates.end())
                << "the keyboard holds a record that no prefix of the restore's writes makes";
        }
        // The model shows the defaults whatever the keyboard answered.
        EXPECT_EQ(model.state().mode, 1);

        rig.Heal();
        ASSERT_EQ(model.RestoreLightingDefaults(), device::DeviceResult::Ok);
        EXPECT_EQ(recordOf(rig.keyboard), restored);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFault, DeviceSweep, ::testing::ValuesIn(AllFaultCases()),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                             std::string name;
                             for (char c : info.param.Name()) {
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

}  // namespace
}  // namespace qf::robustness
