#pragma once
// What a vantrel-cli command came to, and the one place that turns it into what the user is told:
// one line on standard error, starting "vantrel-cli:", and the exit code.
#include <optional>
#include <string>

namespace cli {

enum ExitCode : int {
    kExitOk = 0,
    kExitFailed = 1,  // a device did not answer or an exchange failed
    kExitBadArguments = 2,
    kExitChangesPending = 3,  // site plan: applying the file would change modules
    kExitCannotApply = 4,     // site plan: a row of the file cannot be applied
};

struct Outcome {
    ExitCode code = kExitOk;
    std::string command;  // as typed ("devices add"); empty for the program as a whole
    std::string message;  // one line; empty when there is nothing to say
};

// A check before a command's work: nullopt lets the command go on, an outcome ends it.
using Refusal = std::optional<Outcome>;

// The outcomes of one command, each named after it.
class CommandOutcomes {
public:
    explicit CommandOutcomes(std::string command) : command_(std::move(command)) {}
    const std::string& Name() const { return command_; }

    // A note is a line that does not make the command fail; a failure shown on standard output
    // already needs no message.
    Outcome Done(std::string note = {}) const { return {kExitOk, command_, std::move(note)}; }
    Outcome Failed(std::string message = {}) const {
        return {kExitFailed, command_, std::move(message)};
    }
    Outcome BadArguments(std::string message) const {
        return {kExitBadArguments, command_, std::move(message)};
    }

private:
    std::string command_;
};

// Prints the outcome's message, if any, and returns its exit code.
int Report(const Outcome& outcome);

// A line on standard error that does not end the command, in the same form as Report's.
void Tell(const std::string& command, const std::string& message);

}  // namespace cli
