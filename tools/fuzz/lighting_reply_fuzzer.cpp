// The lighting model reading the keyboard's mode list, lighting records and zone colours from
// replies the keyboard could garble, then changing settings of the profile shown.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

#include "device/commands.h"
#include "device/transaction.h"
#include "fuzz_check.h"
#include "fuzz_reply_service.h"
#include "lighting/lighting_model.h"
#include "text/ini_file.h"

using namespace qf;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    fuzz::FuzzReplyService service(input);
    device::ReportTransport transport(service, device::TransactionTiming::Scaled(0.0));
    service.Attach(&transport);
    device::DeviceCommands commands(transport);
    lighting::NoLightingView view;
    text::IniFiles files;
    // Never written: the panel switch is only read here.
    lighting::LightingModel model(commands, view, files, "/nonexistent/quillfen-fuzz/mrgo.ini");

    const lighting::LightingRead read = model.ReadLightingState(input.ConsumeBool());
    QF_FUZZ_CHECK(read == lighting::LightingRead::Read ||
                  read == lighting::LightingRead::DeviceInfoUnreadable);
    (void)model.SetCurrentProfile(input.ConsumeIntegralInRange<int>(-1, 3));
    for (int step = 0; step < 8 && input.remaining_bytes() > 0; ++step) {
        switch (input.ConsumeIntegral<std::uint8_t>() % 9) {
            case 0:
                (void)model.SelectMode(input.ConsumeIntegralInRange<int>(-1, 20));
                break;
            case 1:
                (void)model.SetBrightness(input.ConsumeIntegralInRange<int>(-2, 6));
                break;
            case 2:
                (void)model.SetSpeedFromSlider(input.ConsumeIntegralInRange<int>(-2, 6));
                break;
            case 3:
                (void)model.SetDirection(input.ConsumeIntegral<int>());
                break;
            case 4:
                (void)model.ToggleMulticolour();
                break;
            case 5:
                (void)model.SetReportRate(input.ConsumeIntegralInRange<int>(-2, 6));
                break;
            case 6:
                (void)model.RestoreLightingDefaults();
                break;
            case 7:
                (void)model.ReadLightingState(true);
                break;
            default:
                model.SetPanelOn(true);
                switch (input.ConsumeIntegral<std::uint8_t>() % 3) {
                    case 0:
                        (void)model.PaintZone(
                            lighting::KeyButtonId::Key(input.ConsumeIntegral<std::uint16_t>()));
                        break;
                    case 1:
                        (void)model.PaintZone(
                            lighting::KeyButtonId::GKey(input.ConsumeIntegralInRange<int>(-1, 12)));
                        break;
                    default:
                        (void)model.PaintZone(lighting::KeyButtonId::Fn());
                        break;
                }
                break;
        }
        model.TintZones();
    }
    return 0;
}
