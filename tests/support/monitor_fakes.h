// Recording fakes of the window parts the device monitor drives (the bank indicator with the G
// button labels, and the profile buttons, G button looks and editors), and the key bank read
// from the LED status word. The monitor calls the views on the window thread while the test
// reads them: every access takes the view's lock. Header only: the tests that use them link
// qf_monitor.
#pragma once

#include <array>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/led_status.h"
#include "monitor/monitor_views.h"
#include "profiles/assignments.h"

namespace qf::testing {

class RecordingBankView final : public monitor::BankView {
public:
    void ShowBankIndicator(bool bankB) override {
        std::lock_guard lock(mutex_);
        indicator_.push_back(bankB);
    }
    void SetGButtonLabel(std::size_t index, std::string_view text) override {
        std::lock_guard lock(mutex_);
        labels_.at(index) = std::string(text);
    }
    std::vector<bool> Indicator() const {
        std::lock_guard lock(mutex_);
        return indicator_;
    }
    std::array<std::string, monitor::kGButtonCount> Labels() const {
        std::lock_guard lock(mutex_);
        return labels_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<bool> indicator_;
    std::array<std::string, monitor::kGButtonCount> labels_{};
};

class RecordingWindowView final : public monitor::DeviceWindowView {
public:
    using Looks = std::array<std::optional<bool>, monitor::kGButtonCount>;

    void SetGButtonAssigned(std::size_t index, bool assigned) override {
        std::lock_guard lock(mutex_);
        looks_.at(index) = assigned;
    }
    void SelectProfileButton(int profile) override {
        std::lock_guard lock(mutex_);
        selected_.push_back(profile);
    }
    void CloseEditors() override {
        std::lock_guard lock(mutex_);
        ++closes_;
    }
    Looks GLooks() const {
        std::lock_guard lock(mutex_);
        return looks_;
    }
    void ClearLooks() {
        std::lock_guard lock(mutex_);
        looks_ = {};
    }
    std::vector<int> Selected() const {
        std::lock_guard lock(mutex_);
        return selected_;
    }
    int closes() const {
        std::lock_guard lock(mutex_);
        return closes_;
    }

private:
    mutable std::mutex mutex_;
    Looks looks_{};
    std::vector<int> selected_;
    int closes_ = 0;
};

// The key bank as the LED status word holds it, as the window wires it.
class LedBank final : public profiles::KeyBankSource {
public:
    explicit LedBank(const monitor::LedStatusWord& led) : led_(led) {}
    bool BankB() const override { return led_.BankB(); }

private:
    const monitor::LedStatusWord& led_;
};

}  // namespace qf::testing
