#include "cli/module_command_args.h"

#include "app/number_text.h"
#include "app/text_chars.h"
#include "protocol/module_commands.h"
#include "protocol/module_result.h"

namespace cli {

namespace {

constexpr std::size_t kMaxCommandDigits = 9;  // keeps the number inside an int
constexpr std::size_t kMaxOptionDigits = 10;

// "command 'TEXT'" and a reason, appended piece by piece: GCC 12 at -O3 warns falsely
// (-Wrestrict) on "'" + text + "'".
std::string CommandError(std::string_view text, std::string_view reason) {
    std::string message = "command '";
    message.append(text);
    message.append("'");
    message.append(reason);
    return message;
}

std::string DescribeCommand(const protocol::ModuleCommandRow& command) {
    std::string text = "  " + std::to_string(command.number) + "  ";
    const std::string target = command.callerTarget ? "--target" : "target 0xFD";
    switch (command.format) {
        case protocol::CommandFormat::Framed:
            text += "framed, operation " + std::to_string(command.code) + " on " + target;
            break;
        case protocol::CommandFormat::BlockWrite:
            text += "block write, operations " + std::to_string(command.code) + " then " +
                    std::to_string(protocol::kBlockCloseOperation) + " on " + target;
            break;
        case protocol::CommandFormat::Datagram:
            text += "datagram, code " + std::to_string(command.code);
            break;
    }
    if (command.parameter == protocol::CommandParameter::BlockBits) text += ", 2 bits of --param";
    if (command.parameter == protocol::CommandParameter::Word) text += ", 16 bits of --param";
    const std::string bytes = command.maxData == 1 ? " data byte" : " data bytes";
    if (command.minData > 0 && command.minData == command.maxData)
        text += "; exactly " + std::to_string(command.maxData) + bytes;
    else if (command.maxData > 0)
        text += "; up to " + std::to_string(command.maxData) + bytes;
    if (command.readsData) text += "; returns data";
    return text + '\n';
}

}  // namespace

std::string ModuleCommandsHelp() {
    std::string text = "Commands (any other number sends nothing and gives 0):\n";
    for (const protocol::ModuleCommandRow& command : protocol::kModuleCommands)
        text += DescribeCommand(command);
    return text;
}

bool ParseModuleCommandArg(std::string_view text, ModuleCommandArg& arg, std::string& error) {
    const auto colon = text.find(':');
    const std::string_view number = text.substr(0, colon);
    std::uint64_t command = 0;
    if (!app::ParseDecimal(number, kMaxCommandDigits, 999999999, command)) {
        error = CommandError(text, " is not NUMBER or NUMBER:HEX");
        return false;
    }
    arg.command = static_cast<int>(command);
    arg.data.clear();
    if (colon != std::string_view::npos) {
        const std::string_view hex = text.substr(colon + 1);
        if (hex.size() % 2 != 0) {
            error = CommandError(text, ": hex data of odd length");
            return false;
        }
        arg.data.resize(hex.size() / 2);
        if (!app::DecodeHex(hex, arg.data)) {
            error = CommandError(text, ": data are not hexadecimal digits");
            return false;
        }
    }
    const protocol::ModuleCommandRow* limits = protocol::FindModuleCommand(arg.command);
    if (limits == nullptr) return true;
    error = "command ";
    error += std::to_string(arg.command);
    if (limits->minData > 0 && arg.data.size() != limits->minData) {
        error += " needs exactly ";
        error += std::to_string(limits->minData);
    } else if (arg.data.size() > limits->maxData && limits->maxData == 0) {
        error += " sends no data";
        return false;
    } else if (arg.data.size() > limits->maxData) {
        error += " carries at most ";
        error += std::to_string(limits->maxData);
    } else {
        error.clear();
        return true;
    }
    error += " data bytes, not ";
    error += std::to_string(arg.data.size());
    return false;
}

bool ParseNumberOption(std::string_view text, std::uint32_t& value) {
    std::uint64_t parsed = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const std::string_view digits = text.substr(2);
        if (digits.size() > 8) return false;
        for (const char c : digits) {
            const int digit = app::HexDigitValue(c);
            if (digit < 0) return false;
            parsed = parsed * 16 + static_cast<std::uint64_t>(digit);
        }
    } else if (!app::ParseDecimal(text, kMaxOptionDigits, 0xFFFFFFFFu, parsed)) {
        return false;
    }
    value = static_cast<std::uint32_t>(parsed);
    return true;
}

std::string UpperHex(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const std::uint8_t byte : bytes) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 0x0F]);
    }
    return text;
}

std::string FormatOutcomesText(const std::vector<ModuleCommandOutcome>& outcomes) {
    std::string text;
    for (const ModuleCommandOutcome& outcome : outcomes) {
        text += std::to_string(outcome.command);
        text += ": ";
        text += std::to_string(outcome.result);
        text += ' ';
        text += protocol::ModuleResultMeaning(protocol::ModuleResult{outcome.result});
        if (!outcome.data.empty()) {
            text += ' ';
            text += UpperHex(outcome.data);
        }
        text += '\n';
    }
    return text;
}

std::string FormatOutcomesJson(const std::vector<ModuleCommandOutcome>& outcomes) {
    std::string json = "[";
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        if (i > 0) json += ", ";
        json += "{\"command\": ";
        json += std::to_string(outcomes[i].command);
        json += ", \"result\": ";
        json += std::to_string(outcomes[i].result);
        json += ", \"data\": \"";
        json += UpperHex(outcomes[i].data);
        json += "\"}";
    }
    json += "]\n";
    return json;
}

}  // namespace cli
