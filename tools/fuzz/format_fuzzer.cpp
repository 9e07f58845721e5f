// Language texts are user-editable: FormatArgs with any format text and arguments of both
// kinds. The result is bounded by the text, the arguments and the widest field.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "text/text_format.h"

using namespace qf::text;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string a = input.ConsumeRandomLengthString(40);
    const std::string b = input.ConsumeRandomLengthString(40);
    const std::int64_t n = input.ConsumeIntegral<std::int64_t>();
    const int m = input.ConsumeIntegral<int>();
    const unsigned u = input.ConsumeIntegral<unsigned>();
    const std::string text = input.ConsumeRemainingBytesAsString();

    const std::string none = FormatArgs(text, {});
    QF_FUZZ_CHECK(none.size() <= text.size());
    const std::string filled = FormatArgs(text, {a, n, m, b, u, a, m, n});
    // Each placeholder of at least two characters gives at most the widest field, an argument
    // text or a 64-bit number.
    const std::size_t widest = std::max({kMaxFormatWidth, a.size(), b.size(), std::size_t{20}});
    QF_FUZZ_CHECK(filled.size() <= text.size() + (text.size() / 2 + 1) * widest);
    (void)Format(text, m, m, m, m, m, m, m, m, m, m);
    (void)Format(text, a, b, a, b, a, b);
    return 0;
}
