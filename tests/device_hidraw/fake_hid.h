// A scripted HID world for the device service: interfaces that can be plugged and unplugged,
// input reports queued by the test, writes recorded, and a hot-plug source fired by hand.
#pragma once

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "device/services/hidraw/hid_backend.h"

namespace qf::hidserv::testing {

using Bytes = std::vector<std::uint8_t>;

// How long a test waits for something another thread must do before it gives up and fails.
inline constexpr auto kPatience = std::chrono::seconds(10);

class FakeWorld {
public:
    struct Node {
        std::vector<HidInterfaceInfo> collections;
        bool present = true;
        int openError = 0;        // errno Open reports while set
        std::uint64_t epoch = 0;  // changes on every unplug: handles of an older epoch fail
        std::deque<Bytes> input;
        std::vector<Bytes> written;
        std::vector<Bytes> features;
        int opens = 0;
        int liveHandles = 0;
        std::function<void()> duringWrite;  // runs inside Write, before the report is taken
    };

    void Add(const HidInterfaceInfo& info) {
        std::lock_guard lock(mutex);
        nodes[info.path].collections.push_back(info);
    }
    void Unplug(const std::string& path) {
        std::lock_guard lock(mutex);
        UnplugLocked(path);
    }
    void UnplugLocked(const std::string& path) {
        Node& node = nodes.at(path);
        node.present = false;
        ++node.epoch;
        node.input.clear();
        changed.notify_all();
    }
    void Replug(const std::string& path) {
        std::lock_guard lock(mutex);
        nodes.at(path).present = true;
        changed.notify_all();
    }
    void Push(const std::string& path, Bytes report) {
        std::lock_guard lock(mutex);
        nodes.at(path).input.push_back(std::move(report));
        changed.notify_all();
    }
    template <typename Pred>
    bool WaitFor(Pred pred) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, kPatience, [&] { return pred(); });
    }
    int EnumerateCalls() {
        std::lock_guard lock(mutex);
        return enumerateCalls;
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::map<std::string, Node> nodes;
    int enumerateCalls = 0;
    bool started = false;
    bool stopped = false;
};

class FakeDevice final : public HidDevice {
public:
    FakeDevice(std::shared_ptr<FakeWorld> world, std::string path, std::uint64_t epoch)
        : world_(std::move(world)), path_(std::move(path)), epoch_(epoch) {}
    ~FakeDevice() override {
        std::lock_guard lock(world_->mutex);
        --world_->nodes.at(path_).liveHandles;
        world_->changed.notify_all();
    }

    int Write(std::span<const std::uint8_t> report) override {
        std::function<void()> hook;
        {
            std::lock_guard lock(world_->mutex);
            hook = world_->nodes.at(path_).duringWrite;
        }
        if (hook) {
            hook();
        }
        std::lock_guard lock(world_->mutex);
        FakeWorld::Node& node = world_->nodes.at(path_);
        if (!Alive(node)) {
            return -1;
        }
        node.written.emplace_back(report.begin(), report.end());
        world_->changed.notify_all();
        return static_cast<int>(report.size());
    }

    int Read(std::span<std::uint8_t> buffer, int timeoutMs) override {
        std::unique_lock lock(world_->mutex);
        FakeWorld::Node& node = world_->nodes.at(path_);
        world_->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [&] { return !Alive(node) || !node.input.empty(); });
        if (!Alive(node)) {
            return -1;
        }
        if (node.input.empty()) {
            return 0;
        }
        Bytes report = std::move(node.input.front());
        node.input.pop_front();
        const std::size_t n = std::min(report.size(), buffer.size());
        std::copy_n(report.begin(), n, buffer.begin());
        return static_cast<int>(n);
    }

    int SendFeature(std::span<const std::uint8_t> report) override {
        std::lock_guard lock(world_->mutex);
        FakeWorld::Node& node = world_->nodes.at(path_);
        if (!Alive(node)) {
            return -1;
        }
        node.features.emplace_back(report.begin(), report.end());
        return static_cast<int>(report.size());
    }

    int GetFeature(std::span<std::uint8_t> report) override {
        std::lock_guard lock(world_->mutex);
        FakeWorld::Node& node = world_->nodes.at(path_);
        if (!Alive(node) || node.features.empty()) {
            return -1;
        }
        const Bytes& last = node.features.back();
        const std::size_t n = std::min(last.size(), report.size());
        std::copy_n(last.begin(), n, report.begin());
        return static_cast<int>(n);
    }

private:
    bool Alive(const FakeWorld::Node& node) const { return node.present && node.epoch == epoch_; }

    std::shared_ptr<FakeWorld> world_;
    std::string path_;
    std::uint64_t epoch_;
};

class FakeBackend final : public HidBackend {
public:
    explicit FakeBackend(std::shared_ptr<FakeWorld> world) : world_(std::move(world)) {}

    int Start() override {
        std::lock_guard lock(world_->mutex);
        world_->started = true;
        return 1;
    }
    void Stop() override {
        std::lock_guard lock(world_->mutex);
        world_->stopped = true;
    }
    std::vector<HidInterfaceInfo> Enumerate() override {
        std::lock_guard lock(world_->mutex);
        ++world_->enumerateCalls;
        std::vector<HidInterfaceInfo> list;
        for (const auto& [path, node] : world_->nodes) {
            if (node.present) {
                list.insert(list.end(), node.collections.begin(), node.collections.end());
            }
        }
        return list;
    }
    std::unique_ptr<HidDevice> Open(const std::string& path, int& error) override {
        std::lock_guard lock(world_->mutex);
        auto found = world_->nodes.find(path);
        if (found == world_->nodes.end() || !found->second.present) {
            error = ENOENT;
            return nullptr;
        }
        if (found->second.openError != 0) {
            error = found->second.openError;
            world_->changed.notify_all();
            return nullptr;
        }
        ++found->second.opens;
        ++found->second.liveHandles;
        world_->changed.notify_all();
        return std::make_unique<FakeDevice>(world_, path, found->second.epoch);
    }

private:
    std::shared_ptr<FakeWorld> world_;
};

// Fired by the test on its own thread, as udev would fire on the monitor's thread.
class FakeHotplug final : public HotplugSource {
public:
    struct State {
        std::function<void()> onChange;
        bool stopped = false;
    };
    explicit FakeHotplug(std::shared_ptr<State> state) : state_(std::move(state)) {}
    int Start(std::function<void()> onChange) override {
        state_->onChange = std::move(onChange);
        return 1;
    }
    void Stop() override { state_->stopped = true; }

private:
    std::shared_ptr<State> state_;
};

}  // namespace qf::hidserv::testing
