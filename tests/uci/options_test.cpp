#include <gtest/gtest.h>

#include "search/tt.hpp"
#include "support.hpp"
#include "uci/options.hpp"
#include "uci/protocol.hpp"

namespace tallomir {
namespace {

class OptionsTest : public testing::Test {
protected:
    void SetUp() override { initialiseOptions(); }
    void TearDown() override {
        initialiseOptions();
        engineSearcher().allocate(16);
    }
};

TEST_F(OptionsTest, AnnouncedWithTheirCurrentValues) {
    test::CapturedOutput out;
    printOptions();
    EXPECT_EQ(out.lines()[0], "option name Hash type spin default 16 min 4 max 1024");
    EXPECT_EQ(out.lines()[1], "option name Ponder type check default false");
    setoptionCommand("setoption name Hash value 2");
    out.clear();
    printOptions();
    EXPECT_EQ(out.lines()[0], "option name Hash type spin default 2 min 4 max 1024");
}

TEST_F(OptionsTest, NamesIgnoreCaseAndHashRecreatesTheTable) {
    ASSERT_TRUE(protocol().initialised);
    setoptionCommand("setoption name hash value 32");
    EXPECT_EQ(optionAsInteger("Hash"), 32);
    EXPECT_EQ(engineSearcher().table().entryCount, (1u << 21) + 3);
    // Below 4 the text is kept but the table stays.
    setoptionCommand("setoption name Hash value 2");
    EXPECT_EQ(engineSearcher().table().entryCount, (1u << 21) + 3);
}

TEST_F(OptionsTest, MalformedLinesAreIgnored) {
    setoptionCommand("setoption name Hash");
    setoptionCommand("setoption value 64 name Hash");
    setoptionCommand("setoption name  Hash value 64");  // the extra blank belongs to the name
    setoptionCommand("setoption name Unknown value 5");
    EXPECT_EQ(optionAsInteger("Hash"), 16);
}

TEST_F(OptionsTest, PonderTruthValues) {
    for (const char* yes : {"true", "Yes", "1", "TRUE"}) {
        setoptionCommand(std::string("setoption name Ponder value ") + yes);
        EXPECT_TRUE(optionIsTrue("Ponder")) << yes;
    }
    for (const char* no : {"false", "no", "0", "maybe", ""}) {
        setoptionCommand(std::string("setoption name ponder value ") + no);
        EXPECT_FALSE(optionIsTrue("Ponder")) << no;
    }
}

TEST_F(OptionsTest, HashNumbersReadLikeTheCLibrary) {
    setOption("Hash", "  64MB");
    EXPECT_EQ(optionAsInteger("Hash"), 64);
    setOption("Hash", "abc");
    EXPECT_EQ(optionAsInteger("Hash"), 0);
    setOption("Hash", "-8");
    EXPECT_EQ(optionAsInteger("Hash"), -8);
    setOption("Hash", "99999999999999999999");
    EXPECT_EQ(optionAsInteger("Hash"), 2147483647);
}

}  // namespace
}  // namespace tallomir
