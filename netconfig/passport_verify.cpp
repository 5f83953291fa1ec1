#include "netconfig/passport_verify.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "app/number_text.h"
#include "app/text_chars.h"
#include "netconfig/wire_layout.h"
#include "protocol/crc16.h"

namespace netconfig {

namespace {

using wire::kPassportFileFirstLine;
using wire::kPassportFileLastLine;

constexpr std::size_t kDataLines = wire::kPassportRecordLength / wire::kPassportFileBytesPerLine;
constexpr std::size_t kLineCount = kDataLines + 2;

std::string LineProblem(std::size_t line, const std::string& what) {
    return "line " + std::to_string(line) + ": " + what;
}

// A character as a person can read it in a message: itself when printable, else its byte value.
std::string Shown(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) return std::string("'") + c + "'";
    char text[16];
    std::snprintf(text, sizeof text, "byte 0x%02X", byte);
    return text;
}

struct Lines {
    std::vector<std::string_view> lines;
    std::string problem;
};

// Splits at LF, dropping one CR before each LF; the last line may lack its line end. A CR
// anywhere else is a problem, as it would be in a file damaged by a line-end conversion.
Lines SplitLines(std::string_view text) {
    Lines result;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        result.lines.push_back(line);
        const std::size_t cr = line.find('\r');
        if (cr != std::string_view::npos) {
            result.problem =
                LineProblem(result.lines.size(),
                            "carriage return inside the line, at column " + std::to_string(cr + 1));
            return result;
        }
    }
    return result;
}

std::uint32_t LittleEndian32(const PassportRecord& record, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(record[offset + i]) << (8 * i);
    return value;
}

// Line 2 holds record bytes 0-31: the header fields and the checksum.
constexpr std::size_t kHeaderLine = 2;

std::string CheckHeaderField(const PassportRecord& record, std::size_t offset, const char* name,
                             std::uint32_t expected) {
    const std::uint32_t value = LittleEndian32(record, offset);
    if (value == expected) return {};
    return LineProblem(kHeaderLine, std::string(name) + " is " + std::to_string(value) +
                                        ", expected " + std::to_string(expected));
}

std::string CheckChecksum(const PassportRecord& record) {
    const std::uint16_t stored = static_cast<std::uint16_t>(
        record[wire::kPassportRecordChecksum] | record[wire::kPassportRecordChecksum + 1] << 8);
    PassportRecord zeroed = record;
    zeroed[wire::kPassportRecordChecksum] = zeroed[wire::kPassportRecordChecksum + 1] = 0;
    const std::uint16_t computed = protocol::CalcCRC16(zeroed);
    if (stored == computed) return {};
    char text[96];
    std::snprintf(text, sizeof text, "checksum is %04X, the data gives %04X", stored, computed);
    return LineProblem(kHeaderLine, text);
}

// Reads data line `line` (2-16) into the record; empty when it is 64 upper-case hex digits.
std::string ReadDataLine(std::string_view text, std::size_t line, PassportRecord& record) {
    if (text.size() != 2 * wire::kPassportFileBytesPerLine)
        return LineProblem(
            line, std::to_string(text.size()) + " characters, expected 64 hexadecimal digits");
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (app::HexDigitValue(c) < 0 || (c >= 'a' && c <= 'f'))
            return LineProblem(line, Shown(c) + " at column " + std::to_string(i + 1) +
                                         " is not an upper-case hexadecimal digit");
    }
    const std::size_t first = (line - 2) * wire::kPassportFileBytesPerLine;
    app::DecodeHex(text, std::span(record).subspan(first, wire::kPassportFileBytesPerLine));
    return {};
}

}  // namespace

PassportCheck VerifyPassportText(std::string_view text) {
    PassportCheck check;
    if (text.empty()) {
        check.problem = "the file is empty";
        return check;
    }
    if (text.size() > kMaxPassportFileSize) {
        check.problem =
            "the file is " + std::to_string(text.size()) + " bytes, far larger than a passport";
        return check;
    }
    const Lines split = SplitLines(text);
    const auto& lines = split.lines;
    // Line problems are reported in file order, so a damaged line before the split problem wins.
    auto lineAt = [&](std::size_t number) {
        return number <= lines.size() ? lines[number - 1] : std::string_view();
    };
    const std::size_t readable = split.problem.empty() ? lines.size() : lines.size() - 1;

    auto fail = [&](std::string problem) {
        check.problem = std::move(problem);
        return check;
    };
    auto missing = [&](std::size_t number, std::string_view what) {
        if (!split.problem.empty()) return split.problem;
        return LineProblem(number, "missing " + std::string(what) + ": the file ends after line " +
                                       std::to_string(lines.size()));
    };

    if (readable < 1) return fail(missing(1, kPassportFileFirstLine));
    if (lineAt(1) != kPassportFileFirstLine)
        return fail(LineProblem(1, "expected " + std::string(kPassportFileFirstLine)));
    for (std::size_t number = 2; number < 2 + kDataLines; ++number) {
        if (readable < number) return fail(missing(number, "a data line"));
        std::string problem = ReadDataLine(lineAt(number), number, check.record);
        if (!problem.empty()) return fail(std::move(problem));
    }
    check.decoded = true;
    std::memcpy(&check.deviceAddress, check.record.data() + wire::kPassportRecordAddress,
                sizeof check.deviceAddress);
    std::memcpy(check.mac.data(),
                check.record.data() + wire::kPassportRecordData + wire::kPassportMac,
                check.mac.size());

    if (readable < kLineCount) return fail(missing(kLineCount, kPassportFileLastLine));
    if (lineAt(kLineCount) != kPassportFileLastLine)
        return fail(LineProblem(kLineCount, "expected " + std::string(kPassportFileLastLine)));
    if (!split.problem.empty()) return fail(split.problem);
    if (lines.size() > kLineCount)
        return fail(
            LineProblem(kLineCount + 1, "text after " + std::string(kPassportFileLastLine)));

    for (std::string problem : {CheckHeaderField(check.record, wire::kPassportRecordFormatField,
                                                 "format", wire::kPassportRecordFormat),
                                CheckHeaderField(check.record, wire::kPassportRecordDataOffsetField,
                                                 "data offset", wire::kPassportRecordData),
                                CheckHeaderField(check.record, wire::kPassportRecordDataLengthField,
                                                 "data length", wire::kPassportStoredLength),
                                CheckChecksum(check.record)}) {
        if (!problem.empty()) return fail(std::move(problem));
    }
    check.valid = true;
    return check;
}

}  // namespace netconfig
