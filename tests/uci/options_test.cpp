#include <gtest/gtest.h>

#include <memory>

#include "search/tt.hpp"
#include "support.hpp"
#include "uci/options.hpp"
#include "uci/protocol.hpp"

namespace tallomir {
namespace {

TEST(Options, AnnouncedWithTheirCurrentValues) {
    test::CapturedOutput out;
    Options options;
    options.print(out.output());
    EXPECT_EQ(out.lines()[0], "option name Hash type spin default 16 min 4 max 1024");
    EXPECT_EQ(out.lines()[1], "option name Ponder type check default false");
    EXPECT_STREQ(options.setFromLine("setoption name hash value 2"), "Hash");
    out.clear();
    options.print(out.output());
    EXPECT_EQ(out.lines()[0], "option name Hash type spin default 2 min 4 max 1024");
}

TEST(Options, NamesIgnoreCaseAndHashRecreatesTheTable) {
    test::CapturedOutput out;
    const auto engine = std::make_unique<UciEngine>(test::NO_INPUT, out.output());
    engine->handleCommand("setoption name hash value 32");
    EXPECT_EQ(engine->searcher().table().entryCount(), 0u);  // no table before the first isready
    engine->handleCommand("isready");
    EXPECT_EQ(engine->searcher().table().entryCount(), (1u << 21) + 3);
    engine->handleCommand("setoption name Hash value 64");
    EXPECT_EQ(engine->options().asInteger("Hash"), 64);
    EXPECT_EQ(engine->searcher().table().entryCount(), (1u << 22) + 3);
    // Below 4 the text is kept but the table stays.
    engine->handleCommand("setoption name Hash value 2");
    EXPECT_EQ(engine->searcher().table().entryCount(), (1u << 22) + 3);
}

TEST(Options, MalformedLinesAreIgnored) {
    Options options;
    for (const char* line : {"setoption name Hash", "setoption value 64 name Hash",
                             "setoption name  Hash value 64",  // the extra blank belongs to the name
                             "setoption name Unknown value 5"})
        EXPECT_EQ(options.setFromLine(line), nullptr) << line;
    EXPECT_EQ(options.asInteger("Hash"), 16);
}

TEST(Options, PonderTruthValues) {
    Options options;
    for (const char* yes : {"true", "Yes", "1", "TRUE"}) {
        options.set("ponder", yes);
        EXPECT_TRUE(options.isTrue("Ponder")) << yes;
    }
    for (const char* no : {"false", "no", "0", "maybe", ""}) {
        options.set("Ponder", no);
        EXPECT_FALSE(options.isTrue("Ponder")) << no;
    }
}

TEST(Options, HashNumbersReadLikeTheCLibrary) {
    Options options;
    for (const auto& [text, value] :
         {std::pair{"  64MB", 64}, {"abc", 0}, {"-8", -8}, {"99999999999999999999", 2147483647}}) {
        options.set("Hash", text);
        EXPECT_EQ(options.asInteger("Hash"), value) << text;
    }
}

}  // namespace
}  // namespace tallomir
