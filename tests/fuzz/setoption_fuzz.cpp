// "setoption": any text stores at most one option value, never crashes, and
// the table it re-creates has a sound size whatever the "Hash" text says.
#include <string>

#include "fuzz_support.hpp"
#include "search/tt.hpp"
#include "uci/protocol.hpp"

using namespace tallomir;

namespace {

void checkTable(const TranspositionTable& table, const char* where) {
    if (table.entryCount() == 0) fuzz::fail(where, "no table");
    const std::uint64_t buckets = table.entryCount() - 3;
    const std::uint64_t bytes = buckets * sizeof(TTEntry);
    if (bytes < (4ULL << 20) || bytes > (1024ULL << 20)) fuzz::fail(where, "table size outside 4..1024 MB");
    if ((buckets & (buckets - 1)) != 0) fuzz::fail(where, "bucket count not a power of two");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line = "setoption " + std::string(reinterpret_cast<const char*>(data), size);
    const auto engine = fuzz::newEngine(fuzz::discardOutput());

    // Before the tables exist only the text is stored.
    engine->handleCommand(line);
    const TranspositionTable& table = engine->searcher().table();
    if (table.entryCount() != 0) fuzz::fail("setoption", "a table before initialisation");
    const int megabytes = ttMegabytes(engine->options().asInteger("Hash"));
    if (megabytes < 4 || megabytes > 1024) fuzz::fail("ttMegabytes", "outside 4..1024");
    (void)engine->options().isTrue("Ponder");
    engine->handleCommand("uci");

    // Once they exist the table is re-created; the large sizes are left to the
    // unit tests, as a gigabyte per input would stall the fuzzer.
    if (megabytes <= 16) {
        engine->handleCommand("isready");
        checkTable(table, "first allocation");
        engine->handleCommand(line);
        checkTable(table, "after setoption");
    }
    fuzz::checkPosition(engine->position(), "after setoption");
    return 0;
}
