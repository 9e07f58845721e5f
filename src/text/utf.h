// UTF-8 <-> UTF-16. Language texts and command-line arguments are UTF-8; macro names and the
// texts of profile files are UTF-16, as the keyboard and the files keep them.
//
// Neither direction fails: what does not form a character becomes U+FFFD. In UTF-8 that is each
// byte of an invalid sequence (a stray continuation byte, a lead byte without its continuation
// bytes, an overlong form, a surrogate, a value past U+10FFFF, the bytes F8-FF); in UTF-16 an
// unpaired surrogate.
#pragma once

#include <string>
#include <string_view>

namespace qf::text {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

[[nodiscard]] std::u16string Utf8ToUtf16(std::string_view text);
[[nodiscard]] std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace qf::text
