// A device link over the scripted fake service, with the standing requests issued.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>

#include "device/device_link.h"
#include "device/report.h"
#include "device/result.h"
#include "fake_service.h"

namespace qf::device::test {

// Short waits so that timeouts take milliseconds: 50 ms reply wait, 0.5 ms pauses, 50.05 ms
// back-off.
inline TransactionTiming FastTiming() {
    return TransactionTiming::Scaled(0.05);
}

// A 64-byte frame: `head` followed by zeros.
inline Report FrameOf(std::initializer_list<std::uint8_t> head) {
    Report frame{};
    std::copy(head.begin(), head.end(), frame.begin());
    return frame;
}

// A reply to `command` with `status` and no data.
inline Bytes ReplyTo(std::uint8_t command, std::uint8_t status = 0) {
    Bytes reply(kReportSize, 0);
    reply[report::kId] = report::kReportId;
    reply[report::kCommand] = command;
    reply[report::kStatus] = status;
    return reply;
}

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(link.IssueReadRequests(), 1); }

    DeviceCommands& commands() { return link.commands(); }

    FakeService fake;
    DeviceLink link{fake, FastTiming()};
};

}  // namespace qf::device::test
