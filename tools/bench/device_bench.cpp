// Cost of the device link's report transactions.
//
//   BM_TransactionOwnOverhead  one ReadDeviceInfo against a service that answers on the calling
//                              thread: the link's own work (frame, checksum, unit id, presence
//                              query, reply slot, event) without any thread hand-over.
//   BM_ReadDeviceInfo          one ReadDeviceInfo against the in-process virtual keyboard, whose
//                              replies come on its own thread (the scripted test service when the
//                              virtual keyboard is not built).
//   BM_DownloadProfiles        BeginTransfer, WriteMacroArea of 4096 bytes, WriteKeymapBlock 0..2,
//                              EndTransfer (106 transactions), with the EndTransfer pause set to 0.
//
// Run with --benchmark_repetitions=N --benchmark_report_aggregates_only=true for medians.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <vector>

#include "device/commands.h"
#include "device/device_link.h"
#include "device/report.h"
#include "device/result.h"

#ifdef QF_HAVE_VIRTUAL_KEYBOARD
#include "device/services/virtual/virtual_keyboard.h"
#else
#include "device/fake_service.h"
#endif

namespace {

using namespace qf::device;

// Answers every control report at once, on the calling thread, with status 0.
class InlineService final : public DeviceService {
public:
    int RequestGetDeviceCount(const QfRequestKey&, std::uint32_t) override { return 1; }
    int RequestWriteOne(const QfRequestKey&, const std::uint8_t* data, std::uint32_t,
                        std::uint32_t) override {
        reply_ = {};
        reply_[report::kId] = report::kReportId;
        reply_[report::kCommand] = data[report::kCommand];
        if (sink_ != nullptr) {
            QfRequestBlock block{kTagCtrl, kReportSize, reply_.data(), 1, nullptr};
            QfDeviceNotification notification{QF_NOTIFY_INPUT, 0, &block};
            sink_->OnDeviceNotify(notification);
        }
        return 1;
    }
    int RequestAsyncRead(const QfRequestKey&, NotificationSink* sink, std::uint32_t tag,
                         std::uint32_t, std::uint32_t* id) override {
        if (tag == kTagCtrl) {
            sink_ = sink;
        }
        if (id != nullptr) {
            *id = tag;
        }
        return 1;
    }
    int RequestStatusWrite(const QfRequestKey&, NotificationSink*, std::uint32_t,
                           const std::uint8_t*, std::uint32_t, std::uint32_t,
                           std::uint32_t*) override {
        return 1;
    }
    int DeleteRequestFromUnitId(std::uint32_t) override { return 1; }

private:
    NotificationSink* sink_ = nullptr;
    Report reply_{};
};

#ifdef QF_HAVE_VIRTUAL_KEYBOARD
using Keyboard = qf::vkbd::VirtualKeyboard;
const char* const kKeyboardName = "virtual keyboard";
#else
using Keyboard = qf::device::test::FakeService;
const char* const kKeyboardName = "scripted test service";
#endif

TransactionTiming BenchTiming() {
    TransactionTiming timing;
    timing.endTransferPause = std::chrono::microseconds(0);
    return timing;
}

void BM_TransactionOwnOverhead(benchmark::State& state) {
    InlineService service;
    DeviceLink link(service, BenchTiming());
    (void)link.IssueReadRequests();
    DeviceInfoBlock info;
    for (auto _ : state) {
        if (link.commands().ReadDeviceInfo(info) != DeviceResult::Ok) {
            state.SkipWithError("transaction failed");
            break;
        }
        benchmark::DoNotOptimize(info);
    }
    state.SetLabel("inline service");
}
BENCHMARK(BM_TransactionOwnOverhead)->UseRealTime();

void BM_ReadDeviceInfo(benchmark::State& state) {
    auto keyboard = std::make_unique<Keyboard>();
    DeviceLink link(*keyboard, BenchTiming());
    (void)link.IssueReadRequests();
    DeviceInfoBlock info;
    for (auto _ : state) {
        if (link.commands().ReadDeviceInfo(info) != DeviceResult::Ok) {
            state.SkipWithError("transaction failed");
            break;
        }
        benchmark::DoNotOptimize(info);
    }
    state.SetLabel(kKeyboardName);
}
BENCHMARK(BM_ReadDeviceInfo)->UseRealTime();

void BM_DownloadProfiles(benchmark::State& state) {
    auto keyboard = std::make_unique<Keyboard>();
    DeviceLink link(*keyboard, BenchTiming());
    (void)link.IssueReadRequests();
    std::vector<std::uint8_t> macros(4096);
    macros[0] = 0xAA;
    macros[1] = 0x55;
    std::array<std::uint8_t, kKeymapBlockSize> keymap{};
    auto& c = link.commands();
    for (auto _ : state) {
        DeviceResult result = c.BeginTransfer();
        if (result == DeviceResult::Ok) {
            result = c.WriteMacroArea(macros.data(), static_cast<std::uint32_t>(macros.size()));
        }
        for (unsigned block = 0; block < kKeymapBlockCount && result == DeviceResult::Ok; ++block) {
            result = c.WriteKeymapBlock(keymap, block);
        }
        if (result == DeviceResult::Ok) {
            result = c.EndTransfer();
        }
        if (result != DeviceResult::Ok) {
            state.SkipWithError("download failed");
            break;
        }
    }
    state.SetLabel(kKeyboardName);
    // 1 + 74 + 3 * 10 + 1 transactions per iteration.
    state.counters["transactions"] = benchmark::Counter(
        106.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DownloadProfiles)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
