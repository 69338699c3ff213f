#include "uci/options.hpp"

#include <cctype>
#include <climits>

#include "uci/io.hpp"
#include "uci/protocol.hpp"
#include "uci/startup.hpp"

namespace tallomir {

namespace {

constexpr int MIN_HASH_FOR_RESIZE = 4;

OptionEntry optionTable[] = {
    {"Hash", true, "16", "spin", "min 4 max 1024", {}},
    {"Ponder", true, "false", "check", "", {}},
};

OptionEntry* findOption(std::string_view name) {
    for (OptionEntry& e : optionTable)
        if (sameTextIgnoringCase(e.name, name)) return &e;
    return nullptr;
}

}  // namespace

bool sameTextIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

void initialiseOptions() {
    for (OptionEntry& e : optionTable) e.currentValue = e.defaultValue;
}

void printOptions() {
    for (const OptionEntry& e : optionTable) {
        if (!e.visible) continue;
        if (*e.extra)
            emit("option name %s type %s default %s %s\n", e.name, e.type, e.currentValue.c_str(), e.extra);
        else
            emit("option name %s type %s default %s\n", e.name, e.type, e.currentValue.c_str());
    }
}

bool setOption(std::string_view name, std::string_view value) {
    OptionEntry* e = findOption(name);
    if (!e) return false;
    e->currentValue.assign(value);
    return true;
}

bool optionIsTrue(std::string_view name) {
    const OptionEntry* e = findOption(name);
    if (!e) return false;
    const std::string_view v = e->currentValue;
    return sameTextIgnoringCase(v, "true") || sameTextIgnoringCase(v, "yes") || v == "1";
}

int optionAsInteger(std::string_view name) {
    const OptionEntry* e = findOption(name);
    if (!e) return 0;
    // Leading blanks, an optional sign, then digits, as the C library reads a number.
    const std::string& v = e->currentValue;
    std::size_t i = 0;
    while (i < v.size() && std::isspace(static_cast<unsigned char>(v[i]))) ++i;
    bool negative = false;
    if (i < v.size() && (v[i] == '+' || v[i] == '-')) negative = v[i++] == '-';
    long long n = 0;
    for (; i < v.size() && std::isdigit(static_cast<unsigned char>(v[i])); ++i)
        if (n <= INT_MAX) n = n * 10 + (v[i] - '0');
    if (n > INT_MAX) n = INT_MAX;
    return static_cast<int>(negative ? -n : n);
}

void setoptionCommand(std::string_view line) {
    const std::size_t nameAt = line.find("name ");
    const std::size_t valueAt = line.find("value ");
    if (nameAt == std::string_view::npos || valueAt == std::string_view::npos || nameAt >= valueAt) return;
    const std::size_t nameBegin = nameAt + 5;
    const std::size_t nameEnd = valueAt > nameBegin ? valueAt - 1 : nameBegin;
    const std::string_view name = line.substr(nameBegin, nameEnd - nameBegin);
    const std::string_view value = line.substr(valueAt + 6);
    if (!setOption(name, value)) return;
    if (protocol().initialised && sameTextIgnoringCase(name, "Hash") &&
        optionAsInteger("Hash") >= MIN_HASH_FOR_RESIZE)
        allocateTableOrExit(engineSearcher(), optionAsInteger("Hash"));
}

}  // namespace tallomir
