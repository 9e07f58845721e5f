#include "text/ini_file.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <limits>
#include <system_error>

#include "text/safe_file.h"

namespace qf::text {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::size_t kNoLine = std::numeric_limits<std::size_t>::max();

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view TrimLeft(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) {
        ++i;
    }
    return s.substr(i);
}

std::string_view TrimRight(std::string_view s) {
    std::size_t n = s.size();
    while (n > 0 && IsBlank(s[n - 1])) {
        --n;
    }
    return s.substr(0, n);
}

std::string_view Trim(std::string_view s) {
    return TrimRight(TrimLeft(s));
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = LowerAscii(c);
    }
    return out;
}

bool HasLineBreakOrNul(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

// A value as the file stores it: quoted when reading would otherwise change it.
std::string EncodeValue(std::string_view value) {
    const bool blanks = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
    const bool quoted =
        value.size() >= 2 && IsQuote(value.front()) && value.front() == value.back();
    if (blanks || quoted) {
        return "\"" + std::string(value) + "\"";
    }
    return std::string(value);
}

// Length of the UTF-8 character starting at s[i], or 1 for a byte that starts none.
std::size_t CharLength(std::string_view s, std::size_t i) {
    const auto lead = static_cast<unsigned char>(s[i]);
    std::size_t n = 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        n = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        n = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        n = 4;
    }
    if (n == 1 || s.size() - i < n) {
        return 1;
    }
    for (std::size_t k = 1; k < n; ++k) {
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
            return 1;
        }
    }
    return n;
}

void SetError(std::string* error, std::string text) {
    if (error != nullptr) {
        *error = std::move(text);
    }
}

}  // namespace

std::string_view CutToChars(std::string_view text, std::size_t maxChars) {
    std::size_t i = 0;
    std::size_t chars = 0;
    while (i < text.size() && chars < maxChars) {
        i += CharLength(text, i);
        ++chars;
    }
    return text.substr(0, i);
}

bool NamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

int ParseLeadingInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (IsBlank(text[i]) || text[i] == '\n')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t value = 0;
    constexpr std::int64_t kLimit = static_cast<std::int64_t>(INT_MAX) + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min<std::int64_t>(value * 10 + (text[i] - '0'), kLimit);
    }
    if (negative) {
        return static_cast<int>(-value);  // -kLimit is INT_MIN
    }
    return static_cast<int>(std::min<std::int64_t>(value, INT_MAX));
}

// ---------------------------------------------------------------------------------------------
// IniDocument

IniDocument::Line IniDocument::ParseLine(std::string text, std::string ending) {
    Line line;
    line.text = std::move(text);
    line.ending = std::move(ending);
    const std::string_view body = Trim(line.text);
    if (body.empty() || body.front() == ';') {
        return line;
    }
    if (body.front() == '[') {
        const std::size_t close = body.rfind(']');
        if (close != std::string_view::npos && close > 0) {
            line.kind = Kind::Section;
            line.name = std::string(Trim(body.substr(1, close - 1)));
        }
        return line;
    }
    const std::size_t eq = line.text.find('=');
    if (eq == std::string::npos) {
        return line;
    }
    const std::string_view key = Trim(std::string_view(line.text).substr(0, eq));
    if (key.empty()) {
        return line;
    }
    line.kind = Kind::Key;
    line.name = std::string(key);
    std::size_t start = eq + 1;
    while (start < line.text.size() && IsBlank(line.text[start])) {
        ++start;
    }
    line.valueStart = start;
    return line;
}

IniDocument IniDocument::Parse(std::string_view text) {
    IniDocument doc;
    if (text.substr(0, kBom.size()) == kBom) {
        doc.bom_ = true;
        text.remove_prefix(kBom.size());
    }
    bool endingKnown = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t nl = text.find('\n', pos);
        if (nl == std::string_view::npos) {
            doc.lines_.push_back(ParseLine(std::string(text.substr(pos)), ""));
            break;
        }
        std::size_t end = nl;
        std::string ending = "\n";
        if (end > pos && text[end - 1] == '\r') {
            --end;
            ending = "\r\n";
        }
        if (!endingKnown) {
            doc.crlf_ = ending.size() == 2;
            endingKnown = true;
        }
        doc.lines_.push_back(ParseLine(std::string(text.substr(pos, end - pos)), ending));
        pos = nl + 1;
    }
    doc.Reindex();
    return doc;
}

std::string IniDocument::Serialise() const {
    std::size_t size = bom_ ? kBom.size() : 0;
    for (const Line& line : lines_) {
        size += line.text.size() + line.ending.size();
    }
    std::string out;
    out.reserve(size);
    if (bom_) {
        out.append(kBom);
    }
    for (const Line& line : lines_) {
        out.append(line.text);
        out.append(line.ending);
    }
    return out;
}

void IniDocument::Reindex() {
    index_.clear();
    sectionOrder_.clear();
    // The unnamed section: the lines before the first header.
    SectionIndex* current =
        &index_.try_emplace(std::string(), SectionIndex{kNoLine, 0, {}}).first->second;
    bool currentIsFirst = true;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::Section) {
            if (currentIsFirst) {
                current->end = i;
            }
            auto [it, fresh] = index_.try_emplace(Lower(line.name), SectionIndex{i, i + 1, {}});
            currentIsFirst = fresh;
            current = &it->second;
            if (fresh) {
                sectionOrder_.push_back(line.name);
            }
        } else if (line.kind == Kind::Key && currentIsFirst) {
            current->keys.try_emplace(Lower(line.name), i);
        }
    }
    if (currentIsFirst) {
        current->end = lines_.size();
    }
}

const IniDocument::SectionIndex* IniDocument::FindSection(std::string_view section) const {
    const auto it = index_.find(Lower(section));
    return it == index_.end() ? nullptr : &it->second;
}

std::optional<std::size_t> IniDocument::FindKeyLine(std::string_view section,
                                                    std::string_view key) const {
    const SectionIndex* s = FindSection(section);
    if (s == nullptr) {
        return std::nullopt;
    }
    const auto it = s->keys.find(Lower(key));
    if (it == s->keys.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key) const {
    const auto at = FindKeyLine(section, key);
    if (!at) {
        return std::nullopt;
    }
    const Line& line = lines_[*at];
    std::string_view value = TrimRight(std::string_view(line.text).substr(line.valueStart));
    if (value.size() >= 2 && IsQuote(value.front()) && value.front() == value.back()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

std::string IniDocument::GetString(std::string_view section, std::string_view key,
                                   std::string_view defaultValue, std::size_t maxChars) const {
    const std::optional<std::string> value = Find(section, key);
    std::string_view text;
    if (value) {
        text = *value;
        text = text.substr(0, text.find('\0'));
    } else {
        text = defaultValue.substr(0, defaultValue.find('\0'));
        while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
            text.remove_suffix(1);
        }
    }
    return std::string(CutToChars(text, maxChars));
}

int IniDocument::GetInt(std::string_view section, std::string_view key, int defaultValue) const {
    const std::string value = GetString(section, key, "");
    if (value.empty()) {
        return defaultValue;
    }
    return ParseLeadingInt(value);
}

bool IniDocument::HasSection(std::string_view section) const {
    const SectionIndex* s = FindSection(section);
    return s != nullptr && s->header != kNoLine;
}

std::vector<std::string> IniDocument::KeyNames(std::string_view section) const {
    std::vector<std::string> names;
    const SectionIndex* s = FindSection(section);
    if (s == nullptr) {
        return names;
    }
    std::vector<std::size_t> at;
    at.reserve(s->keys.size());
    for (const auto& [lower, line] : s->keys) {
        at.push_back(line);
    }
    std::sort(at.begin(), at.end());
    for (std::size_t line : at) {
        names.push_back(lines_[line].name);
    }
    return names;
}

std::vector<std::string> IniDocument::SectionNames() const {
    return sectionOrder_;
}

void IniDocument::InsertLine(std::size_t at, std::string text) {
    if (at > 0 && lines_[at - 1].ending.empty()) {
        lines_[at - 1].ending = std::string(LineEnding());
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                  ParseLine(std::move(text), std::string(LineEnding())));
}

IniWriteResult IniDocument::SetString(std::string_view section, std::string_view key,
                                      std::string_view value) {
    const bool badSection = section.empty() || section.find(']') != std::string_view::npos ||
                            HasLineBreakOrNul(section) || Trim(section) != section;
    const bool badKey = key.empty() || key.front() == '[' || key.front() == ';' ||
                        key.find('=') != std::string_view::npos || HasLineBreakOrNul(key) ||
                        Trim(key) != key;
    if (badSection || badKey || HasLineBreakOrNul(value)) {
        return IniWriteResult::InvalidName;
    }
    const std::string encoded = EncodeValue(value);
    if (const auto at = FindKeyLine(section, key)) {
        Line& line = lines_[*at];
        line.text = line.text.substr(0, line.valueStart) + encoded;
        return IniWriteResult::Written;  // positions and names are unchanged: the index still holds
    }
    const std::string keyLine = std::string(key) + "=" + encoded;
    const SectionIndex* s = FindSection(section);
    if (s == nullptr || s->header == kNoLine) {
        InsertLine(lines_.size(), "[" + std::string(section) + "]");
        InsertLine(lines_.size(), keyLine);
    } else {
        std::size_t at = s->header + 1;
        for (std::size_t i = s->header + 1; i < s->end; ++i) {
            if (lines_[i].kind == Kind::Key ||
                (lines_[i].kind == Kind::Other && !Trim(lines_[i].text).empty() &&
                 Trim(lines_[i].text).front() != ';')) {
                at = i + 1;
            }
        }
        InsertLine(at, keyLine);
    }
    Reindex();
    return IniWriteResult::Written;
}

bool IniDocument::DeleteKey(std::string_view section, std::string_view key) {
    const auto at = FindKeyLine(section, key);
    if (!at) {
        return false;
    }
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*at));
    Reindex();
    return true;
}

bool IniDocument::DeleteSection(std::string_view section) {
    const SectionIndex* s = FindSection(section);
    if (s == nullptr || s->header == kNoLine) {
        return false;
    }
    const std::size_t begin = s->header;
    const std::size_t end = s->end;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(begin),
                 lines_.begin() + static_cast<std::ptrdiff_t>(end));
    Reindex();
    return true;
}

// ---------------------------------------------------------------------------------------------
// Files

IniLoadResult LoadIniFile(const std::filesystem::path& path, IniDocument& out, std::string* error) {
    out = IniDocument();
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        return IniLoadResult::Missing;
    }
    if (ec) {
        SetError(error, "cannot examine " + path.string() + ": " + ec.message());
        return IniLoadResult::Unreadable;
    }
    if (status.type() == std::filesystem::file_type::regular) {
        const auto size = std::filesystem::file_size(path, ec);
        if (!ec && size > kIniMaxFileBytes) {
            SetError(error, path.string() + " is larger than " + std::to_string(kIniMaxFileBytes) +
                                " bytes");
            return IniLoadResult::TooLarge;
        }
    }
    std::vector<std::uint8_t> bytes;
    std::string readError;
    if (ReadWholeFile(path, bytes, kIniMaxFileBytes, &readError) != 1) {
        SetError(error, readError);
        return IniLoadResult::Unreadable;
    }
    out = IniDocument::Parse(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    return IniLoadResult::Loaded;
}

std::string IniFiles::GetString(const std::filesystem::path& path, std::string_view section,
                                std::string_view key, std::string_view defaultValue,
                                std::size_t maxChars) const {
    IniDocument doc;
    (void)LoadIniFile(path, doc);  // a file that cannot be read reads as empty
    return doc.GetString(section, key, defaultValue, maxChars);
}

int IniFiles::GetInt(const std::filesystem::path& path, std::string_view section,
                     std::string_view key, int defaultValue) const {
    IniDocument doc;
    (void)LoadIniFile(path, doc);
    return doc.GetInt(section, key, defaultValue);
}

std::shared_ptr<std::mutex> IniFiles::LockFor(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::path key = std::filesystem::weakly_canonical(path, ec);
    if (ec) {
        key = std::filesystem::absolute(path, ec).lexically_normal();
        if (ec) {
            key = path.lexically_normal();
        }
    }
    std::lock_guard<std::mutex> guard(locksMutex_);
    auto& lock = locks_[key.string()];
    if (!lock) {
        lock = std::make_shared<std::mutex>();
    }
    return lock;
}

IniWriteResult IniFiles::EditFile(const std::filesystem::path& path, const Edit& edit,
                                  std::string* error) {
    const std::shared_ptr<std::mutex> lock = LockFor(path);
    std::lock_guard<std::mutex> guard(*lock);
    IniDocument doc;
    const IniLoadResult loaded = LoadIniFile(path, doc, error);
    if (loaded != IniLoadResult::Loaded && loaded != IniLoadResult::Missing) {
        return IniWriteResult::Failed;  // never replace a file we could not read
    }
    const std::optional<IniWriteResult> edited = edit(doc);
    if (!edited) {
        return IniWriteResult::Written;  // nothing changed: nothing to write
    }
    if (*edited != IniWriteResult::Written) {
        return *edited;
    }
    const std::string text = doc.Serialise();
    return WriteFileAtomically(path,
                               std::span<const std::uint8_t>(
                                   reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                               faults_.load(), error) == 1
               ? IniWriteResult::Written
               : IniWriteResult::Failed;
}

IniWriteResult IniFiles::Update(const std::filesystem::path& path,
                                const std::function<IniWriteResult(IniDocument&)>& edit,
                                std::string* error) {
    return EditFile(
        path, [&](IniDocument& doc) { return std::optional<IniWriteResult>(edit(doc)); }, error);
}

IniWriteResult IniFiles::WriteString(const std::filesystem::path& path, std::string_view section,
                                     std::string_view key, std::string_view value,
                                     std::string* error) {
    const IniWriteResult result = Update(
        path, [&](IniDocument& doc) { return doc.SetString(section, key, value); }, error);
    if (result == IniWriteResult::InvalidName) {
        SetError(error, "invalid section, key or value for " + path.string());
    }
    return result;
}

IniWriteResult IniFiles::DeleteKey(const std::filesystem::path& path, std::string_view section,
                                   std::string_view key, std::string* error) {
    return EditFile(
        path,
        [&](IniDocument& doc) -> std::optional<IniWriteResult> {
            if (!doc.DeleteKey(section, key)) {
                return std::nullopt;
            }
            return IniWriteResult::Written;
        },
        error);
}

IniWriteResult IniFiles::DeleteSection(const std::filesystem::path& path, std::string_view section,
                                       std::string* error) {
    return EditFile(
        path,
        [&](IniDocument& doc) -> std::optional<IniWriteResult> {
            if (!doc.DeleteSection(section)) {
                return std::nullopt;
            }
            return IniWriteResult::Written;
        },
        error);
}

}  // namespace qf::text
