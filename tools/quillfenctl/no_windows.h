// The window side of the program's session for a run without windows: the device service slot
// the session is built over before the keyboard is opened, and views that show nothing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/main_window_link.h"
#include "device/device_service.h"
#include "lighting/lighting_model.h"
#include "monitor/monitor_views.h"
#include "profiles/assignments.h"
#include "profiles/switching.h"

namespace qf::cli {

// The device service the session's link uses: nothing until the run opens the keyboard (no
// keyboard found, every request refused), then the traced service, to which it forwards every
// call unchanged.
class ServiceSlot final : public device::DeviceService {
public:
    void Bind(device::DeviceService* service) { service_ = service; }

    int RequestGetDeviceCount(const QfRequestKey& key, std::uint32_t unitId) override {
        return service_ != nullptr ? service_->RequestGetDeviceCount(key, unitId) : 0;
    }
    int RequestWriteOne(const QfRequestKey& key, const std::uint8_t* data, std::uint32_t length,
                        std::uint32_t unitId) override {
        return service_ != nullptr ? service_->RequestWriteOne(key, data, length, unitId) : 0;
    }
    int RequestAsyncRead(const QfRequestKey& key, device::NotificationSink* sink, std::uint32_t tag,
                         std::uint32_t unitId, std::uint32_t* requestId) override {
        return service_ != nullptr ? service_->RequestAsyncRead(key, sink, tag, unitId, requestId)
                                   : 0;
    }
    int RequestStatusWrite(const QfRequestKey& key, device::NotificationSink* sink,
                           std::uint32_t tag, const std::uint8_t* data, std::uint32_t length,
                           std::uint32_t unitId, std::uint32_t* requestId) override {
        return service_ != nullptr
                   ? service_->RequestStatusWrite(key, sink, tag, data, length, unitId, requestId)
                   : 0;
    }
    int DeleteRequestFromUnitId(std::uint32_t requestId) override {
        return service_ != nullptr ? service_->DeleteRequestFromUnitId(requestId) : 0;
    }

private:
    device::DeviceService* service_ = nullptr;
};

// No main window, keyboard picture, lighting panel, profile manager or Apply button: what the
// core would show goes nowhere, and there are never unapplied changes. The monitor, the only
// caller of the window link, is never started.
class NoWindows final : public app::MainWindowLink,
                        public monitor::BankView,
                        public monitor::DeviceWindowView,
                        public profiles::AssignmentView,
                        public profiles::SwitchHost {
public:
    // ---- The main window link ----
    int SendMessage(std::uint32_t, std::uint32_t) override { return 0; }
    void PostMessage(std::uint32_t, std::uint32_t) override {}
    void StartTimer(std::uint32_t, std::uint32_t) override {}
    void SetTrayIcon(int) override {}
    bool IsReady() const override { return false; }
    void HideWindow() override {}

    // ---- The keyboard picture ----
    void ShowBankIndicator(bool) override {}
    void SetGButtonLabel(std::size_t, std::string_view) override {}
    void SetGButtonAssigned(std::size_t, bool) override {}
    void SelectProfileButton(int) override {}
    void CloseEditors() override {}
    void SetKeyButton(std::size_t, bool, const std::string&) override {}
    void SetGButton(std::size_t, bool, const std::string&) override {}
    void EnableApply() override {}
    void Redraw() override {}

    // ---- The switch host: nothing open, nothing to apply ----
    bool HasUnappliedChanges() override { return false; }
    void ClearUnapplied() override {}
    bool IsEditorOpen() override { return false; }
    bool ManagerHasUnappliedChanges() override { return false; }
    int RunApply() override { return 1; }
    bool IsProfileManagerOpen() override { return false; }
    void CheckManagerRow(int) override {}
    void DisableManagerApply() override {}
    void ShowProfileMenu(const profiles::ProfileMenuModel&) override {}

    lighting::LightingView& lightingView() { return lighting_; }

private:
    lighting::NoLightingView lighting_;
};

}  // namespace qf::cli
