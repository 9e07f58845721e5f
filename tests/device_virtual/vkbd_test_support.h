// Helpers for the virtual keyboard's tests: request frames built from the frame rules, and a
// sink that records every notification it is given.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "device/device_service.h"
#include "device/report.h"
#include "device/services/virtual/virtual_keyboard.h"

namespace qf::vkbd::test {

using Bytes = std::vector<std::uint8_t>;
using qf::device::Report;

// Sum of bytes 3..63, as the host computes it.
inline std::uint16_t SumOf(const Bytes& frame) {
    unsigned sum = 0;
    for (std::size_t i = 3; i < frame.size() && i < 64; ++i) {
        sum += frame[i];
    }
    return static_cast<std::uint16_t>(sum & 0xFFFF);
}

// A request frame as the host builds it: id 4, command, length, address low/high, data, and
// the checksum last.
inline Bytes Request(std::uint8_t command, std::uint8_t length = 0, std::uint16_t address = 0,
                     const Bytes& data = {}) {
    Bytes frame(64, 0);
    frame[0] = 4;
    frame[3] = command;
    frame[4] = length;
    frame[5] = static_cast<std::uint8_t>(address & 0xFF);
    frame[6] = static_cast<std::uint8_t>(address >> 8);
    for (std::size_t i = 0; i < data.size() && 8 + i < 64; ++i) {
        frame[8 + i] = data[i];
    }
    const std::uint16_t sum = SumOf(frame);
    frame[1] = static_cast<std::uint8_t>(sum & 0xFF);
    frame[2] = static_cast<std::uint8_t>(sum >> 8);
    return frame;
}

struct Received {
    std::uint32_t kind = 0;
    std::uint32_t tag = 0;
    std::uint32_t byteCount = 0;
    std::uint32_t requestId = 0;
    Bytes bytes;        // through request->bytes
    Bytes bufferBytes;  // through request->buffer->bytes
    bool hadBuffer = false;
};

class RecordingSink : public qf::device::NotificationSink {
public:
    int OnDeviceNotify(const QfDeviceNotification& n) override {
        Received r;
        r.kind = n.kind;
        if (n.request != nullptr) {
            r.tag = n.request->tag;
            r.byteCount = n.request->byte_count;
            r.requestId = n.request->request_id;
            const bool input = n.kind == QF_NOTIFY_INPUT;
            if (input && n.request->bytes != nullptr) {
                r.bytes.assign(n.request->bytes, n.request->bytes + n.request->byte_count);
            }
            if (n.request->buffer != nullptr) {
                r.hadBuffer = true;
                if (input && n.request->buffer->bytes != nullptr) {
                    r.bufferBytes.assign(n.request->buffer->bytes,
                                         n.request->buffer->bytes + n.request->byte_count);
                }
            }
        }
        {
            std::lock_guard lock(mutex_);
            received_.push_back(std::move(r));
        }
        cv_.notify_all();
        return 1;
    }

    std::vector<Received> All() const {
        std::lock_guard lock(mutex_);
        return received_;
    }
    std::vector<Received> OfKind(std::uint32_t kind) const {
        std::vector<Received> out;
        for (auto& r : All()) {
            if (r.kind == kind) {
                out.push_back(r);
            }
        }
        return out;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        received_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<Received> received_;
};

// A virtual keyboard with a standing control read: Transact writes a request and returns the
// reply the keyboard sent for it (empty when none came).
class KeyboardFixture : public ::testing::Test {
protected:
    explicit KeyboardFixture(VirtualKeyboardOptions options = {}) : keyboard_(options) {}

    void SetUp() override {
        ASSERT_EQ(keyboard_.RequestAsyncRead(qf::device::kControlKey, &control_,
                                             qf::device::kTagCtrl, 0, &controlId_),
                  1);
    }

    int Write(const Bytes& frame) {
        return keyboard_.RequestWriteOne(qf::device::kControlKey, frame.data(),
                                         static_cast<std::uint32_t>(frame.size()), 0);
    }

    Bytes Transact(const Bytes& frame) {
        control_.Clear();
        if (Write(frame) != 1) {
            return {};
        }
        keyboard_.WaitIdle();
        const auto replies = control_.OfKind(QF_NOTIFY_INPUT);
        return replies.empty() ? Bytes{} : replies.back().bytes;
    }

    VirtualKeyboard keyboard_;
    RecordingSink control_;
    std::uint32_t controlId_ = 0;
};

inline Bytes Slice(const Bytes& bytes, std::size_t from, std::size_t count) {
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                 bytes.begin() + static_cast<std::ptrdiff_t>(from + count));
}

}  // namespace qf::vkbd::test
