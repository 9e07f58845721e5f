// Filling placeholders of user-editable texts.
//
// Language texts come from a file the user may edit, so they are never handed to printf as a
// format. Format recognises only these conversions, each taking the next argument in order:
//
//   %d %i    signed decimal          %u   unsigned decimal (of the 32-bit value)
//   %x %X    hexadecimal of the 32-bit value, lower / upper case letters
//   %s       text
//   %%       a single '%' (takes no argument)
//
// optionally with the flags '-' (pad on the right) and '0' (pad numbers with zeros) and a field
// width ("%03x", "%-8s"). Widths above kMaxFormatWidth count as kMaxFormatWidth, so "%1000000d"
// gives at most that many characters. Anything else after '%' ("%n", "%p", "%.3s", "%ld", a '%'
// at the end) is not a placeholder: it stays in the result as it stands and takes no argument.
//
// An argument is shown by its own type: an integer given for %s is written in decimal, a text
// given for %d/%x as it stands. A placeholder left without an argument stays in the result as
// written ("%s"), so a language text with more placeholders than its caller fills shows them
// rather than stray memory; arguments left over are ignored.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

namespace qf::text {

inline constexpr std::size_t kMaxFormatWidth = 259;

// One typed argument for Format. Holds a view for texts: keep the text alive for the call.
class FormatArg {
public:
    template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char>)
        FormatArg(T value)  // NOLINT(google-explicit-constructor): built from call arguments
        : isText_(false), number_(static_cast<std::int64_t>(value)) {}
    template <typename T>
    requires std::convertible_to<const T&, std::string_view> FormatArg(
        const T& value)  // NOLINT(google-explicit-constructor)
        : isText_(true), text_(std::string_view(value)) {}

    [[nodiscard]] bool IsText() const { return isText_; }
    [[nodiscard]] std::int64_t Number() const { return number_; }
    [[nodiscard]] std::string_view Text() const { return text_; }

private:
    bool isText_;
    std::int64_t number_ = 0;
    std::string_view text_;
};

[[nodiscard]] std::string FormatArgs(std::string_view text, std::initializer_list<FormatArg> args);

// Format("Unknown Key: %03x", 0x5A) gives "Unknown Key: 05a".
template <typename... Args>
[[nodiscard]] std::string Format(std::string_view text, const Args&... args) {
    return FormatArgs(text, {FormatArg(args)...});
}

}  // namespace qf::text
