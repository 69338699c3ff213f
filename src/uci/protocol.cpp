#include "uci/protocol.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "editions/edition.hpp"
#include "uci/io.hpp"
#include "uci/startup.hpp"

namespace tallomir {

ProtocolState protocol;

void resetProtocolState() { protocol = ProtocolState{}; }

namespace {

const char* const RULE = " -----------------------------------------------------------------------\n";

void quit() {
    std::fflush(stdout);
    std::exit(0);
}

bool startsWith(std::string_view line, std::string_view word) { return line.substr(0, word.size()) == word; }

}  // namespace

void printBanner() {
    char title[128];
    std::snprintf(title, sizeof title, " -%*sTallomir 2006 %s%*s-\n", EDITION.titleBlanksBefore, "", EDITION.word,
                  EDITION.titleBlanksAfter, "");
    emit("%s", RULE);
    emit("%s", title);
    emit("%s", RULE);
    emit(" \n");
    emit("%s", RULE);
    emit(" Tallomir 2006 %s is a chess engine for Windows platforms, written in C++.\n", EDITION.word);
    emit(" The engine supports some commands in UCI protocol. \n");
    emit(" \n");
    emit(" This program is free software: use, copy and share it as you like.\n");
    emit(" It comes without any warranty of any kind.\n");
    emit(" Written by Oskvar.\n");
    emit("%s", RULE);
}

void printIdentification() {
    emit("id name Tallomir 2006 %s\n", EDITION.word);
    emit("id author Oskvar\n");
    emit("uciok\n");
}

void handleCommand(std::string_view line) {
    const bool pending = protocol.bestMovePending && !protocol.searching;
    const bool idle = !protocol.bestMovePending && !protocol.searching;

    if (startsWith(line, "debug ")) return;
    if (startsWith(line, "go ")) return;
    if (line == "isready") {
        if (idle) ensureInitialised();
        emit("readyok\n");
        return;
    }
    if (line == "ponderhit") return;
    if (startsWith(line, "position ")) {
        if (!idle) return;
        ensureInitialised();
        positionCommand(line);
        return;
    }
    if (line == "quit") quit();
    if (startsWith(line, "setoption ")) return;
    if (line == "stop") return;
    if (line == "uci") {
        printIdentification();
        return;
    }
    (void)pending;
}

void handleInputLine() {
    static char line[LINE_CAPACITY];
    if (stdinReader.readLine(line, sizeof line) == ReadStatus::End) quit();
    // Remove the line end: the first newline and a carriage return before it.
    std::size_t length = std::strlen(line);
    if (char* nl = static_cast<char*>(std::memchr(line, '\n', length))) {
        length = static_cast<std::size_t>(nl - line);
        if (length > 0 && line[length - 1] == '\r') --length;
    }
    handleCommand(std::string_view(line, length));
}

}  // namespace tallomir
