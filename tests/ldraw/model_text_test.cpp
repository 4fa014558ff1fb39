#include "ldraw/line_syntax.h"
#include "ldraw/model_text.h"

#include <gtest/gtest.h>

#include <random>

namespace brikmux {
namespace {

const std::string kFields = "1 16 0 0 0 1 0 0 0 1 0 0 0 1 ";

TEST(LineKinds, SubFileReferenceReadsTheLineTypeLeniently)
{
    const std::pair<std::string, bool> cases[] = {
        {kFields + "sub.dat", true},
        {kFields + "SUB.DAT", true},
        {kFields + "sub.Dat", true},
        {" " + kFields + "a.dat", true},
        {"0" + kFields + "a.dat", true}, // "01" reads as 1
        {"1\t16 0 0 0 1 0 0 0 1 0 0 0 1 sub.dat", true},
        {"+1 16 0 0 0 1 0 0 0 1 0 0 0 1 a.dat", true},
        {"1 x.dat", true},
        {"1dat", true}, // "1d" reads as 1
        {"10 16 0 0 0 1 0 0 0 1 0 0 0 1 sub.dat", false},
        {"11 16 0 0 0 1 0 0 0 1 0 0 0 1 sub.dat", false},
        {"0 16 0 0 0 1 0 0 0 1 0 0 0 1 sub.dat", false},
        {"-1 16 0 0 0 1 0 0 0 1 0 0 0 1 sub.dat", false},
        {kFields + "sub.dat ", false},
        {kFields + "sub.ldr", false},
        {"", false},
        {"1", false},
        {"1.5 16 0 0 0 1 0 0 0 1 0 0 0 1 sub.dat", true},  // only "1." is read
        {".1 16 0 0 0 1 0 0 0 1 0 0 0 1 sub.dat", false}}; // ".1" reads as a tenth
    for (const auto& [line, expected] : cases) {
        EXPECT_EQ(IsSubFileReference(line), expected) << '"' << line << '"';
    }
    EXPECT_TRUE(IsSubFileReference(kFields + "4096 - QB Formula1.LDR", ReferenceKinds::DatAndLdr));
    EXPECT_TRUE(IsSubFileReference(kFields + "sub.dat", ReferenceKinds::DatAndLdr));
    EXPECT_FALSE(IsSubFileReference("0 FILE x.ldr", ReferenceKinds::DatAndLdr));
}

// The line type, and the line that a ghosted or hidden part's line wraps.
TEST(LineKinds, LineTypesAndWrappedLines)
{
    const std::pair<std::string, int> types[] = {
        {kFields + "a.dat", 1}, {"  5 16 0", 5}, {"0", 0}, {"0 // x", 0}, {"", -1}, {" \t", -1}, {"6 x", -1},
        {"10 x", -1},           {"1x", -1},      {"x", -1}};
    for (const auto& [line, type] : types) {
        EXPECT_EQ(LineType(line), type) << '"' << line << '"';
    }
    const std::pair<std::string, std::string> wrapped[] = {{"0 GHOST " + kFields + "a.dat", kFields + "a.dat"},
                                                           {"0 MLCAD HIDE 1 a.dat", "1 a.dat"},
                                                           {" 0\tGHOST \t1 a", "1 a"},
                                                           {"0  MLCAD  HIDE  2 x", "2 x"},
                                                           {"0 GHOSTLY 1 a", ""},
                                                           {"0 MLCAD 1 a", ""},
                                                           {"0 MLCAD HIDDEN 1 a", ""},
                                                           {"0 GHOST 1", "1"},
                                                           {" 0 GHOST 1", "1"},
                                                           {"0 GHOST", ""},
                                                           {"0 GHOST ", ""},
                                                           {"1 GHOST 1 a", ""},
                                                           {"0 ghost 1 a", ""},
                                                           {"00 GHOST 1 a", ""}};
    for (const auto& [line, inner] : wrapped) {
        EXPECT_EQ(WrappedLine(line), inner) << '"' << line << '"';
    }
}

// A line of type 2 with each kind of colour and number; the reason names the first field that is no
// number.
TEST(LineKinds, ColoursAndNumbersOfAModelLine)
{
    const std::pair<std::string, std::string> fields[] = {{"16", ""},
                                                          {"0x2FF00aa", ""},
                                                          {"0X2ff00AA", ""},
                                                          {"#FF0000", ""},
                                                          {"#990000", ""},
                                                          {"-1", ""},
                                                          {"#", "\"#\""},
                                                          {"0x", "\"0x\""},
                                                          {"#GG0000", "\"#GG0000\""},
                                                          {"0x2FF00G0", "\"0x2FF00G0\""},
                                                          {"0x2fg", "\"0x2fg\""},
                                                          {"x16", "\"x16\""},
                                                          {"1.5e", "\"1.5e\""}};
    for (const auto& [colour, bad] : fields) {
        EXPECT_EQ(malformedLineReason("2 " + colour + " 0 0 0 1 1 1", 2),
                  bad.empty() ? "" : "field 2 of a line of type 2, " + bad + ", is not a number.")
            << colour;
    }
    const std::pair<std::string, std::string> numbers[] = {
        {"-1.5e+2", ""},        {".5", ""},         {"5.", ""},
        {"+3E-1", ""},          {".", "\".\""},     {"1e", "\"1e\""},
        {"1.2.3", "\"1.2.3\""}, {"--1", "\"--1\""}, {"#FF0000", "\"#FF0000\""}};
    for (const auto& [number, bad] : numbers) {
        EXPECT_EQ(malformedLineReason("2 16 0 0 " + number + " 1 1 1", 2),
                  bad.empty() ? "" : "field 5 of a line of type 2, " + bad + ", is not a number.")
            << number;
    }
    EXPECT_EQ(malformedLineReason("2 16 0 0 0 1 1", 2), "a line of type 2 needs 8 fields; this one has 7.");
}

TEST(LineKinds, SubFileNameIsTheWholeFileField)
{
    const std::pair<std::string, std::string> cases[] = {
        {kFields + "SUB.DAT", "SUB.DAT"},
        {kFields + "mylongmodelname.dat", "mylongmodelname.dat"},
        {kFields + "my sub.dat", "my sub.dat"},
        {kFields + "s\\3001s01.dat", "s\\3001s01.dat"},
        {"1\t16  0 0 0\t1 0 0 0 1 0 0 0 1  \t two  spaces.dat", "two  spaces.dat"},
        {"  " + kFields + "lead.dat", "lead.dat"},
        {"1 x.dat", "x.dat"},
        {"1 16 0 0 0 1 0 0 0 1 0 0 0\tshort.dat", "short.dat"},
        {"01x.dat", "01x.dat"},
        {kFields + "name ", "name "},
        {"1 2 3 ", ""}};
    for (const auto& [line, name] : cases) {
        EXPECT_EQ(SubFileName(line), name) << '"' << line << '"';
    }

    // Random lines, fields falling at every offset of the eight-byte steps, against a plain
    // reading field by field; "!" after a blank, backspace after a tab and high bytes are what a
    // careless bit trick would take for blanks.
    const auto plain = [](std::string_view line) {
        std::size_t i = 0;
        for (int field = 0; field <= 14; ++field) {
            while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
                ++i;
            }
            if (field == 14 || i == line.size()) {
                break;
            }
            while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
                ++i;
            }
        }
        return i < line.size() ? line.substr(i) : line.substr(line.find_last_of(" \t") + 1);
    };
    std::mt19937 random(7);
    const std::string alphabet = " \t !\x08\xa0\x89\xff"
                                 "1a";
    for (int n = 0; n < 50000; ++n) {
        std::string line(random() % 60, ' ');
        for (char& c : line) {
            c = alphabet[random() % alphabet.size()];
        }
        line += n % 2 == 0 ? "dat" : "";
        ASSERT_EQ(SubFileName(line), plain(line)) << '"' << line << '"';
        // A reference's name is never empty: it ends in "dat".
        ASSERT_TRUE(!IsSubFileReference(line) || (!SubFileName(line).empty() && line.ends_with(SubFileName(line))));
    }
}

TEST(LineKinds, FileMarkersAndMpdNames)
{
    const std::pair<std::string, const char*> markers[] = {{"0 FILE house.dat", "house.dat"},
                                                           {"0 FILEX.dat", ".dat"},
                                                           {"0 FILE  two.dat", " two.dat"},
                                                           {"0 FILE ", ""},
                                                           {"0 FILE", nullptr},
                                                           {"0 file house.dat", "-"},
                                                           {" 0 FILE house.dat", "-"},
                                                           {"0 FIL", "-"},
                                                           {"0 NOFILE", "-"}};
    for (const auto& [line, name] : markers) {
        const bool marker = name == nullptr || std::string(name) != "-";
        EXPECT_EQ(IsFileMarker(line), marker) << line;
        EXPECT_EQ(marker && hasFileMarkerName(line), name != nullptr && marker) << line;
        if (marker && name != nullptr) {
            EXPECT_EQ(FileMarkerName(line), name);
        }
    }
    // Only a marker with a blank and a name starts a section.
    for (const auto& [line, starts] : {std::pair{"0 FILE house.dat", true},
                                       {"0 FILE\thouse.dat", true},
                                       {"0 FILE  two.dat", true},
                                       {"0 FILEX.dat", false},
                                       {"0 FILE \t ", false},
                                       {"0 FILE", false},
                                       {" 0 FILE house.dat", false}}) {
        EXPECT_EQ(StartsSection(line), starts) << line;
    }
    const std::pair<const char*, const char*> mpdNames[] = {
        {"car.dat", "car.mpd"}, {"car.v2.dat", "car.mpd"}, {".dat", ".mpd"}, {"model", "model.mpd"}, {"", ".mpd"}};
    for (const auto& [dat, mpd] : mpdNames) {
        EXPECT_EQ(mpdNameFor(dat), mpd);
    }
}

} // namespace
} // namespace brikmux
