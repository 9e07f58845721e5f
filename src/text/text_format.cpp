#include "text/text_format.h"

#include <algorithm>

namespace qf::text {

namespace {

struct Spec {
    bool leftAlign = false;
    bool zeroPad = false;
    std::size_t width = 0;
    char conversion = 0;
    std::size_t length = 0;  // characters of the placeholder, '%' included
};

bool IsConversion(char c) {
    return c == 'd' || c == 'i' || c == 'u' || c == 'x' || c == 'X' || c == 's';
}

// Reads a placeholder at text[at] == '%'. False when the text there is no placeholder.
bool ReadSpec(std::string_view text, std::size_t at, Spec& spec) {
    std::size_t i = at + 1;
    while (i < text.size() && (text[i] == '-' || text[i] == '0')) {
        (text[i] == '-' ? spec.leftAlign : spec.zeroPad) = true;
        ++i;
    }
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        spec.width =
            std::min(spec.width * 10 + static_cast<std::size_t>(text[i] - '0'), kMaxFormatWidth);
        ++i;
    }
    if (i >= text.size() || !IsConversion(text[i])) {
        return false;
    }
    spec.conversion = text[i];
    spec.length = i + 1 - at;
    return true;
}

std::string Digits(std::uint64_t value, unsigned base, bool upper) {
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string out;
    do {
        out.push_back(digits[value % base]);
        value /= base;
    } while (value != 0);
    std::reverse(out.begin(), out.end());
    return out;
}

void Append(std::string& out, const Spec& spec, const FormatArg& arg) {
    bool negative = false;
    std::string body;
    bool numeric = false;
    if (arg.IsText()) {
        body = std::string(arg.Text());
    } else {
        numeric = true;
        const std::int64_t n = arg.Number();
        const auto low32 = static_cast<std::uint32_t>(n);
        switch (spec.conversion) {
            case 'u':
                body = Digits(low32, 10, false);
                break;
            case 'x':
            case 'X':
                body = Digits(low32, 16, spec.conversion == 'X');
                break;
            default:  // d, i, and an integer shown for %s
                if (n < 0) {
                    negative = true;
                    body = Digits(0 - static_cast<std::uint64_t>(n), 10, false);
                } else {
                    body = Digits(static_cast<std::uint64_t>(n), 10, false);
                }
                break;
        }
    }
    const std::size_t shown = (negative ? 1 : 0) + body.size();
    const std::size_t pad = spec.width > shown ? spec.width - shown : 0;
    if (spec.leftAlign) {
        if (negative) {
            out.push_back('-');
        }
        out.append(body);
        out.append(pad, ' ');
    } else if (spec.zeroPad && numeric) {
        if (negative) {
            out.push_back('-');
        }
        out.append(pad, '0');
        out.append(body);
    } else {
        out.append(pad, ' ');
        if (negative) {
            out.push_back('-');
        }
        out.append(body);
    }
}

}  // namespace

std::string FormatArgs(std::string_view text, std::initializer_list<FormatArg> args) {
    std::string out;
    out.reserve(text.size());
    auto next = args.begin();
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t percent = text.find('%', i);
        if (percent == std::string_view::npos) {
            out.append(text.substr(i));
            break;
        }
        out.append(text.substr(i, percent - i));
        if (percent + 1 < text.size() && text[percent + 1] == '%') {
            out.push_back('%');
            i = percent + 2;
            continue;
        }
        Spec spec;
        if (!ReadSpec(text, percent, spec)) {
            out.push_back('%');
            i = percent + 1;
            continue;
        }
        if (next == args.end()) {
            out.append(text.substr(percent, spec.length));
        } else {
            Append(out, spec, *next++);
        }
        i = percent + spec.length;
    }
    return out;
}

}  // namespace qf::text
