// The passport file verifier on any bytes: it never crashes, names a problem for every file it
// refuses, and accepts only what the passport writer writes for the record it decoded (with LF
// or CR LF line ends, the last one optional).
#include <string>
#include <string_view>

#include "fuzz/reply_sequence.h"
#include "netconfig/passport_verify.h"

namespace {

std::string LineEndsAsLf(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    if (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const netconfig::PassportCheck check = netconfig::VerifyPassportText(text);
    FUZZ_CHECK(check.valid == check.problem.empty());
    if (check.valid) {
        FUZZ_CHECK(check.decoded);
        FUZZ_CHECK(LineEndsAsLf(netconfig::FormatPassportFile(check.record)) == LineEndsAsLf(text));
    }
    return 0;
}
