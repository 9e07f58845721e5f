// Every command of the keyboard's command set against replies the keyboard could garble: none,
// cut short, too long, another command, failing or unknown status, any data. The transaction's
// waits are scaled to zero; replies arrive at once on the writing thread.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/commands.h"
#include "device/result.h"
#include "device/transaction.h"
#include "fuzz_check.h"
#include "fuzz_reply_service.h"

using namespace qf::device;

namespace {

bool IsDeviceResult(DeviceResult r) {
    return r == DeviceResult::Ok || r == DeviceResult::NoDevice ||
           r == DeviceResult::WriteRefused || r == DeviceResult::NoReply ||
           r == DeviceResult::StatusFF || r == DeviceResult::StatusFE ||
           r == DeviceResult::BlockOutOfRange || r == DeviceResult::BadArgument;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    qf::fuzz::FuzzReplyService service(input);
    ReportTransport transport(service, TransactionTiming::Scaled(0.0));
    service.Attach(&transport);
    DeviceCommands commands(transport);

    std::array<std::uint8_t, 512> block{};
    std::array<std::uint8_t, kReportDataSize> window{};
    std::vector<std::uint8_t> macro;
    for (int step = 0; step < 16 && input.remaining_bytes() > 0; ++step) {
        const std::size_t writesBefore = service.writes();
        DeviceResult result = DeviceResult::Ok;
        switch (input.ConsumeIntegral<std::uint8_t>() % 14) {
            case 0:
                result = commands.BeginTransfer();
                break;
            case 1:
                result = commands.EndTransfer();
                break;
            case 2:
                result = commands.TestCommand();
                break;
            case 3: {
                DeviceInfoBlock info;
                result = commands.ReadDeviceInfo(info);
                (void)info.keepsUserColours();
                (void)info.macroMemoryBytes();
                break;
            }
            case 4: {
                DeviceInfoBlock info;
                info.setActiveProfile(input.ConsumeIntegral<std::uint8_t>());
                result = commands.WriteDeviceInfo(info);
                break;
            }
            case 5:
                result = commands.ReadSettings(window, input.ConsumeIntegral<std::uint8_t>(),
                                               input.ConsumeIntegral<std::uint16_t>());
                break;
            case 6:
                result =
                    commands.WriteSettings(window.data(), input.ConsumeIntegral<std::uint8_t>(),
                                           input.ConsumeIntegral<std::uint16_t>());
                break;
            case 7: {
                const unsigned b = input.ConsumeIntegralInRange<unsigned>(0, 4);
                result = commands.ReadKeymapBlock(block, b);
                if (b >= kKeymapBlockCount) {
                    QF_FUZZ_CHECK(result == DeviceResult::BlockOutOfRange);
                    QF_FUZZ_CHECK(service.writes() == writesBefore);
                }
                break;
            }
            case 8: {
                // A failing transfer names itself and its block in the record, and only then.
                const unsigned b = input.ConsumeIntegralInRange<unsigned>(0, 4);
                Failure failure;
                result = commands.WriteKeymapBlock(block, b, &failure);
                QF_FUZZ_CHECK(failure.failed() == (result != DeviceResult::Ok));
                QF_FUZZ_CHECK(failure.code == result);
                QF_FUZZ_CHECK(result == DeviceResult::Ok ||
                              (failure.command == Command::WriteKeymapBlock &&
                               failure.block == static_cast<int>(b)));
                break;
            }
            case 9: {
                const auto count = input.ConsumeIntegralInRange<std::uint32_t>(0, 0x10100);
                macro.assign(count, 0);
                result = commands.ReadMacroArea(macro.data(), count);
                break;
            }
            case 10: {
                const auto count = input.ConsumeIntegralInRange<std::uint32_t>(0, 600);
                macro.assign(count, 0xA5);
                result = commands.WriteMacroArea(macro.data(), count);
                break;
            }
            case 11:
                result = commands.ReadDefaultKeymap(block);
                break;
            case 12:
                result = commands.ReadUserColours(window, input.ConsumeIntegral<std::uint8_t>(),
                                                  input.ConsumeIntegralInRange<unsigned>(0, 13),
                                                  input.ConsumeIntegralInRange<unsigned>(0, 3));
                break;
            default:
                result = commands.WriteUserColours(
                    window.data(), input.ConsumeIntegralInRange<std::uint8_t>(0, 60),
                    input.ConsumeIntegralInRange<unsigned>(0, 13),
                    input.ConsumeIntegralInRange<unsigned>(0, 3));
                break;
        }
        QF_FUZZ_CHECK(IsDeviceResult(result));
    }
    return 0;
}
