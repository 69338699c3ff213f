#include <cstdio>

#include "eval/evaluate.hpp"
#include "tool/commands.hpp"

namespace tallomir::tool {

// eval FEN: the static evaluation from the side to move's view, computed on
// empty caches with the widest window, so that no lazy exit is taken.
int cmdEval(int argc, char** argv) {
    if (argc < 3) return usage();
    Position pos;
    if (!loadFen(argv[2], pos)) return 1;
    EvalCaches caches;
    if (const char* failed = caches.allocate()) {
        std::fprintf(stderr, "tallomir: cannot allocate the %s table\n", failed);
        return 1;
    }
    std::printf("%d\n", evaluate(pos, caches, -MATE_SCORE, MATE_SCORE));
    return 0;
}

}  // namespace tallomir::tool
