// Faults the virtual keyboard can be told to commit on its control interface.
//
// Each counted fault counts down the reports it applies to; a report fault stays, and strikes
// every report with its command and address. Not thread-safe; the virtual keyboard guards it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "device/report.h"

namespace qf::vkbd {

// What happens to one report written to the control interface.
struct FaultDecision {
    bool unplug = false;                 // the keyboard is gone before the report arrives
    bool refuse = false;                 // the write is refused; the report never arrives
    bool noReply = false;                // the report arrives, the keyboard does not answer
    std::optional<std::uint8_t> status;  // the reply carries this status
    bool wrongCommand = false;           // the reply names another command
    bool garbled = false;                // the reply's data bytes are noise

    // The keyboard carries out the request unless it stays silent or answers with a failing
    // status.
    bool Serves() const;
};

// A fault that every control report with one command byte and one address meets.
struct ReportFault {
    enum class Kind {
        Refuse,  // the write is refused; the report never arrives
        Status,  // the keyboard answers with status 0xFF and does not carry the request out
        Garble,  // the reply's data bytes are noise
    };
    Kind kind = Kind::Refuse;
    std::uint8_t command = 0;
    std::uint16_t address = 0;

    bool operator==(const ReportFault&) const = default;
};

// Reads a report fault written as "KIND@COMMAND:ADDRESS": KIND is refuse, status or garble,
// COMMAND (0..255) and ADDRESS (0..65535) are decimal numbers, and nothing else may stand in
// the text. Empty when the text is not such a description; `error`, when given, then says
// what is wrong with it.
std::optional<ReportFault> ParseReportFault(std::string_view text, std::string* error = nullptr);

class FaultInjector {
public:
    void NoReply(unsigned n) { noReply_ = n; }
    void WrongCommand(unsigned n) { wrongCommand_ = n; }
    void Status(std::uint8_t status, unsigned n) {
        statusValue_ = status;
        status_ = n;
    }
    void Garbled(unsigned n) { garbled_ = n; }
    void WriteRefusal(unsigned n) { refusals_ = n; }
    // The k-th next report (1-based) finds the keyboard unplugged; 0 cancels.
    void UnplugBefore(unsigned k) { unplugBefore_ = k; }
    // Every report `fault` names meets it from now on, until Clear; it replaces an earlier one.
    void AtReport(const ReportFault& fault) { reportFault_ = fault; }
    void Clear();

    // The faults for `request`, the next report written while the keyboard is present. A
    // report that unplugs the keyboard or is refused consumes no other fault.
    FaultDecision NextReport(const qf::device::Report& request);

    // Applies the decision's reply faults (status, wrong command, garbled data) to a reply and
    // seals it again.
    void Corrupt(qf::device::Report& reply, const FaultDecision& decision);

private:
    static bool Take(unsigned& counter);
    std::uint8_t NextNoise();

    unsigned noReply_ = 0;
    unsigned wrongCommand_ = 0;
    unsigned status_ = 0;
    std::uint8_t statusValue_ = 0;
    unsigned garbled_ = 0;
    unsigned refusals_ = 0;
    unsigned unplugBefore_ = 0;
    std::optional<ReportFault> reportFault_;
    std::uint32_t noise_ = 0x9E3779B9u;
};

}  // namespace qf::vkbd
