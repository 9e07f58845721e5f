// The store's and the staging store's locks: store first, then staging, from any number of
// threads, never the reverse. Built with -fsanitize=thread, the thread sanitizer also reports
// any inversion of the two locks.
#include <gtest/gtest.h>

#include <thread>

#include "profile_fixture.h"
#include "profiles/profile_store.h"

namespace qf::profiles {
namespace {

TEST(LockOrder, ApplyAndEditorsAndDownloadsRunTogether) {
    ProfileStore store;
    *store.Lock() = testing::SampleContents();
    constexpr int kRounds = 300;

    // The apply: the store's lock, a copy into staging, the download reading staging.
    std::thread apply([&] {
        for (int i = 0; i < kRounds; ++i) {
            auto access = store.Lock();
            auto staging = CopyStoreToStaging(access);
            const keys::KeyRecord r = staging->BlockRecord(0, 20);
            EXPECT_EQ(r, access->BlockRecord(0, 20));
        }
    });
    // The editor: one record changed at a time, the multi-step commit under one lock.
    std::thread editor([&] {
        for (int i = 0; i < kRounds; ++i) {
            {
                auto access = store.Lock();
                access->SetBlockRecord(0, 20, {2, 0, static_cast<std::uint32_t>(i), 0, 0});
                auto macrosNow = access->macros;
                (void)CommitMacroList(access, std::move(macrosNow));  // re-enters the lock
            }
            (void)MacroIdToIndex(store, 1);
        }
    });
    // A download that takes only the staging lock.
    std::thread download([&] {
        for (int i = 0; i < kRounds; ++i) {
            const auto sizes = MacroImageSizes(store.staging());
            EXPECT_LE(sizes.withoutNames, sizes.withNames);
        }
    });
    apply.join();
    editor.join();
    download.join();

    auto access = store.Lock();
    EXPECT_EQ(access->BlockRecord(0, 20).value, static_cast<std::uint32_t>(kRounds - 1));
    EXPECT_EQ(access->macros.size(), 2u);
}

TEST(LockOrderDeathTest, TakingTheStoreWhileHoldingStagingEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ProfileStore store;
    EXPECT_DEATH(
        {
            auto staging = store.staging().Lock();
            auto access = store.Lock();
        },
        "staging lock");
}

TEST(LockOrder, TheStoreLockIsReentrantForItsHolder) {
    ProfileStore store;
    auto outer = store.Lock();
    auto staging = CopyStoreToStaging(outer);
    auto inner = store.Lock();  // store already held: no inversion
    EXPECT_TRUE(store.HeldByThisThread());
    EXPECT_EQ(&inner.contents(), &outer.contents());
}

}  // namespace
}  // namespace qf::profiles
