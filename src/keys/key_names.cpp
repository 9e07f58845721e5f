#include "keys/key_names.h"

#include <algorithm>

#include "keys/key_codes.h"

namespace qf::keys {

namespace {

constexpr std::array<std::string_view, kMediaCount> kMediaEnglish = {
    "Media Player", "Play/Pause",    "Stop",       "Previous Track", "Next Track", "Volume Down",
    "Volume Up",    "Mute",          "WWW Home",   "WWW Refresh",    "WWW Stop",   "WWW Back",
    "WWW Forward",  "WWW Favorites", "WWW Search", "My Computer",    "Calculator", "Mail",
};

constexpr std::size_t kMaxFieldWidth = 64;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads a decimal field at `pos`, capped at kMaxFieldWidth.
std::size_t ReadNumber(std::string_view text, std::size_t& pos) {
    std::size_t n = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
        n = std::min(kMaxFieldWidth, n * 10 + static_cast<std::size_t>(text[pos] - '0'));
        ++pos;
    }
    return n;
}

struct Conversion {
    bool leftAlign = false;
    bool plusSign = false;
    bool spaceSign = false;
    bool alternate = false;
    bool zeroPad = false;
    std::size_t width = 0;
    bool hasPrecision = false;
    std::size_t precision = 0;
    char type = 0;
};

std::string FormatOne(const Conversion& conv, std::uint32_t value) {
    unsigned base = 10;
    const char* digits = "0123456789abcdef";
    switch (conv.type) {
        case 'x':
            base = 16;
            break;
        case 'X':
            base = 16;
            digits = "0123456789ABCDEF";
            break;
        case 'o':
            base = 8;
            break;
        default:
            break;
    }
    std::string body;
    for (std::uint32_t v = value; v != 0; v /= base) {
        body.insert(body.begin(), digits[v % base]);
    }
    // printf prints no digits for a zero value with precision 0.
    if (value == 0 && !(conv.hasPrecision && conv.precision == 0)) {
        body = "0";
    }
    if (conv.hasPrecision && body.size() < conv.precision) {
        body.insert(0, conv.precision - body.size(), '0');
    }
    std::string prefix;
    if (conv.type == 'd' || conv.type == 'i') {
        if (conv.plusSign) {
            prefix = "+";
        } else if (conv.spaceSign) {
            prefix = " ";
        }
    } else if (conv.alternate) {
        if (base == 16 && value != 0) {
            prefix = conv.type == 'X' ? "0X" : "0x";
        } else if (base == 8 && (body.empty() || body.front() != '0')) {
            prefix = "0";
        }
    }
    const std::size_t length = prefix.size() + body.size();
    if (length >= conv.width) {
        return prefix + body;
    }
    const std::size_t pad = conv.width - length;
    if (conv.leftAlign) {
        return prefix + body + std::string(pad, ' ');
    }
    if (conv.zeroPad && !conv.hasPrecision) {
        return prefix + std::string(pad, '0') + body;
    }
    return std::string(pad, ' ') + prefix + body;
}

}  // namespace

KeyTexts BuiltinKeyTexts() {
    KeyTexts texts;
    texts.unknownKey = std::string(kUnknownKeyBuiltin);
    for (std::size_t i = 0; i < kMediaCount; ++i) {
        texts.media[i] = std::string(kMediaEnglish[i]);
    }
    for (std::size_t i = 0; i < kFunctionCount; ++i) {
        texts.functions[i] = std::string(kFunctionBuiltin[i]);
    }
    return texts;
}

KeyTexts LoadKeyTexts(const TextLookup& lookup) {
    KeyTexts texts;
    texts.unknownKey = lookup(kUnknownKeyTextKey);
    for (std::size_t i = 0; i < kMediaCount; ++i) {
        texts.media[i] = lookup(kMediaTextKeys[i]);
    }
    for (std::size_t i = 0; i < kFunctionCount; ++i) {
        texts.functions[i] = lookup(kFunctionTextKeys[i]);
    }
    return texts;
}

std::string FormatUnsigned(std::string_view format, std::uint32_t value) {
    std::string out;
    out.reserve(format.size() + 8);
    bool used = false;
    std::size_t pos = 0;
    while (pos < format.size()) {
        const char c = format[pos];
        if (c != '%') {
            out.push_back(c);
            ++pos;
            continue;
        }
        if (pos + 1 < format.size() && format[pos + 1] == '%') {
            out.push_back('%');
            pos += 2;
            continue;
        }
        const std::size_t start = pos++;
        Conversion conv;
        for (; pos < format.size(); ++pos) {
            const char f = format[pos];
            if (f == '-') {
                conv.leftAlign = true;
            } else if (f == '+') {
                conv.plusSign = true;
            } else if (f == ' ') {
                conv.spaceSign = true;
            } else if (f == '#') {
                conv.alternate = true;
            } else if (f == '0') {
                conv.zeroPad = true;
            } else {
                break;
            }
        }
        conv.width = ReadNumber(format, pos);
        if (pos < format.size() && format[pos] == '.') {
            ++pos;
            conv.hasPrecision = true;
            conv.precision = ReadNumber(format, pos);
        }
        // Length modifiers change nothing for a value that fits 32 bits.
        while (pos < format.size() &&
               std::string_view("hljzt").find(format[pos]) != std::string_view::npos) {
            ++pos;
        }
        if (pos < format.size()) {
            conv.type = format[pos];
            ++pos;
        }
        const bool integer =
            conv.type != 0 && std::string_view("diuxXo").find(conv.type) != std::string_view::npos;
        if (integer && !used) {
            out += FormatOne(conv, value);
            used = true;
        } else {
            // Not a conversion we can serve with our one value: shown as written.
            out.append(format.substr(start, pos - start));
        }
    }
    return out;
}

std::string KeyName(ScanCode scan, const KeyTexts& texts) {
    const KeyRow& row = KeyRowOf(scan);
    if (row.isMedia()) {
        const std::string& media = texts.media[row.mediaIndex];
        if (!media.empty()) {
            return media;
        }
    } else if (!row.name.empty()) {
        return std::string(row.name);
    }
    return FormatUnsigned(texts.unknownKey, scan);
}

std::string ActionKeyName(std::uint16_t code, const KeyTexts& texts) {
    const ScanCode scan = ActionKeyCodeToScan(code);
    // Row 0 is empty, so a scan code of 0 always means that no row carries the code.
    if (scan == kNoKey) {
        return {};
    }
    const KeyRow& row = KeyRowOf(scan);
    if (row.isMedia()) {
        return texts.media[row.mediaIndex];
    }
    return std::string(row.name);
}

}  // namespace qf::keys
