#pragma once
// The string table's data (res/strings.txt, compiled into the program) and how it reads: one
// entry a line, the id, blanks, then the text to the end of the line, where "\n" is a line
// break and "\\" a backslash; lines starting with "#" and empty lines are skipped.
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace app {

// The text of res/strings.txt as it was at build time.
std::string_view StringTableText();

struct StringTable {
    std::map<int, std::string> texts;
    std::vector<int> badLines;  // line numbers (from 1) of entries that could not be read
};

// Reads every entry it can. A line without an id, without a text, with an id above 65535, with
// an id given before or with an unknown escape is skipped and listed in badLines.
StringTable ParseStringTable(std::string_view text);

}  // namespace app
