#include "search/search_helpers.hpp"

#include "eval/evaluate.hpp"
#include "search/tt.hpp"
#include "uci/go.hpp"
#include "uci/protocol.hpp"
#include "uci/report.hpp"

namespace tallomir::test {

void RecordingListener::principalVariation() { pvLines.push_back(principalVariationLine()); }

RecordingListener runSearch(const std::string& positionArgs, int depth) {
    ttClear();
    clearEvalCaches();
    positionCommand("position " + positionArgs);
    RecordingListener listener;
    goCommand("go depth " + std::to_string(depth), listener);
    setSearchListener(nullptr);
    return listener;
}

}  // namespace tallomir::test
