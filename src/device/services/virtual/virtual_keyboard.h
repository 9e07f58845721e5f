// The virtual keyboard: a device service that behaves like the keyboard.
//
// It serves the control interface's 64-byte reports from its own memory (three keymap blocks,
// the default keymap, macro memory, lighting settings, user colours and the device info block),
// raises consumer-key events and plug/unplug notifications, takes the LED status, and can be
// told to misbehave (no reply, a reply to another command, a failing status, garbled data, a
// refused write, an unplug in the middle of a transfer, slow replies). Every report in and out
// is kept in a trace, and the memory can be kept in a state file so that it survives restarts.
//
// Inside, three parts work together: the memory (keyboard_memory.h), the firmware that turns a
// request into a reply (firmware.h) and the transport that delivers replies and notifications
// on the keyboard's own thread (delivery_queue.h). This class joins them and speaks the
// DeviceService interface.
//
// Replies, count changes and consumer events reach the sinks of standing read requests on the
// keyboard's own thread; no call of this class ever waits for a delivery, except WaitIdle and
// the withdrawal of a request that is being delivered to at that moment.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "device/device_service.h"
#include "device/services/virtual/fault_injector.h"
#include "device/services/virtual/virtual_types.h"

namespace qf::vkbd {

// Prints a failed save of the state file on the standard error stream, as
// "quillfen: <reason>".
void PrintSaveFailure(const std::string& reason);

struct VirtualKeyboardOptions {
    std::uint8_t macroUnits = 32;  // macro memory in 128-byte units (32 = 4 KiB)
    bool plugged = true;
    std::filesystem::path stateFile;  // empty = no state file
    // Told why a save of the state file failed (the file and the system's reason), once per
    // reason in a row. Runs under the keyboard's lock: it must not call back into the keyboard.
    // Empty: failures are only seen in the results.
    std::function<void(const std::string& reason)> saveFailed = PrintSaveFailure;
};

class VirtualKeyboard final : public qf::device::DeviceService {
public:
    explicit VirtualKeyboard(VirtualKeyboardOptions options = {});
    // Stops the delivery thread (replies not yet delivered are dropped) and saves the state
    // when a state file is set and does not already hold it. Must not run inside a sink (on
    // the delivery thread).
    ~VirtualKeyboard() override;
    VirtualKeyboard(const VirtualKeyboard&) = delete;
    VirtualKeyboard& operator=(const VirtualKeyboard&) = delete;

    // --- DeviceService ---
    // The number of keyboards (1 when plugged) for any of the keyboard's three keys; 0 for a
    // key of another device.
    int RequestGetDeviceCount(const QfRequestKey& key, std::uint32_t unitId) override;
    // Control key only. 1 when the report reached the keyboard (its reply is queued, never
    // waited for); 0 when refused: no keyboard, another key, no data, or an injected refusal.
    // A report shorter than 64 bytes is padded with zeros, a longer one cut to 64.
    int RequestWriteOne(const QfRequestKey& key, const std::uint8_t* data, std::uint32_t length,
                        std::uint32_t unitId) override;
    // A standing read on the control key (replies and count changes) or the consumer key
    // (consumer codes). 1 and a new non-zero id in *requestId; 0 for a null sink or a key that
    // is not the keyboard's. Works while unplugged, so that the plug-in is seen.
    int RequestAsyncRead(const QfRequestKey& key, qf::device::NotificationSink* sink,
                         std::uint32_t tag, std::uint32_t unitId,
                         std::uint32_t* requestId) override;
    // The 2-byte LED status on the LED key: stored (LedStatus) and traced. 1 sent; 0 when no
    // keyboard, another key or fewer than 2 bytes. *requestId receives a new id.
    int RequestStatusWrite(const QfRequestKey& key, qf::device::NotificationSink* sink,
                           std::uint32_t tag, const std::uint8_t* data, std::uint32_t length,
                           std::uint32_t unitId, std::uint32_t* requestId) override;
    // Withdraws a request: it receives nothing more. When a delivery to it is under way on
    // another thread, waits for that delivery to end. 1 when found, 0 otherwise (id 0 too).
    int DeleteRequestFromUnitId(std::uint32_t requestId) override;

    // --- Presence ---
    // Count changes (kind 0 notifications) go to the control read requests. Unplugging drops
    // the replies and consumer events not yet delivered.
    void Plug();
    void Unplug();
    bool plugged() const;
    // Two keyboards of the same kind, or none: 0 is Unplug, any other count is reported as is.
    void SetDeviceCount(unsigned count);
    unsigned deviceCount() const;

    // --- Keyboard events ---
    // A consumer-key input report (the code, little-endian) on the consumer read requests.
    // Ignored while unplugged.
    void PressConsumerCode(std::uint16_t code);
    // The key bank switch key (consumer code 0x02FF).
    void PressBankSwitch();

    // --- Fault injection, on control reports that reach the keyboard ---
    // Each counts the next n reports; faults set together apply together. A report that gets
    // no reply or a failing status is not carried out (memory unchanged); wrong-command and
    // garbled replies answer a request that was carried out.
    void InjectNoReply(unsigned n);
    void InjectWrongCommand(unsigned n);                 // reply byte 3 holds another command
    void InjectStatus(std::uint8_t status, unsigned n);  // reply byte 7 = status (0xFF, 0xFE)
    void InjectGarbledReply(unsigned n);                 // reply bytes 8.. pseudo-random
    // The next n writes are refused (RequestWriteOne returns 0); they never reach the keyboard.
    void InjectWriteRefusal(unsigned n);
    // Every report with the fault's command and address meets it, until ClearFaults; it
    // replaces an earlier one.
    void InjectReportFault(const ReportFault& fault);
    // The k-th next report written (1-based) finds the keyboard gone: it is refused and the
    // keyboard unplugs (with its count-change notification).
    void UnplugBeforeReport(unsigned k);
    // Every reply is delivered this much after its report arrived.
    void SetReplyDelay(std::chrono::microseconds delay);
    void ClearFaults();

    // --- Memory, addressed as the keyboard addresses it ---
    std::vector<std::uint8_t> Memory(Area area) const;
    // Bytes past the end of the area are left out. Setting byte 11 of the device info resizes
    // the macro memory (its contents kept as far as they fit).
    void SetMemory(Area area, std::size_t offset, std::span<const std::uint8_t> bytes);
    // Back to the factory contents of every area.
    void ResetMemory();
    std::array<std::uint8_t, 2> LedStatus() const;  // last LED status received (0, 0 at start)

    // --- Counters ---
    // Control reports that reached the keyboard, in all and per command code (byte 3).
    std::size_t ReportsReceived() const;
    std::size_t ReportsReceived(std::uint8_t command) const;

    // --- Trace of every report in and out, in order ---
    std::vector<TraceEntry> Trace() const;
    void ClearTrace();
    // Called for every new trace entry, in trace order, on the thread that makes the entry and
    // under the keyboard's lock: the sink must not call back into the virtual keyboard. An empty
    // function removes it.
    void SetTraceSink(std::function<void(const TraceEntry&)> sink);
    // The trace read back: the control reports that reached the keyboard, decoded, and the LED
    // statuses it received, both in order since the trace was last cleared. Refused writes never
    // reached it and are not among them.
    std::vector<ReceivedRequest> ReceivedRequests() const;
    std::vector<std::array<std::uint8_t, 2>> ReceivedLedStatuses() const;

    // Returns when every queued reply and notification has been delivered (at once when called
    // from a sink, on the delivery thread).
    void WaitIdle();

    // The state file is written when a transfer ends (EndTransfer) and when the device info is
    // written; when that write fails, the command's reply carries status 0xFE (the command
    // result -103) and `saveFailed` is told the reason, so that a change that will not survive
    // the run is never reported done. The keyboard's memory keeps the change meanwhile.
    //
    // SaveState / LoadState: 1 saved / loaded, 0 failure (no state file set, unwritable,
    // unreadable, or not a valid state file; memory is then unchanged).
    [[nodiscard]] int SaveState();
    [[nodiscard]] int LoadState();

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace qf::vkbd
