#include "tool/commands.hpp"

namespace tallomir::tool {

int cmdSearch(int, char**) { return usage(); }
int cmdBench(int, char**) { return usage(); }

}  // namespace tallomir::tool
