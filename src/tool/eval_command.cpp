#include "tool/commands.hpp"

namespace tallomir::tool {

int cmdEval(int, char**) { return usage(); }

}  // namespace tallomir::tool
