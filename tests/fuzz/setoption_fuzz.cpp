// "setoption": any text stores at most one option value, never crashes, and
// the table it re-creates has a sound size whatever the "Hash" text says.
#include <string>

#include "fuzz_support.hpp"
#include "search/tt.hpp"
#include "uci/options.hpp"
#include "uci/protocol.hpp"
#include "uci/startup.hpp"

using namespace tallomir;

namespace {

void checkTable(const char* where) {
    const std::uint64_t bytes = static_cast<std::uint64_t>(engineSearcher().table().entryCount - 3) * sizeof(TTEntry);
    if (engineSearcher().table().entries == nullptr) fuzz::fail(where, "no table");
    if (bytes < (4ULL << 20) || bytes > (1024ULL << 20)) fuzz::fail(where, "table size outside 4..1024 MB");
    if ((engineSearcher().table().entryCount - 3) != engineSearcher().table().indexMask + 1ULL || (engineSearcher().table().indexMask & (engineSearcher().table().indexMask + 1)) != 0)
        fuzz::fail(where, "bucket count not a power of two");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::initialiseOnce();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line = "setoption " + std::string(reinterpret_cast<const char*>(data), size);
    fuzz::resetEngine();

    // Before the tables exist only the text is stored.
    setoptionCommand(line);
    if (engineSearcher().table().entries != nullptr) fuzz::fail("setoption", "a table before initialisation");
    const int hash = optionAsInteger("Hash");
    const int megabytes = ttMegabytes(hash);
    if (megabytes < 4 || megabytes > 1024) fuzz::fail("ttMegabytes", "outside 4..1024");
    (void)optionIsTrue("Ponder");
    printOptions();
    printIdentification();

    // Once they exist the table is re-created; the large sizes are left to the
    // unit tests, as clearing a gigabyte per input would stall the fuzzer.
    if (megabytes <= 16) {
        ensureInitialised();
        checkTable("first allocation");
        setoptionCommand(line);
        checkTable("after setoption");
    }
    fuzz::checkPosition(gamePosition(), "after setoption");
    return 0;
}
