#include "uci/startup.hpp"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "editions/edition.hpp"

namespace tallomir {

namespace {

const char* const RULE = " -----------------------------------------------------------------------\n";

}  // namespace

void printBanner(const Output& out) {
    char title[128];
    std::snprintf(title, sizeof title, " -%*sTallomir 2006 %s%*s-\n", EDITION.titleBlanksBefore, "", EDITION.word,
                  EDITION.titleBlanksAfter, "");
    out.emit("%s", RULE);
    out.emit("%s", title);
    out.emit("%s", RULE);
    out.emit(" \n");
    out.emit("%s", RULE);
    out.emit(" Tallomir 2006 %s is a chess engine for Windows platforms, written in C++.\n", EDITION.word);
    out.emit(" The engine supports some commands in UCI protocol. \n");
    out.emit(" \n");
    out.emit(" This program is free software: use, copy and share it as you like.\n");
    out.emit(" It comes without any warranty of any kind.\n");
    out.emit(" Written by Oskvar.\n");
    out.emit("%s", RULE);
}

void allocateOrExit(Searcher& searcher, int hashOption) {
    const std::string failed = searcher.allocate(hashOption);
    if (failed.empty()) return;
    std::fprintf(stderr, "tallomir: cannot allocate the %s\n", failed.c_str());
    std::exit(1);
}

}  // namespace tallomir
