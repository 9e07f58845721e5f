// The LED status word: the two bytes sent to the keyboard's LED interface. Byte 0 is always
// 0x05; byte 1 is 0x02 with bit 0 as the key bank (0 = bank A, 1 = bank B). It starts at bank A
// on every start, whatever the keyboard shows.
//
// Flipped by the monitor when the keyboard reports the bank switch key and read by the window
// thread when it refreshes the G buttons, so the bank byte is atomic.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace qf::monitor {

class LedStatusWord {
public:
    static constexpr std::uint8_t kReportByte = 0x05;
    static constexpr std::uint8_t kBankAByte = 0x02;
    static constexpr std::uint8_t kBankBit = 0x01;

    std::array<std::uint8_t, 2> Bytes() const { return {kReportByte, bankByte_.load()}; }
    bool BankB() const { return (bankByte_.load() & kBankBit) != 0; }

    // Flips the bank bit and returns the new word.
    std::array<std::uint8_t, 2> FlipBank() {
        const auto flipped = static_cast<std::uint8_t>(bankByte_.fetch_xor(kBankBit) ^ kBankBit);
        return {kReportByte, flipped};
    }

    // Back to 0x05, 0x02 (bank A).
    void Reset() { bankByte_.store(kBankAByte); }

private:
    std::atomic<std::uint8_t> bankByte_{kBankAByte};
};

}  // namespace qf::monitor
