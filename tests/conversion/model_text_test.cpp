#include "conversion/model_text.h"

#include <gtest/gtest.h>

#include <random>

namespace brikmux {
namespace {

constexpr const char* kPrefix = "1 16 0 0 0 1 0 0 0 1 0 0 0 1 ";

std::string reference(const std::string& name)
{
    return kPrefix + name;
}

TEST(LineKinds, SubFileReferenceReadsTheLineTypeLeniently)
{
    struct Case {
        std::string line;
        bool expected;
    };
    const Case cases[] = {
        {reference("sub.dat"), true},
        {reference("SUB.DAT"), true},
        {reference("sub.Dat"), true},
        {" 1 16 0 0 0 1 0 0 0 1 0 0 0 1 sub.dat", true},
        {"01 16 0 0 0 1 0 0 0 1 0 0 0 1 sub.dat", true}, // "01" reads as 1
        {"1\t16 0 0 0 1 0 0 0 1 0 0 0 1 sub.dat", true},
        {"+1 16 0 0 0 1 0 0 0 1 0 0 0 1 a.dat", true},
        {"1 x.dat", true},
        {"1dat", true}, // "1d" reads as 1
        {"10 16 0 0 0 1 0 0 0 1 0 0 0 1 sub.dat", false},
        {"11 16 0 0 0 1 0 0 0 1 0 0 0 1 sub.dat", false},
        {"0 16 0 0 0 1 0 0 0 1 0 0 0 1 sub.dat", false},
        {"-1 16 0 0 0 1 0 0 0 1 0 0 0 1 sub.dat", false},
        {reference("sub.dat "), false}, // trailing blank
        {reference("sub.ldr"), false},
        {"", false},
        {"1", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsSubFileReference(c.line), c.expected) << '"' << c.line << '"';
    }
    EXPECT_TRUE(IsSubFileReference(reference("4096 - QB Formula1.LDR"), ReferenceKinds::DatAndLdr));
    EXPECT_TRUE(IsSubFileReference(reference("sub.dat"), ReferenceKinds::DatAndLdr));
    EXPECT_FALSE(IsSubFileReference("0 FILE x.ldr", ReferenceKinds::DatAndLdr));
}

TEST(LineKinds, SubFileNameIsTheWholeFileField)
{
    struct Case {
        std::string line;
        std::string name;
    };
    const Case cases[] = {
        {reference("sub.dat"), "sub.dat"},
        {reference("SUB.DAT"), "SUB.DAT"},
        {reference("mylongmodelname.dat"), "mylongmodelname.dat"},
        {reference("my sub.dat"), "my sub.dat"},
        {reference("s\\3001s01.dat"), "s\\3001s01.dat"},
        {reference("4096 - QB Formula1.ldr"), "4096 - QB Formula1.ldr"},
        {"1\t16  0 0 0\t1 0 0 0 1 0 0 0 1  \t two  spaces.dat", "two  spaces.dat"},
        {"  1 16 0 0 0 1 0 0 0 1 0 0 0 1 lead.dat", "lead.dat"},
        {"1 x.dat", "x.dat"},
        {"1 16 0 0 0 1 0 0 0 1 0 0 0\tshort.dat", "short.dat"},
        {"01x.dat", "01x.dat"},
        {"1 16 0 0 0 1 0 0 0 1 0 0 0 1 name ", "name "},
        {"1 2 3 ", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SubFileName(c.line), c.name) << '"' << c.line << '"';
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
    const std::string alphabet = " \t !\x08\xa0\x89\xff" "1a";
    for (int n = 0; n < 50000; ++n) {
        std::string line(random() % 60, ' ');
        for (char& c : line) {
            c = alphabet[random() % alphabet.size()];
        }
        ASSERT_EQ(SubFileName(line), plain(line)) << '"' << line << '"';
    }
}

TEST(LineKinds, FileMarkers)
{
    EXPECT_TRUE(IsFileMarker("0 FILE house.dat"));
    EXPECT_EQ(FileMarkerName("0 FILE house.dat"), "house.dat");
    EXPECT_TRUE(IsFileMarker("0 FILEX.dat"));
    EXPECT_EQ(FileMarkerName("0 FILEX.dat"), ".dat");
    EXPECT_EQ(FileMarkerName("0 FILE  two.dat"), " two.dat");
    EXPECT_FALSE(IsFileMarker("0 file house.dat"));
    EXPECT_FALSE(IsFileMarker(" 0 FILE house.dat"));
    EXPECT_FALSE(IsFileMarker("0 FIL"));
    EXPECT_FALSE(IsFileMarker("0 NOFILE"));

    EXPECT_TRUE(IsFileMarker("0 FILE"));
    EXPECT_FALSE(hasFileMarkerName("0 FILE"));
    EXPECT_TRUE(hasFileMarkerName("0 FILE "));
    EXPECT_EQ(FileMarkerName("0 FILE "), "");
}

TEST(LineKinds, MpdNameReplacesEverythingFromTheFirstDot)
{
    EXPECT_EQ(mpdNameFor("car.dat"), "car.mpd");
    EXPECT_EQ(mpdNameFor("car.v2.dat"), "car.mpd");
    EXPECT_EQ(mpdNameFor(".dat"), ".mpd");
    EXPECT_EQ(mpdNameFor("model"), "model.mpd");
    EXPECT_EQ(mpdNameFor(""), ".mpd");
}

} // namespace
} // namespace brikmux
