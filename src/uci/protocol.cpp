#include "uci/protocol.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "editions/edition.hpp"
#include "uci/go.hpp"
#include "uci/io.hpp"
#include "uci/options.hpp"
#include "uci/report.hpp"
#include "uci/startup.hpp"

namespace tallomir {

namespace {
ProtocolState state;
Position game;
Searcher searcher;
}  // namespace

ProtocolState& protocol() { return state; }
Position& gamePosition() { return game; }
Searcher& engineSearcher() { return searcher; }

void resetProtocolState() { state = ProtocolState{}; }

namespace {

const char* const RULE = " -----------------------------------------------------------------------\n";

QuitHandler quitHandler = nullptr;

void quit() {
    if (quitHandler) quitHandler();
    protocol().quitRequested = true;
    if (protocol().searching) searcher.abortSearch();
}

bool startsWith(std::string_view line, std::string_view word) { return line.substr(0, word.size()) == word; }

}  // namespace

void setQuitHandler(QuitHandler handler) { quitHandler = handler; }

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
    printOptions();
    emit("uciok\n");
}

void handleCommand(std::string_view line) {
    const bool searching = protocol().searching;
    const bool pending = protocol().bestMovePending && !searching;
    const bool idle = !protocol().bestMovePending && !searching;

    if (startsWith(line, "debug ")) return;
    if (startsWith(line, "go ")) {
        if (!idle) return;
        ensureInitialised();
        goCommand(line);
        return;
    }
    if (line == "isready") {
        if (idle) ensureInitialised();
        emit("readyok\n");
        return;
    }
    if (line == "ponderhit") {
        if (pending) {
            printBestMove(searcher.state());
            protocol().bestMovePending = false;
        } else if (searching) {
            searcher.releaseHold();
            protocol().holdBestMove = false;
        }
        return;
    }
    if (startsWith(line, "position ")) {
        if (!idle) return;
        ensureInitialised();
        positionCommand(line);
        return;
    }
    if (line == "quit") {
        quit();
        return;
    }
    if (startsWith(line, "setoption ")) {
        if (idle) setoptionCommand(line);
        return;
    }
    if (line == "stop") {
        if (pending) {
            printBestMove(searcher.state());
            protocol().bestMovePending = false;
        } else if (searching) {
            searcher.requestStop();
            protocol().holdBestMove = false;
        }
        return;
    }
    if (line == "uci") {
        printIdentification();
        return;
    }
    if (line == "ucinewgame") {
        if (idle && protocol().initialised) searcher.table().clear();
        return;
    }
}

bool handleInputLine() {
    static char line[LINE_CAPACITY];
    if (stdinReader().readLine(line, sizeof line) == ReadStatus::End) {
        quit();
        return false;
    }
    // Remove the line end: the first newline and a carriage return before it.
    std::size_t length = std::strlen(line);
    if (char* nl = static_cast<char*>(std::memchr(line, '\n', length))) {
        length = static_cast<std::size_t>(nl - line);
        if (length > 0 && line[length - 1] == '\r') --length;
    }
    handleCommand(std::string_view(line, length));
    return !protocol().quitRequested;
}

}  // namespace tallomir
