// The 64-byte device report: frame layout and checksum.
#pragma once

#include <array>
#include <cstdint>

namespace qf::device {

inline constexpr std::size_t kReportSize = 64;
inline constexpr std::size_t kReportDataSize = 56;

using Report = std::array<std::uint8_t, kReportSize>;

namespace report {
inline constexpr std::size_t kId = 0;        // always 4
inline constexpr std::size_t kChecksum = 1;  // 16-bit, low byte first
inline constexpr std::size_t kCommand = 3;
inline constexpr std::size_t kParameter = 4;  // length or parameter
inline constexpr std::size_t kAddress = 5;    // 16-bit, low byte first
inline constexpr std::size_t kStatus = 7;     // 0 in requests; 0xFF/0xFE = failure in replies
inline constexpr std::size_t kData = 8;
inline constexpr std::uint8_t kReportId = 4;
inline constexpr std::uint8_t kStatusFailFF = 0xFF;
inline constexpr std::uint8_t kStatusFailFE = 0xFE;
}  // namespace report

// Sum of bytes 3..63, modulo 65536.
std::uint16_t ComputeChecksum(const Report& frame);
// Computes the checksum and stores it in bytes 1-2. Call after every other byte is in place.
void StoreChecksum(Report& frame);
// A zeroed frame with byte 0 = 4.
Report BlankFrame();

}  // namespace qf::device
