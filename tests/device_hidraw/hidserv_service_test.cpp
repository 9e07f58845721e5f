#include "device/services/hidraw/hidserv_service.h"

#include <gtest/gtest.h>

#include <atomic>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "device/device_service.h"
#include "device_hidraw/fake_hid.h"

namespace qf::hidserv {
namespace {

using testing::Bytes;
using testing::FakeBackend;
using testing::FakeHotplug;
using testing::FakeWorld;
using testing::kPatience;

constexpr const char* kCtrlPath = "/dev/hidraw2";
constexpr const char* kConsPath = "/dev/hidraw1";
constexpr const char* kLedPath = "/dev/hidraw0";
constexpr const char* kBootPath = "/dev/hidraw3";   // the keyboard's boot interface
constexpr const char* kMousePath = "/dev/hidraw4";  // someone else's device

// What a handler saw, copied out of the records while they were valid.
struct Seen {
    std::uint32_t kind = 0;
    std::uint32_t tag = 0;
    std::uint32_t byteCount = 0;
    std::uint32_t requestId = 0;
    Bytes bytes;
    Bytes bufferBytes;
    bool bothPointersSame = false;
};

// Handlers are plain function pointers, so what they see goes to one recorder per test.
class Recorder {
public:
    void Add(const QfDeviceNotification& n) {
        Seen seen;
        seen.kind = n.kind;
        seen.tag = n.request->tag;
        seen.byteCount = n.request->byte_count;
        seen.requestId = n.request->request_id;
        if (n.kind == QF_NOTIFY_INPUT) {
            seen.bytes.assign(n.request->bytes, n.request->bytes + n.request->byte_count);
            const std::uint8_t* viaBuffer = n.request->buffer->bytes;
            seen.bufferBytes.assign(viaBuffer, viaBuffer + n.request->byte_count);
            seen.bothPointersSame = viaBuffer == n.request->bytes;
        }
        std::lock_guard lock(mutex_);
        seen_.push_back(std::move(seen));
        changed_.notify_all();
    }
    // The notifications for `tag`, once at least `count` have arrived (fewer on timeout).
    std::vector<Seen> WaitFor(std::uint32_t tag, std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, kPatience, [&] { return ForLocked(tag).size() >= count; });
        return ForLocked(tag);
    }

private:
    std::vector<Seen> ForLocked(std::uint32_t tag) const {
        std::vector<Seen> out;
        for (const Seen& s : seen_) {
            if (s.tag == tag) {
                out.push_back(s);
            }
        }
        return out;
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Seen> seen_;
};

Recorder* gRecorder = nullptr;
HidServService* gService = nullptr;
std::atomic<std::uint32_t> gSelfDeleteResult{0};
std::atomic<int> gShutdownFromHandlerResult{-1};

int Record(QfDeviceNotification* n) {
    gRecorder->Add(*n);
    return 1;
}

// Withdraws its own request on the first notification it gets, then records it.
int DeleteSelfAndRecord(QfDeviceNotification* n) {
    gSelfDeleteResult = static_cast<std::uint32_t>(gService->DeleteRequest(n->request->request_id));
    gRecorder->Add(*n);
    return 1;
}

int ShutdownAndRecord(QfDeviceNotification* n) {
    gShutdownFromHandlerResult = gService->Shutdown();
    gRecorder->Add(*n);
    return 1;
}

HidInterfaceInfo Keyboard(const char* path, std::uint16_t page, std::uint16_t usage, int iface) {
    return {path, device::kVendorId, device::kProductId, page, usage, iface};
}

Bytes Report(std::uint8_t first, std::size_t size) {
    Bytes report(size, 0);
    for (std::size_t i = 0; i < size; ++i) {
        report[i] = static_cast<std::uint8_t>(first + i);
    }
    return report;
}

class HidServServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        world_ = std::make_shared<FakeWorld>();
        world_->Add(Keyboard(kLedPath, 0x0008, 0x0089, 2));
        world_->Add(Keyboard(kConsPath, 0x000C, 0x0001, 1));
        world_->Add(Keyboard(kConsPath, 0x0001, 0x0080, 1));  // system control, same node
        world_->Add(Keyboard(kCtrlPath, 0xFF1C, 0x0092, 3));
        world_->Add(Keyboard(kBootPath, 0x0001, 0x0006, 0));
        world_->Add({kMousePath, 0x046D, 0xC077, 0xFF1C, 0x0092, 0});
        hotplug_ = std::make_shared<FakeHotplug::State>();
        ServiceOptions options;
        options.readTimeoutMs = 5;
        options.retryIntervalMs = 20;
        options.diagnostics = [this](std::string_view text) {
            std::lock_guard lock(world_->mutex);
            diagnostics_.emplace_back(text);
        };
        service_ = std::make_unique<HidServService>(std::make_unique<FakeBackend>(world_),
                                                    std::make_unique<FakeHotplug>(hotplug_),
                                                    std::move(options));
        gRecorder = &recorder_;
        gService = service_.get();
        ASSERT_EQ(service_->Start(), 1);
    }

    void TearDown() override {
        EXPECT_EQ(service_->Shutdown(), 1);
        gService = nullptr;
        gRecorder = nullptr;
    }

    void Fire() { hotplug_->onChange(); }
    void Unplug(const char* path) {
        world_->Unplug(path);
        Fire();
    }
    void Replug(const char* path) {
        world_->Replug(path);
        Fire();
    }
    std::uint32_t Read(const QfRequestKey& key, std::uint32_t tag,
                       QfNotifyHandler handler = Record) {
        std::uint32_t id = 0;
        EXPECT_EQ(service_->StartRead(key, handler, tag, &id), 1);
        EXPECT_NE(id, 0u);
        return id;
    }
    bool WaitOpen(const char* path, int opens = 1) {
        return world_->WaitFor([&] {
            const auto& node = world_->nodes.at(path);
            return node.opens >= opens && node.liveHandles > 0;
        });
    }
    bool WaitClosed(const char* path) {
        return world_->WaitFor([&] { return world_->nodes.at(path).liveHandles == 0; });
    }
    std::vector<Bytes> Written(const char* path) {
        std::lock_guard lock(world_->mutex);
        return world_->nodes.at(path).written;
    }

    std::shared_ptr<FakeWorld> world_;
    std::shared_ptr<FakeHotplug::State> hotplug_;
    std::unique_ptr<HidServService> service_;
    Recorder recorder_;
    std::vector<std::string> diagnostics_;
};

// ---- interface selection -------------------------------------------------------------------

struct InterfaceCase {
    const char* name;
    QfRequestKey key;
    std::uint32_t tag;
    const char* path;
};

void PrintTo(const InterfaceCase& c, std::ostream* os) {
    *os << c.name << " on " << c.path;
}

class InterfaceSelectionTest : public HidServServiceTest,
                               public ::testing::WithParamInterface<InterfaceCase> {};

TEST_P(InterfaceSelectionTest, KeySelectsOnlyItsOwnInterface) {
    const InterfaceCase& c = GetParam();
    EXPECT_EQ(service_->DeviceCount(c.key), 1);

    const Bytes out = Report(0x05, 2);
    EXPECT_EQ(service_->WriteReport(c.key, out.data(), 2), 2);
    for (const char* path : {kLedPath, kConsPath, kCtrlPath, kBootPath, kMousePath}) {
        EXPECT_EQ(Written(path).size(), std::string_view(path) == c.path ? 1u : 0u) << path;
    }
    EXPECT_EQ(Written(c.path).front(), out);

    const std::uint32_t id = Read(c.key, c.tag);
    ASSERT_TRUE(WaitOpen(c.path));
    // A report on any other interface must not reach this request.
    for (const char* path : {kLedPath, kConsPath, kCtrlPath, kMousePath}) {
        if (std::string_view(path) != c.path) {
            world_->Push(path, Report(0xA0, 4));
        }
    }
    world_->Push(c.path, Report(0x10, 3));
    const auto seen = recorder_.WaitFor(c.tag, 1);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].bytes, Report(0x10, 3));
    EXPECT_EQ(service_->DeleteRequest(id), 1);
}

INSTANTIATE_TEST_SUITE_P(
    ThreeInterfaces, InterfaceSelectionTest,
    ::testing::Values(InterfaceCase{"Control", device::kControlKey, device::kTagCtrl, kCtrlPath},
                      InterfaceCase{"Consumer", device::kConsumerKey, device::kTagCons, kConsPath},
                      InterfaceCase{"Led", device::kLedKey, device::kTagLed, kLedPath}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HidServServiceTest, CountComesFromTheKeptListNotFromEnumeration) {
    const int enumerations = world_->EnumerateCalls();
    for (int i = 0; i < 50; ++i) {
        ASSERT_EQ(service_->DeviceCount(device::kControlKey), 1);
    }
    EXPECT_EQ(world_->EnumerateCalls(), enumerations);

    world_->Add(Keyboard("/dev/hidraw9", 0xFF1C, 0x0092, 3));  // a second keyboard
    EXPECT_EQ(service_->DeviceCount(device::kControlKey), 1);  // not seen until udev tells
    Fire();
    EXPECT_EQ(service_->DeviceCount(device::kControlKey), 2);
    EXPECT_EQ(world_->EnumerateCalls(), enumerations + 1);

    Unplug(kCtrlPath);
    Unplug("/dev/hidraw9");
    EXPECT_EQ(service_->DeviceCount(device::kControlKey), 0);
    EXPECT_EQ(service_->DeviceCount(device::kConsumerKey), 1);
}

// ---- notifications -------------------------------------------------------------------------

TEST_F(HidServServiceTest, InputReportCarriesTagCountIdAndBytesBothWays) {
    const std::uint32_t consId = Read(device::kConsumerKey, device::kTagCons);
    const std::uint32_t ctrlId = Read(device::kControlKey, device::kTagCtrl);
    EXPECT_NE(consId, ctrlId);
    ASSERT_TRUE(WaitOpen(kConsPath));
    ASSERT_TRUE(WaitOpen(kCtrlPath));

    world_->Push(kConsPath, {0xFF, 0x02});
    Bytes reply = Report(0, 64);
    reply[0] = 4;
    world_->Push(kCtrlPath, reply);

    const auto cons = recorder_.WaitFor(device::kTagCons, 1);
    ASSERT_EQ(cons.size(), 1u);
    EXPECT_EQ(cons[0].kind, static_cast<std::uint32_t>(QF_NOTIFY_INPUT));
    EXPECT_EQ(cons[0].byteCount, 2u);
    EXPECT_EQ(cons[0].requestId, consId);
    EXPECT_EQ(cons[0].bytes, (Bytes{0xFF, 0x02}));
    EXPECT_EQ(cons[0].bufferBytes, cons[0].bytes);
    EXPECT_TRUE(cons[0].bothPointersSame);

    const auto ctrl = recorder_.WaitFor(device::kTagCtrl, 1);
    ASSERT_EQ(ctrl.size(), 1u);
    EXPECT_EQ(ctrl[0].byteCount, 64u);
    EXPECT_EQ(ctrl[0].requestId, ctrlId);
    EXPECT_EQ(ctrl[0].bytes, reply);
}

TEST_F(HidServServiceTest, CountChangesReachControlRequestsOnlyAndOnlyWhenChanged) {
    Read(device::kControlKey, device::kTagCtrl);
    Read(device::kConsumerKey, device::kTagCons);
    ASSERT_TRUE(WaitOpen(kConsPath));

    Fire();  // nothing changed
    Unplug(kCtrlPath);
    Fire();  // still none
    Replug(kCtrlPath);
    world_->Add(Keyboard("/dev/hidraw9", 0xFF1C, 0x0092, 3));
    Fire();

    const auto ctrl = recorder_.WaitFor(device::kTagCtrl, 3);
    ASSERT_EQ(ctrl.size(), 3u);
    for (const Seen& s : ctrl) {
        EXPECT_EQ(s.kind, static_cast<std::uint32_t>(QF_NOTIFY_COUNT_CHANGED));
    }
    EXPECT_EQ(ctrl[0].byteCount, 0u);
    EXPECT_EQ(ctrl[1].byteCount, 1u);
    EXPECT_EQ(ctrl[2].byteCount, 2u);

    // A consumer reader delivers whatever was queued for it before its next report, so once
    // this report is in, any count change wrongly sent to it would be too.
    world_->Push(kConsPath, {0x01, 0x04});
    const auto cons = recorder_.WaitFor(device::kTagCons, 1);
    ASSERT_EQ(cons.size(), 1u);
    EXPECT_EQ(cons[0].kind, static_cast<std::uint32_t>(QF_NOTIFY_INPUT));
}

// ---- the device going away -----------------------------------------------------------------

TEST_F(HidServServiceTest, ReaderSurvivesUnplugAndReadsAgainAfterReplug) {
    Read(device::kControlKey, device::kTagCtrl);
    ASSERT_TRUE(WaitOpen(kCtrlPath));

    Unplug(kCtrlPath);  // the blocked read fails
    ASSERT_TRUE(WaitClosed(kCtrlPath));
    Replug(kCtrlPath);
    ASSERT_TRUE(WaitOpen(kCtrlPath, 2));
    world_->Push(kCtrlPath, Report(0x30, 64));

    const auto seen = recorder_.WaitFor(device::kTagCtrl, 3);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].kind, static_cast<std::uint32_t>(QF_NOTIFY_COUNT_CHANGED));
    EXPECT_EQ(seen[0].byteCount, 0u);
    EXPECT_EQ(seen[1].kind, static_cast<std::uint32_t>(QF_NOTIFY_COUNT_CHANGED));
    EXPECT_EQ(seen[1].byteCount, 1u);
    EXPECT_EQ(seen[2].kind, static_cast<std::uint32_t>(QF_NOTIFY_INPUT));
    EXPECT_EQ(seen[2].bytes, Report(0x30, 64));
}

TEST_F(HidServServiceTest, ReaderStartedWithoutKeyboardOpensOnArrival) {
    Unplug(kConsPath);
    Read(device::kConsumerKey, device::kTagCons);
    Replug(kConsPath);
    ASSERT_TRUE(WaitOpen(kConsPath));
    world_->Push(kConsPath, {0x11, 0x18});
    EXPECT_EQ(recorder_.WaitFor(device::kTagCons, 1).size(), 1u);
}

TEST_F(HidServServiceTest, UnplugDuringWriteFailsAndLaterWritesWorkAgain) {
    const Bytes frame = Report(4, 64);
    world_->nodes.at(kCtrlPath).duringWrite = [this] { world_->Unplug(kCtrlPath); };
    EXPECT_EQ(service_->WriteReport(device::kControlKey, frame.data(), 64), 0);
    world_->nodes.at(kCtrlPath).duringWrite = nullptr;
    Fire();
    EXPECT_EQ(service_->WriteReport(device::kControlKey, frame.data(), 64), 0);  // none there

    Replug(kCtrlPath);
    EXPECT_EQ(service_->WriteReport(device::kControlKey, frame.data(), 64), 64);
    EXPECT_EQ(Written(kCtrlPath), std::vector<Bytes>{frame});
}

TEST_F(HidServServiceTest, WriteAfterQuickReplugUsesAFreshHandle) {
    const Bytes frame = Report(4, 64);
    ASSERT_EQ(service_->WriteReport(device::kControlKey, frame.data(), 64), 64);
    // Gone and back under the same node before udev's events were handled.
    world_->Unplug(kCtrlPath);
    world_->Replug(kCtrlPath);
    EXPECT_EQ(service_->WriteReport(device::kControlKey, frame.data(), 64), 64);
    EXPECT_EQ(Written(kCtrlPath).size(), 2u);
    EXPECT_EQ(world_->nodes.at(kCtrlPath).opens, 2);
}

TEST_F(HidServServiceTest, WritesOfNoBytesOrTooManyAreRefused) {
    const Bytes big(kMaxReportBytes + 1, 4);
    EXPECT_EQ(service_->WriteReport(device::kControlKey, nullptr, 64), 0);
    EXPECT_EQ(service_->WriteReport(device::kControlKey, big.data(), 0), 0);
    EXPECT_EQ(service_->WriteReport(device::kControlKey, big.data(), kMaxReportBytes + 1), 0);
    EXPECT_TRUE(Written(kCtrlPath).empty());
}

TEST_F(HidServServiceTest, PermissionProblemIsExplainedOnceWithTheFix) {
    world_->nodes.at(kCtrlPath).openError = EACCES;
    const Bytes frame = Report(4, 64);
    EXPECT_EQ(service_->DeviceCount(device::kControlKey), 1);  // present, just not ours
    EXPECT_EQ(service_->WriteReport(device::kControlKey, frame.data(), 64), 0);
    Read(device::kControlKey, device::kTagCtrl);
    EXPECT_EQ(service_->WriteReport(device::kControlKey, frame.data(), 64), 0);

    std::lock_guard lock(world_->mutex);
    ASSERT_EQ(diagnostics_.size(), 1u);
    const std::string& text = diagnostics_[0];
    EXPECT_NE(text.find(kCtrlPath), std::string::npos);
    EXPECT_NE(text.find("/etc/udev/rules.d/"), std::string::npos);
    EXPECT_NE(text.find("70-quillfen.rules"), std::string::npos);
    EXPECT_NE(text.find("sudo udevadm control --reload && sudo udevadm trigger"),
              std::string::npos);
}

// ---- withdrawing requests and shutting down ------------------------------------------------

TEST_F(HidServServiceTest, DeleteJoinsTheReaderAndClosesItsHandle) {
    const std::uint32_t id = Read(device::kConsumerKey, device::kTagCons);
    ASSERT_TRUE(WaitOpen(kConsPath));
    EXPECT_EQ(service_->DeleteRequest(id), 1);
    // The reader has ended by now, so its handle is already closed.
    EXPECT_EQ(world_->nodes.at(kConsPath).liveHandles, 0);
    EXPECT_EQ(service_->DeleteRequest(id), 0);
    EXPECT_EQ(service_->DeleteRequest(0), 0);
    EXPECT_EQ(service_->DeleteRequest(id + 100), 0);
}

TEST_F(HidServServiceTest, DeleteFromInsideItsOwnHandlerDoesNotDeadlock) {
    const std::uint32_t id = Read(device::kConsumerKey, device::kTagCons, DeleteSelfAndRecord);
    ASSERT_TRUE(WaitOpen(kConsPath));
    world_->Push(kConsPath, {0xFF, 0x02});
    world_->Push(kConsPath, {0xFF, 0x02});
    ASSERT_TRUE(WaitClosed(kConsPath));
    EXPECT_EQ(gSelfDeleteResult.load(), 1u);
    EXPECT_EQ(recorder_.WaitFor(device::kTagCons, 1).size(), 1u);  // the second never came
    EXPECT_EQ(service_->DeleteRequest(id), 0);
    // A new request from outside reaps the ended reader.
    const std::uint32_t next = Read(device::kConsumerKey, device::kTagCons);
    EXPECT_EQ(service_->DeleteRequest(next), 1);
}

TEST_F(HidServServiceTest, ShutdownStopsEveryReaderAndRefusesNewWork) {
    Read(device::kConsumerKey, device::kTagCons);
    Read(device::kControlKey, device::kTagCtrl);
    Read(device::kLedKey, device::kTagLed);
    ASSERT_TRUE(WaitOpen(kConsPath));
    ASSERT_TRUE(WaitOpen(kCtrlPath));
    const Bytes frame = Report(4, 64);
    ASSERT_EQ(service_->WriteReport(device::kControlKey, frame.data(), 64), 64);

    EXPECT_EQ(service_->Shutdown(), 1);
    EXPECT_TRUE(hotplug_->stopped);
    EXPECT_TRUE(world_->stopped);
    for (const auto& [path, node] : world_->nodes) {
        EXPECT_EQ(node.liveHandles, 0) << path;
    }
    std::uint32_t id = 0;
    EXPECT_EQ(service_->StartRead(device::kConsumerKey, Record, device::kTagCons, &id), 0);
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(service_->DeviceCount(device::kControlKey), 0);
    EXPECT_EQ(service_->WriteReport(device::kControlKey, frame.data(), 64), 0);
    EXPECT_EQ(service_->Shutdown(), 1);  // a second time is harmless
}

TEST_F(HidServServiceTest, ShutdownFromInsideAHandlerIsRefusedWithoutDeadlock) {
    Read(device::kConsumerKey, device::kTagCons, ShutdownAndRecord);
    ASSERT_TRUE(WaitOpen(kConsPath));
    world_->Push(kConsPath, {0x02, 0x04});
    ASSERT_EQ(recorder_.WaitFor(device::kTagCons, 1).size(), 1u);
    EXPECT_EQ(gShutdownFromHandlerResult.load(), 0);
    EXPECT_EQ(service_->DeviceCount(device::kConsumerKey), 1);  // still running
}

TEST_F(HidServServiceTest, FeatureReportsGoToTheKeysInterface) {
    const Bytes feature{0x07, 0x01, 0x02};
    EXPECT_EQ(service_->SendFeatureReport(device::kLedKey, feature.data(), 3), 3);
    Bytes back{0x07, 0, 0};
    EXPECT_EQ(service_->GetFeatureReport(device::kLedKey, back.data(), 3), 3);
    EXPECT_EQ(back, feature);
}

}  // namespace
}  // namespace qf::hidserv
