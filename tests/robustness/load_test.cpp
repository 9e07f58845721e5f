// Load: four threads share one device link to the virtual keyboard and run 10,000 transactions
// between them (about 3 s, 7 s under ThreadSanitizer), while a controller thread
// changes the reply delay at random and injects faults (no reply, a reply to another command,
// status 0xFF or 0xFE, a refused write). Each thread owns a region of the lighting settings,
// writes it with its own changing pattern and reads it back: a reply lost or handed to the
// wrong thread shows as a wrong read or a transaction that never returns. Seeded: a failure
// repeats with the same seed.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <random>
#include <thread>
#include <vector>

#include "device/commands.h"
#include "device/device_link.h"
#include "device/result.h"
#include "device/services/virtual/virtual_keyboard.h"

namespace qf::robustness {
namespace {

constexpr int kTransactions = 10000;
constexpr int kThreads = 4;
constexpr std::uint8_t kRegionSize = 28;  // 4 x 28 bytes of the 126-byte settings area
constexpr std::uint32_t kSeed = 0x5EEDF00Du;

bool IsDeviceResult(device::DeviceResult r) {
    return r == device::DeviceResult::Ok || r == device::DeviceResult::WriteRefused ||
           r == device::DeviceResult::NoReply || r == device::DeviceResult::StatusFF ||
           r == device::DeviceResult::StatusFE;
}

struct ThreadReport {
    int transactions = 0;
    int failures = 0;
    int mismatches = 0;
    int badResults = 0;
    int verifiedReads = 0;
};

TEST(LoadTest, ConcurrentTransactionsWithFaultsNeverLoseOrMisdeliverAReply) {
    vkbd::VirtualKeyboard keyboard;
    // Reply waits of 200 ms: far above the injected delays, so that only injected silence times
    // a transaction out and no late reply is left over for another thread's attempt.
    device::DeviceLink link(keyboard, device::TransactionTiming::Scaled(0.2));
    ASSERT_EQ(link.IssueReadRequests(), 1);

    std::atomic<int> budget{kTransactions};
    std::atomic<bool> done{false};
    std::array<ThreadReport, kThreads> reports{};

    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([&, t] {
            std::mt19937 rng(kSeed + static_cast<std::uint32_t>(t));
            ThreadReport& report = reports[static_cast<std::size_t>(t)];
            const auto address = static_cast<std::uint16_t>(t * kRegionSize);
            std::array<std::uint8_t, kRegionSize> written{};
            bool known = false;  // `written` is what the keyboard holds
            const auto take = [&] {
                ++report.transactions;
                return budget.fetch_sub(1) > 0;
            };
            while (true) {
                if (!known) {
                    for (auto& b : written) {
                        b = static_cast<std::uint8_t>(rng());
                    }
                    written[0] = static_cast<std::uint8_t>(t);  // whose region this is
                    if (!take()) {
                        break;
                    }
                    const device::DeviceResult r =
                        link.commands().WriteSettings(written.data(), kRegionSize, address);
                    report.badResults += IsDeviceResult(r) ? 0 : 1;
                    if (r != device::DeviceResult::Ok) {
                        ++report.failures;  // the region may hold either pattern: write again
                        continue;
                    }
                    known = true;
                }
                if (!take()) {
                    break;
                }
                std::array<std::uint8_t, 56> read{};
                const device::DeviceResult r =
                    link.commands().ReadSettings(read, kRegionSize, address);
                report.badResults += IsDeviceResult(r) ? 0 : 1;
                if (r != device::DeviceResult::Ok) {
                    ++report.failures;
                    continue;
                }
                ++report.verifiedReads;
                if (!std::equal(written.begin(), written.end(), read.begin())) {
                    ++report.mismatches;
                }
                known = (rng() & 1) != 0;  // now and then read twice
            }
        });
    }

    std::thread controller([&] {
        std::mt19937 rng(kSeed ^ 0xC0FFEEu);
        int silences = 0;
        while (!done.load()) {
            keyboard.SetReplyDelay(std::chrono::microseconds(rng() % 400));
            switch (rng() % 16) {
                case 0:
                    keyboard.InjectWrongCommand(1 + rng() % 3);
                    break;
                case 1:
                    keyboard.InjectStatus(0xFE, 1 + rng() % 3);
                    break;
                case 2:
                    keyboard.InjectStatus(0xFF, 1 + rng() % 3);
                    break;
                case 3:
                    keyboard.InjectWriteRefusal(1);
                    break;
                case 4:
                    if (silences < 12) {  // each costs a whole reply wait
                        ++silences;
                        keyboard.InjectNoReply(1 + rng() % 3);
                    }
                    break;
                default:
                    break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1 + rng() % 4));
        }
    });

    for (auto& w : workers) {
        w.join();
    }
    done = true;
    controller.join();
    keyboard.ClearFaults();

    ThreadReport total;
    for (const auto& r : reports) {
        total.failures += r.failures;
        total.mismatches += r.mismatches;
        total.badResults += r.badResults;
        total.verifiedReads += r.verifiedReads;
        EXPECT_GT(r.verifiedReads, 0) << "a thread never completed a read";
    }
    EXPECT_EQ(total.mismatches, 0) << "a read returned bytes its thread did not write";
    EXPECT_EQ(total.badResults, 0);
    EXPECT_GT(total.failures, 0) << "the injected faults never reached a transaction";
    RecordProperty("verified_reads", total.verifiedReads);
    RecordProperty("failed_transactions", total.failures);
    std::printf("load: %d transactions, %d verified reads, %d failed transactions\n", kTransactions,
                total.verifiedReads, total.failures);
}

}  // namespace
}  // namespace qf::robustness
