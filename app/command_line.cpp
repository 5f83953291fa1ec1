#include "app/command_line.h"

#include <algorithm>

namespace app {

namespace command_line {

namespace {

// Where name stands in args, from `from` on; args.size() when it does not.
std::size_t Find(const Arguments& args, std::string_view name, std::size_t from = 0) {
    const auto found = std::find(args.begin() + static_cast<long>(from), args.end(), name);
    return static_cast<std::size_t>(found - args.begin());
}

void Erase(Arguments& args, std::size_t at, std::size_t count) {
    args.erase(args.begin() + static_cast<long>(at), args.begin() + static_cast<long>(at + count));
}

// Edit distance: a letter added, dropped, changed, or two neighbours swapped.
std::size_t Distance(std::string_view a, std::string_view b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

}  // namespace

bool TakeFlag(Arguments& args, std::string_view name) {
    const std::size_t at = Find(args, name);
    if (at == args.size()) return false;
    Erase(args, at, 1);
    return true;
}

std::optional<std::string> TakeOption(Arguments& args, std::string_view name, bool& missingValue) {
    missingValue = false;
    const std::size_t at = Find(args, name);
    if (at == args.size()) return std::nullopt;
    if (at + 1 == args.size()) {
        missingValue = true;
        Erase(args, at, 1);
        return std::nullopt;
    }
    std::string value = std::move(args[at + 1]);
    Erase(args, at, 2);
    return value;
}

std::vector<std::string> TakeEveryOption(Arguments& args, std::string_view name,
                                         bool& missingValue) {
    std::vector<std::string> values;
    while (auto value = TakeOption(args, name, missingValue)) values.push_back(std::move(*value));
    return values;
}

bool LooksLikeOption(std::string_view arg) { return arg.size() > 1 && arg[0] == '-'; }

std::string FirstOption(const Arguments& args) {
    const auto found = std::find_if(args.begin(), args.end(),
                                    [](const std::string& arg) { return LooksLikeOption(arg); });
    return found == args.end() ? std::string() : *found;
}

std::string Quoted(std::string_view text, char mark) {
    std::string quoted(1, mark);
    quoted.append(text);
    quoted.push_back(mark);
    return quoted;
}

std::string NeedsValue(std::string_view option, std::string_view what) {
    std::string message(option);
    message.append(" needs ").append(what);
    return message;
}

std::string GivenTwice(std::string_view option) {
    std::string message(option);
    message.append(" given twice");
    return message;
}

std::string UnknownOption(std::string_view arg) { return "unknown option " + Quoted(arg); }

std::string UnexpectedArgument(std::string_view arg) {
    return "unexpected argument " + Quoted(arg);
}

std::optional<std::string_view> NearestName(std::string_view word,
                                            const std::vector<std::string_view>& names) {
    std::optional<std::string_view> best;
    std::size_t bestDistance = 0;
    for (const std::string_view name : names) {
        const std::size_t d = Distance(word, name);
        if (!best || d < bestDistance) {
            best = name;
            bestDistance = d;
        }
    }
    // Beyond a third of the word's letters (at least two) a guess would be noise.
    const std::size_t limit = std::max<std::size_t>(2, word.size() / 3);
    if (!best || bestDistance == 0 || bestDistance > limit) return std::nullopt;
    return best;
}

}  // namespace command_line

}  // namespace app
