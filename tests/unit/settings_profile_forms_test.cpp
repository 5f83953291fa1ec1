// Hand-edited forms that the Windows profile functions accept: quoted values, UTF-16 files, a CR
// on its own as a line end, a section header without its "]". Each fixture has a .expected file
// with what its keys read as; writing such a file back loses and re-encodes nothing.
#include <gtest/gtest.h>

#include <sstream>

#include "app/settings_file.h"
#include "settings_test_support.h"

namespace {

using test_support::Fixture;
using test_support::ReadBytes;
using test_support::TempFolder;
using test_support::WriteBytes;

constexpr std::int32_t kMissing = -1000;

struct ExpectedRead {
    std::string section, key;
    bool present = false;
    std::string text;
    std::optional<std::int32_t> number;
};

// Lines of "section/key<TAB><text><TAB>number" or "section/key<TAB>missing"; "#" starts a comment.
std::vector<ExpectedRead> ExpectedReads(const std::string& name) {
    std::vector<ExpectedRead> reads;
    std::istringstream lines(Fixture(name));
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line.front() == '#') continue;
        ExpectedRead read;
        const auto slash = line.find('/'), tab = line.find('\t');
        read.section = line.substr(0, slash);
        read.key = line.substr(slash + 1, tab - slash - 1);
        const std::string rest = line.substr(tab + 1);
        read.present = rest != "missing";
        if (read.present) {
            const auto close = rest.rfind('>');
            read.text = rest.substr(1, close - 1);
            if (close + 1 < rest.size()) read.number = std::stoi(rest.substr(close + 2));
        }
        reads.push_back(read);
    }
    return reads;
}

class SettingsProfileForms : public test_support::SettingsFileTest {
protected:
    void ExpectReads(app::SettingsFile& settings, const std::string& expected) {
        for (const auto& read : ExpectedReads(expected)) {
            const std::string where = expected + " " + read.section + "/" + read.key;
            EXPECT_EQ(settings.ReadText(read.section, read.key), read.text) << where;
            const std::int32_t number = read.number ? *read.number : kMissing;
            if (read.number || !read.present) {
                EXPECT_EQ(settings.ReadInt(read.section, read.key, kMissing), number) << where;
            }
        }
    }
};

const char* const kForms[] = {"quoted_values",   "utf16le", "utf16be",
                              "utf16le_damaged", "lone_cr", "unclosed_section"};

TEST_F(SettingsProfileForms, EachFormReadsAsTheProfileFunctionsReadIt) {
    for (const std::string form : kForms) {
        app::SettingsFile settings(PathWith(Fixture(form + ".ini")));
        ExpectReads(settings, form + ".expected");
    }
}

TEST_F(SettingsProfileForms, Utf16FileIsWrittenBackInUtf16OfItsByteOrder) {
    for (const std::string form : {"utf16le", "utf16be"}) {
        app::SettingsFile settings(PathWith(Fixture(form + ".ini")));
        ASSERT_TRUE(settings.WriteInt("Layout", "Left", 7)) << form;
        ASSERT_TRUE(settings.WriteText("Заметки", "Место", "Стойка 4")) << form;
        ASSERT_TRUE(settings.WriteText("Fresh", "Key", "v")) << form;
        EXPECT_EQ(ReadBytes(settings.Path()), Fixture(form + "_after_write.ini")) << form;
        app::SettingsFile fresh(settings.Path());
        EXPECT_EQ(fresh.ReadInt("List", "Total", 0), 1) << form;
        EXPECT_EQ(fresh.ReadText("Заметки", "Место"), "Стойка 4") << form;
    }
}

TEST_F(SettingsProfileForms, Utf16FileIsNeverWrittenWithWhatItCannotHold) {
    // Damaged UTF-16 reads as far as it can, but a rewrite would lose its damaged bytes.
    const std::string damaged = Fixture("utf16le_damaged.ini");
    app::SettingsFile settings(PathWith(damaged));
    EXPECT_FALSE(settings.WriteInt("List", "Total", 4));
    EXPECT_EQ(ReadBytes(settings.Path()), damaged);
    EXPECT_EQ(settings.ReadInt("List", "Total", 0), 3);

    // Text that is not UTF-8 has no UTF-16 form.
    const std::string whole = Fixture("utf16le.ini");
    app::SettingsFile other(PathWith(whole));
    EXPECT_FALSE(other.WriteText("List", "MAC0", "\xFF\xFE"));
    EXPECT_EQ(ReadBytes(other.Path()), whole);
    EXPECT_EQ(other.ReadText("List", "MAC0"), "00:11:22:33:44:55");
    EXPECT_TRUE(other.WriteText("List", "MAC1", "AA:BB:CC:DD:EE:FF"));
}

TEST_F(SettingsProfileForms, LoneCrFileKeepsItsLineEndsAndNewLinesUseThem) {
    app::SettingsFile settings(PathWith(Fixture("lone_cr.ini")));
    ASSERT_TRUE(settings.WriteInt("List", "Total", 4));
    ASSERT_TRUE(settings.WriteText("Layout", "Width", "9"));
    EXPECT_EQ(ReadBytes(settings.Path()),
              "[Layout]\rLeft=1\rTop=2\rWidth=9\r\r[List]\nTotal=4\rIP0=5\r\nMAC0=a\rb\n");
}

TEST_F(SettingsProfileForms, UnclosedSectionTakesNewKeysAfterItsLast) {
    const std::string original = Fixture("unclosed_section.ini");
    app::SettingsFile settings(PathWith(original));
    ASSERT_TRUE(settings.WriteInt("list", "IP0", 5));
    std::string expected = original;
    expected.insert(expected.find("Total=3\n") + 8, "IP0=5\n");
    EXPECT_EQ(ReadBytes(settings.Path()), expected);
}

TEST_F(SettingsProfileForms, QuotedValuesStayUnlessTheyChange) {
    const std::string original = Fixture("quoted_values.ini");
    app::SettingsFile settings(PathWith(original));
    // The value already reads as 2: the quotes the user typed stay.
    ASSERT_TRUE(settings.WriteInt("List", "Total", 2));
    EXPECT_EQ(ReadBytes(settings.Path()), original);
    ASSERT_TRUE(settings.WriteInt("List", "Total", 3));
    std::string expected = original;
    expected.replace(expected.find("\"2\""), 3, "3");
    EXPECT_EQ(ReadBytes(settings.Path()), expected);
}

TEST_F(SettingsProfileForms, EveryValueWrittenReadsBackAsGiven) {
    app::SettingsFile settings(folder_.File("panel.ini"));
    for (const std::string value :
         {"\"q\"", "'q'", "  padded  ", "\"", "\"a'", "'", "\"\"", " \"x\" "}) {
        ASSERT_TRUE(settings.WriteText("List", "MAC0", value)) << value;
        EXPECT_EQ(settings.ReadText("List", "MAC0"), value) << value;
        EXPECT_EQ(app::SettingsFile(settings.Path()).ReadText("List", "MAC0"), value) << value;
    }
    // Only values that need them get quotes.
    ASSERT_TRUE(settings.WriteText("List", "MAC0", "00:11:22:33:44:55"));
    EXPECT_EQ(ReadBytes(settings.Path()), "[List]\nMAC0=00:11:22:33:44:55\n");
}

}  // namespace
