#include "ldraw/model_text.h"
#include "ldraw/mpd_model.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace brikmux {
namespace {

using testing::MemoryInput;

std::string readAll(InputFile& file)
{
    std::string text;
    char buffer[64];
    for (std::size_t count = 0; file.read(buffer, sizeof buffer, count).isOk() && count > 0;) {
        text.append(buffer, count);
    }
    return text;
}

TEST(MpdModel, EachBlockHoldsItsOwnLinesOrImage)
{
    // Images one after another (the older form too, with blanks after its name) and before a section; a model before the first block; a line that
    // only begins like a marker stays in its section.
    MemoryInput file("1 16 0 0 0 1 0 0 0 1 0 0 0 1 a.dat\r\n"
                     "0 FILE a.dat\r\n1 4 0 0 0 1 0 0 0 1 0 0 0 1 b.dat\r\n"
                     "0 !DATA one.png\r\n0 !: QUJD\r\n"
                     "0 FILE two.png \t\r\n0 !DATA START\r\n0 !: REVG\r\n0 !DATA END\r\n"
                     "0 FILE b.dat\r\n0 FILEX no section\r\n2 24 0 0 0 1 1 1\r\n"
                     "0 !DATA three.png\r\n0 !: R0g=\r\n");
    MpdModel model;
    ASSERT_TRUE(model.load(file, "town.mpd").isOk());
    const struct {
        MpdBlock::Kind kind;
        std::string name;
        std::string content; // a section's lines, an image's bytes
    } expected[] = {
        {MpdBlock::Kind::Model, unnamedMainName("town.mpd"), "1 16 0 0 0 1 0 0 0 1 0 0 0 1 a.dat\n"},
        {MpdBlock::Kind::Model, "a.dat", "1 4 0 0 0 1 0 0 0 1 0 0 0 1 b.dat\n"},
        {MpdBlock::Kind::Image, "one.png", "ABC"},
        {MpdBlock::Kind::Image, "two.png", "DEF"},
        {MpdBlock::Kind::Model, "b.dat", "0 FILEX no section\n2 24 0 0 0 1 1 1\n"},
        {MpdBlock::Kind::Image, "three.png", "GH"},
    };
    ASSERT_TRUE(model.isMpd());
    ASSERT_EQ(model.blocks().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const MpdBlock& block = model.blocks()[i];
        EXPECT_EQ(block.kind, expected[i].kind) << i;
        EXPECT_EQ(block.name, expected[i].name) << i;
        EXPECT_EQ(block.kind == MpdBlock::Kind::Image ? block.bytes : readAll(*model.open(block)), expected[i].content)
            << i;
    }
    EXPECT_EQ(model.mainBlock(), 0U);
    EXPECT_EQ(model.find("B.DAT"), 4U);
    EXPECT_EQ(model.find("c.dat"), MpdModel::npos);
    // Comments and blank lines before the first block are no model.
    MemoryInput notes("0 notes\r\n\r\n0 FILE a.dat\r\n0 a\r\n");
    MpdModel noted;
    ASSERT_TRUE(noted.load(notes, "town.mpd").isOk());
    ASSERT_EQ(noted.blocks().size(), 1U);
    EXPECT_EQ(noted.blocks()[noted.mainBlock()].name, "a.dat");
}

} // namespace
} // namespace brikmux
