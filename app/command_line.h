#pragma once
// The one way the programs read their command lines. Options are taken out by name wherever they
// stand ("--name VALUE", "--flag"), and what is left is positional, or unknown. Taking the options
// with values before the flags makes the argument after an option its value, whatever it looks
// like. Every program says what is wrong in the words below (vantrel-modsim keeps its own
// "unknown argument" for what it does not know).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace app {

namespace command_line {

using Arguments = std::vector<std::string>;

// Removes the first "name" flag from args; true when it was there.
bool TakeFlag(Arguments& args, std::string_view name);

// Removes the first "name VALUE" from args and returns VALUE; nullopt when name is absent.
// missingValue is set (and name removed) when name is the last argument.
std::optional<std::string> TakeOption(Arguments& args, std::string_view name, bool& missingValue);

// Removes every "name VALUE" from args and returns the values in order; for options that may be
// repeated, or whose repetition the caller refuses (GivenTwice). missingValue as for TakeOption.
std::vector<std::string> TakeEveryOption(Arguments& args, std::string_view name,
                                         bool& missingValue);

// "-x" and "--x" name options; "-" alone (standard input, by habit) does not.
bool LooksLikeOption(std::string_view arg);
// The first argument that looks like an option, or the empty text.
std::string FirstOption(const Arguments& args);

std::string Quoted(std::string_view text, char mark = '\'');
// "--name needs a value", or what it needs: NeedsValue("--settings", "a file").
std::string NeedsValue(std::string_view option, std::string_view what = "a value");
std::string GivenTwice(std::string_view option);       // "--name given twice"
std::string UnknownOption(std::string_view arg);       // "unknown option '-x'"
std::string UnexpectedArgument(std::string_view arg);  // "unexpected argument 'x'"

// The name among names nearest to a misspelt word, when one is near enough to be meant.
std::optional<std::string_view> NearestName(std::string_view word,
                                            const std::vector<std::string_view>& names);

}  // namespace command_line

}  // namespace app
