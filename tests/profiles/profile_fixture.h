// A valid profile used as the starting point of the profile tests: two macros, strings in
// records of kind 3 and 6 in several blocks, assignments of other kinds around them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "profiles/profile_format.h"
#include "support/temp_folder.h"

namespace qf::profiles::testing {

inline constexpr std::size_t kTextRecord = 5;         // kind 6 in block 0
inline constexpr std::size_t kProgramRecord = 700;    // kind 3 in block 1
inline constexpr std::size_t kLastTextRecord = 2047;  // kind 6 in block 3
inline const std::u16string kText = u"hello, world";
inline const std::u16string kProgram = u"/usr/bin";  // 8 characters
inline const std::u16string kLastText = u"\u00e9t\u00e9";

StoreContents SampleContents();
std::vector<std::uint8_t> SampleFile();

using qf::testing::ReadBytes;
using qf::testing::TempFolder;
using qf::testing::WriteBytes;

}  // namespace qf::profiles::testing
