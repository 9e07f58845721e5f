// SIGTERM and SIGINT reach the event loop as a Qt signal, through the self-pipe.
#include <gtest/gtest.h>
#include <signal.h>

#include <QSignalSpy>

#include "ui/shell/termination_signals.h"

namespace qf::ui {
namespace {

TEST(TerminationSignalsTest, SigtermAndSigintArriveOnTheEventLoop) {
    QString error;
    auto handler = TerminationSignals::Install(&error);
    ASSERT_NE(handler, nullptr) << error.toStdString();
    // One owner at a time.
    EXPECT_EQ(TerminationSignals::Install(&error), nullptr);
    EXPECT_FALSE(error.isEmpty());

    QSignalSpy spy(handler.get(), &TerminationSignals::terminationRequested);
    ASSERT_EQ(::raise(SIGTERM), 0);
    ASSERT_TRUE(spy.wait(2000));
    EXPECT_EQ(spy.takeFirst().at(0).toInt(), SIGTERM);
    ASSERT_EQ(::raise(SIGINT), 0);
    ASSERT_TRUE(spy.wait(2000));
    EXPECT_EQ(spy.takeFirst().at(0).toInt(), SIGINT);
}

TEST(TerminationSignalsTest, ThePreviousHandlersComeBack) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction before {};
    ASSERT_EQ(::sigaction(SIGTERM, &ignore, &before), 0);
    {
        auto handler = TerminationSignals::Install();
        ASSERT_NE(handler, nullptr);
        struct sigaction during {};
        ASSERT_EQ(::sigaction(SIGTERM, nullptr, &during), 0);
        EXPECT_NE(during.sa_handler, SIG_IGN);
    }
    struct sigaction after {};
    ASSERT_EQ(::sigaction(SIGTERM, nullptr, &after), 0);
    EXPECT_EQ(after.sa_handler, SIG_IGN);
    // Raised now, it is ignored as before: the test goes on.
    ASSERT_EQ(::raise(SIGTERM), 0);
    ASSERT_EQ(::sigaction(SIGTERM, &before, nullptr), 0);
    // And a new owner may install again.
    EXPECT_NE(TerminationSignals::Install(), nullptr);
}

}  // namespace
}  // namespace qf::ui
