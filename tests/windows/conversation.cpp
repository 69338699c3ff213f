// The conversation test of the Windows engines. Each engine named on the
// command line is started with its standard input and output on Windows
// pipes (CreatePipe, CreateProcess), as a Windows GUI starts it, so that the
// engine's input check meets a real pipe; a Linux pipe handed to a program
// under wine cannot be peeked at. Before that, the Windows platform layer is
// checked in this process: reads and the input check on a pipe, the clocks
// and the big-table memory. Exit status 0 when every check passed.
//
//   tallomir-conversation.exe tallomir-vendrel.exe [more engines...]
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/platform.hpp"

namespace {

int failures = 0;

void check(bool ok, const std::string& engine, const char* what) {
    std::printf("%s %s: %s\n", ok ? "ok  " : "FAIL", engine.c_str(), what);
    if (!ok) ++failures;
}

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// The 20 moves of a side in its start position: pawn steps and knight jumps.
bool isOpeningMove(const std::string& move, bool white) {
    if (move.size() != 4) return false;
    const char home = white ? '1' : '8', pawns = white ? '2' : '7';
    const char one = white ? '3' : '6', two = white ? '4' : '5';
    const char from = move[0], fromRank = move[1], to = move[2], toRank = move[3];
    if (from < 'a' || from > 'h') return false;
    if (fromRank == pawns) return to == from && (toRank == one || toRank == two);
    if (fromRank != home || toRank != one) return false;
    return (from == 'b' && (to == 'a' || to == 'c')) || (from == 'g' && (to == 'f' || to == 'h'));
}

std::string bestMoveOf(const std::string& line) {
    const std::size_t end = line.find(' ', 9);
    return line.substr(9, end == std::string::npos ? std::string::npos : end - 9);
}

class Engine {
public:
    explicit Engine(const std::string& path) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE childIn = nullptr, childOut = nullptr;
        if (!CreatePipe(&childIn, &toEngine_, &inherit, 0) || !CreatePipe(&fromEngine_, &childOut, &inherit, 0)) return;
        SetHandleInformation(toEngine_, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(fromEngine_, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = childIn;
        startup.hStdOutput = childOut;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        std::string command = "\"" + path + "\"";
        started_ =
            CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process_);
        CloseHandle(childIn);
        CloseHandle(childOut);
    }
    ~Engine() {
        closeInput();
        if (started_) {
            if (WaitForSingleObject(process_.hProcess, 2000) != WAIT_OBJECT_0) TerminateProcess(process_.hProcess, 99);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
        if (fromEngine_) CloseHandle(fromEngine_);
    }
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    bool started() const { return started_; }

    void send(const std::string& line) {
        const std::string text = line + "\n";
        DWORD written = 0;
        WriteFile(toEngine_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }

    void closeInput() {
        if (toEngine_) CloseHandle(toEngine_);
        toEngine_ = nullptr;
    }

    // The next line within ms milliseconds, without its line end; false when
    // none came in time or the output ended.
    bool readLine(std::string& line, DWORD ms) {
        const ULONGLONG deadline = GetTickCount64() + ms;
        for (;;) {
            const std::size_t newline = pending_.find('\n');
            if (newline != std::string::npos) {
                line = pending_.substr(0, newline);
                pending_.erase(0, newline + 1);
                if (line.empty() || line.back() != '\r') ++bareLineEnds_;
                if (!line.empty() && line.back() == '\r') line.pop_back();
                return true;
            }
            DWORD waiting = 0;
            if (!PeekNamedPipe(fromEngine_, nullptr, 0, nullptr, &waiting, nullptr)) return false;
            if (waiting > 0) {
                char buffer[4096];
                DWORD got = 0;
                if (!ReadFile(fromEngine_, buffer, std::min<DWORD>(waiting, sizeof buffer), &got, nullptr))
                    return false;
                pending_.append(buffer, got);
                continue;
            }
            if (GetTickCount64() >= deadline) return false;
            Sleep(2);
        }
    }

    // Reads lines for ms milliseconds or until one starts with prefix (then
    // true, with that line last in seen).
    bool until(const char* prefix, DWORD ms, std::vector<std::string>& seen) {
        const ULONGLONG deadline = GetTickCount64() + ms;
        std::string line;
        for (;;) {
            const ULONGLONG now = GetTickCount64();
            if (now >= deadline || !readLine(line, static_cast<DWORD>(deadline - now))) return false;
            seen.push_back(line);
            if (startsWith(line, prefix)) return true;
        }
    }
    bool until(const char* prefix, DWORD ms) {
        std::vector<std::string> seen;
        return until(prefix, ms, seen);
    }

    // True when the process ended within ms milliseconds with status 0.
    bool endsCleanly(DWORD ms) {
        if (WaitForSingleObject(process_.hProcess, ms) != WAIT_OBJECT_0) return false;
        DWORD status = 1;
        return GetExitCodeProcess(process_.hProcess, &status) && status == 0;
    }

    int bareLineEnds() const { return bareLineEnds_; }

private:
    HANDLE toEngine_ = nullptr, fromEngine_ = nullptr;
    PROCESS_INFORMATION process_{};
    bool started_ = false;
    std::string pending_;
    int bareLineEnds_ = 0;
};

bool any(const std::vector<std::string>& lines, const char* prefix) {
    for (const std::string& line : lines)
        if (startsWith(line, prefix)) return true;
    return false;
}

// The first start in a fresh wine prefix takes seconds: the first answers get
// a generous limit.
constexpr DWORD FIRST_ANSWER_MS = 30000;

void converse(const std::string& path) {
    {
        Engine engine(path);
        check(engine.started(), path, "starts");
        if (!engine.started()) return;
        std::vector<std::string> lines;
        engine.send("uci");
        check(engine.until("uciok", FIRST_ANSWER_MS, lines) && any(lines, "id name "), path,
              "\"uci\" is answered with its name and \"uciok\"");
        engine.send("isready");
        check(engine.until("readyok", FIRST_ANSWER_MS), path, "\"isready\" is answered with \"readyok\"");

        lines.clear();
        engine.send("position startpos");
        engine.send("go depth 5");
        check(engine.until("bestmove ", 20000, lines) && isOpeningMove(bestMoveOf(lines.back()), true), path,
              "a search to depth 5 ends with a legal best move");

        // An infinite search holds its move, keeps searching (once-a-second
        // progress lines) while its input is checked, answers "isready" and
        // ends at once on "stop".
        lines.clear();
        engine.send("go infinite");
        engine.until("bestmove ", 2500, lines);
        check(!any(lines, "bestmove ") && any(lines, "info time "), path,
              "\"go infinite\" searches on and holds its move");
        lines.clear();
        engine.send("isready");
        check(engine.until("readyok", 2000, lines) && !any(lines, "bestmove "), path,
              "\"isready\" is answered during the search");
        lines.clear();
        engine.until("bestmove ", 2500, lines);
        check(!any(lines, "bestmove ") && any(lines, "info time "), path, "the search goes on after \"isready\"");
        lines.clear();
        const ULONGLONG stopped = GetTickCount64();
        engine.send("stop");
        check(engine.until("bestmove ", 2000, lines) && isOpeningMove(bestMoveOf(lines.back()), true), path,
              "\"stop\" ends it with a legal best move");
        std::printf("     (best move %llu ms after \"stop\")\n", GetTickCount64() - stopped);

        // A ponder search holds its move until "ponderhit", then moves in time.
        lines.clear();
        engine.send("setoption name Ponder value true");
        engine.send("position startpos moves e2e4");
        engine.send("go ponder wtime 3000 btime 3000");
        engine.until("bestmove ", 1500, lines);
        check(!any(lines, "bestmove "), path, "\"go ponder\" holds its move");
        lines.clear();
        engine.send("ponderhit");
        check(engine.until("bestmove ", 5000, lines) && isOpeningMove(bestMoveOf(lines.back()), false), path,
              "\"ponderhit\" brings a legal best move");

        // Mated and stalemated: no move to give.
        for (const char* fen : {"R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1", "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1"}) {
            lines.clear();
            engine.send(std::string("position fen ") + fen);
            engine.send("go depth 3");
            check(engine.until("bestmove ", 5000, lines) && lines.back() == "bestmove 0000", path,
                  "a position without a legal move answers \"bestmove 0000\"");
        }

        engine.send("quit");
        check(engine.endsCleanly(5000), path, "\"quit\" ends the engine with status 0");
        std::string rest;
        while (engine.readLine(rest, 0)) {
        }
        check(engine.bareLineEnds() == 0, path, "every line ends in CR LF");
    }
    {
        // The input ends during a search: the failed peek sends the engine to
        // its read, which meets the end of the input.
        Engine engine(path);
        engine.send("uci");
        engine.send("isready");
        engine.until("readyok", FIRST_ANSWER_MS);
        engine.send("go infinite");
        Sleep(300);
        engine.closeInput();
        check(engine.endsCleanly(5000), path, "the end of the input during a search ends the engine with status 0");
    }
}

void checkPlatformLayer() {
    using namespace tallomir;
    const std::string layer = "platform layer";
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, nullptr, 0);
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(readEnd), _O_RDONLY | _O_BINARY);
    check(!platform::inputWaiting(fd), layer, "an empty pipe has no input waiting");
    DWORD written = 0;
    WriteFile(writeEnd, "go\r\n", 4, &written, nullptr);
    check(platform::inputWaiting(fd), layer, "bytes in the pipe are input waiting");
    char buffer[16];
    check(platform::readInput(fd, buffer, sizeof buffer) == 4 && std::string(buffer, 4) == "go\r\n", layer,
          "a read takes the bytes unchanged");
    CloseHandle(writeEnd);
    check(platform::inputWaiting(fd), layer, "a pipe whose writer has gone counts as input waiting");
    check(platform::readInput(fd, buffer, sizeof buffer) == 0, layer, "its read reports the end of the input");
    _close(fd);

    const std::uint64_t wallStart = platform::tickCount();
    const double cpuStart = platform::processorSeconds();
    Sleep(300);
    const double cpuAsleep = platform::processorSeconds() - cpuStart;
    const std::uint64_t slept = platform::tickCount() - wallStart;
    check(slept >= 250 && slept < 5000, layer, "the tick count counts milliseconds");
    volatile std::uint64_t spin = 0;
    for (const ULONGLONG busyEnd = GetTickCount64() + 500; GetTickCount64() < busyEnd;) spin = spin + 1;
    const double cpuBusy = platform::processorSeconds() - cpuStart - cpuAsleep;
    check(cpuAsleep < 0.15 && cpuBusy > 0.02, layer, "processor time counts work, not sleep");
    std::printf("     (asleep %.3f s, busy %.3f s of processor time)\n", cpuAsleep, cpuBusy);

    constexpr std::size_t BYTES = (std::size_t{3} << 20) + 100;
    auto* table = static_cast<unsigned char*>(platform::allocateTable(BYTES));
    bool zeroed = table != nullptr;
    for (std::size_t i = 0; zeroed && i < BYTES; i += 4093) zeroed = table[i] == 0 && table[BYTES - 1] == 0;
    if (table) table[BYTES - 1] = 1;
    platform::freeTable(table, BYTES);
    check(zeroed, layer, "a big table comes zeroed and writable");
    check(platform::allocateTable(0) == nullptr, layer, "an empty table is no table");
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc < 2) {
        std::fputs("usage: tallomir-conversation ENGINE.exe...\n", stderr);
        return 2;
    }
    checkPlatformLayer();
    for (int i = 1; i < argc; ++i) converse(argv[i]);
    std::printf("%s: %d failed\n", failures ? "FAILED" : "passed", failures);
    return failures ? 1 : 0;
}
