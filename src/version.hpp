// The release version of the engines and tools: the tool prints it above
// every bench and perft run, and the release archives are named after it
// (scripts/dist.sh reads it from this line).
#pragma once

namespace tallomir {

inline constexpr char VERSION[] = "1.0.0";

}  // namespace tallomir
