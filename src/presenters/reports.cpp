#include "presenters/reports.h"

#include "device/failure.h"
#include "device/result.h"

namespace qf::presenters {

namespace {

std::string Bytes(std::uint32_t n) {
    return std::to_string(n);
}

}  // namespace

MacroMeter DescribeMacroMemory(macros::ImageSizes sizes, std::uint32_t capacity) {
    MacroMeter meter;
    meter.capacity = capacity;
    meter.withNames = sizes.withNames;
    meter.withoutNames = sizes.withoutNames;
    if (capacity == 0) {
        // No keyboard has told its size yet: the need alone.
        meter.used = sizes.withNames;
        meter.text = "macro memory: " + Bytes(sizes.withNames) + " bytes";
        return meter;
    }
    const std::string ofCapacity = " / " + Bytes(capacity) + " bytes";
    if (sizes.withNames <= capacity) {
        meter.used = sizes.withNames;
        meter.text = "macro memory: " + Bytes(sizes.withNames) + ofCapacity;
    } else if (sizes.withoutNames <= capacity) {
        meter.used = sizes.withoutNames;
        meter.namesDropped = true;
        meter.text = "macro memory: " + Bytes(sizes.withoutNames) + ofCapacity +
                     " without names (" + Bytes(sizes.withNames) +
                     " with names): the macro names will be left out";
    } else {
        meter.used = sizes.withoutNames;
        meter.tooLarge = true;
        meter.text = "macro memory: " + Bytes(sizes.withoutNames) + ofCapacity +
                     " without names: the macros do not fit, nothing will be written";
    }
    return meter;
}

std::string DescribeDownloadProblem(const profiles::DownloadReport& report) {
    if (report.tooLong) {
        return "the macros do not fit the keyboard's macro memory (" + Bytes(report.capacity) +
               " bytes) even without their names, so nothing was written";
    }
    const device::Failure& failure = report.failure;
    const std::string result = std::string(device::DescribeResult(failure.code)) +
                               ", device result " + std::to_string(device::ToInt(failure.code));
    if (failure.code != device::DeviceResult::Ok &&
        failure.command == device::Command::ReadDeviceInfo) {
        return "nothing was sent: the keyboard could not be read (" + result + ")";
    }
    if (failure.code != device::DeviceResult::Ok) {
        std::string text = "the keyboard answered \"" +
                           std::string(device::DescribeResult(failure.code)) +
                           "\" (device result " + std::to_string(device::ToInt(failure.code)) + ")";
        if (const std::string place = device::DescribePlace(failure); !place.empty()) {
            text += " at " + place;
        }
        return text;
    }
    if (failure.failed()) {
        return "nothing was sent: " + failure.reason;
    }
    return "no error was reported";
}

std::string DescribeApplyFailure(const profiles::ApplyReport& report,
                                 const std::filesystem::path& cachePath, bool cacheExists) {
    std::string text;
    const bool written = report.download == 1;
    if (!written) {
        text = "The changes were not written to the keyboard: " +
               DescribeDownloadProblem(report.downloadReport) + ".";
    }
    if (report.cacheSaved != 1) {
        if (!text.empty()) {
            text += "\n";
        }
        text += written ? "The changes were written to the keyboard, but the profile cache file "
                          "was not saved: "
                        : "The profile cache file was not saved either: ";
        if (!cacheExists) {
            text += "there is no profile cache file " + cachePath.string() +
                    " yet. It is made when the keyboard is read after it is plugged in; "
                    "unplug the keyboard and plug it in again.";
        } else {
            text += report.cacheError.empty() ? std::string("it could not be written.")
                                              : report.cacheError + ".";
        }
    }
    text += "\nApply stays enabled, so that you can try again.";
    return text;
}

std::string DescribeImportDownloadFailure(const profiles::DownloadReport& report) {
    return "The profile file was loaded, but writing it to the keyboard failed: " +
           DescribeDownloadProblem(report) +
           ".\nApply stays enabled: it writes all three profiles to the keyboard.";
}

std::string DescribeExportFailure(const std::filesystem::path& path, std::string_view reason) {
    std::string text = "The profiles were not exported to " + path.string();
    text += reason.empty() ? std::string(".") : ": " + std::string(reason) + ".";
    text += "\nA file that was already there is unchanged.";
    return text;
}

}  // namespace qf::presenters
