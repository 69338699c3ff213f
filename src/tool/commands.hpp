// Subcommands of the developer tool and the helpers they share.
#pragma once

#include "board/position.hpp"

namespace tallomir::tool {

int usage();
// Prints edition, build type, compiler and revision (above bench and perft runs).
void printHeader();
// Loads a FEN argument ("startpos" allowed) into pos.
bool loadFen(const char* arg, Position& pos);
bool parseDepth(const char* arg, int& depth);
// Plays UCI move arguments argv[first..argc) as the position command does.
bool playMoves(Position& pos, int argc, char** argv, int first);

int cmdPerft(int argc, char** argv);
int cmdDivide(int argc, char** argv);
int cmdKey(int argc, char** argv);
int cmdSee(int argc, char** argv);
int cmdEval(int argc, char** argv);
int cmdSearch(int argc, char** argv);
int cmdBench(int argc, char** argv);

}  // namespace tallomir::tool
