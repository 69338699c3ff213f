#include "eval/mobility.hpp"

namespace tallomir {

bool processorCounts = false;

void detectCountingInstruction() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    processorCounts = __builtin_cpu_supports("popcnt");
#endif
}

}  // namespace tallomir
