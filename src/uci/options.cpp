#include "uci/options.hpp"

#include <cctype>
#include <climits>

#include "search/tt.hpp"

namespace tallomir {

namespace {

struct OptionSpec {
    const char* name;
    const char* type;
    const char* extra;  // after the default in the "option" line
};

constexpr OptionSpec SPECS[] = {
    {"Hash", "spin", "min 4 max 1024"},
    {"Ponder", "check", ""},
};

}  // namespace

bool sameTextIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

Options::Options() : values_{std::to_string(DEFAULT_HASH_MEGABYTES), "false"} {
    static_assert(sizeof SPECS / sizeof SPECS[0] == COUNT);
}

int Options::find(std::string_view name) const {
    for (int i = 0; i < COUNT; ++i)
        if (sameTextIgnoringCase(SPECS[i].name, name)) return i;
    return -1;
}

void Options::print(const Output& out) const {
    for (int i = 0; i < COUNT; ++i) {
        const OptionSpec& e = SPECS[i];
        if (*e.extra)
            out.emit("option name %s type %s default %s %s\n", e.name, e.type, values_[i].c_str(), e.extra);
        else
            out.emit("option name %s type %s default %s\n", e.name, e.type, values_[i].c_str());
    }
}

bool Options::set(std::string_view name, std::string_view value) {
    const int i = find(name);
    if (i < 0) return false;
    values_[i].assign(value);
    return true;
}

bool Options::isTrue(std::string_view name) const {
    const int i = find(name);
    if (i < 0) return false;
    const std::string_view v = values_[i];
    return sameTextIgnoringCase(v, "true") || sameTextIgnoringCase(v, "yes") || v == "1";
}

int Options::asInteger(std::string_view name) const {
    const int at = find(name);
    if (at < 0) return 0;
    // Leading blanks, an optional sign, then digits, as the C library reads a number.
    const std::string& v = values_[at];
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

const char* Options::setFromLine(std::string_view line) {
    const std::size_t nameAt = line.find("name ");
    const std::size_t valueAt = line.find("value ");
    if (nameAt == std::string_view::npos || valueAt == std::string_view::npos || nameAt >= valueAt) return nullptr;
    const std::size_t nameBegin = nameAt + 5;
    const std::size_t nameEnd = valueAt > nameBegin ? valueAt - 1 : nameBegin;
    const std::string_view name = line.substr(nameBegin, nameEnd - nameBegin);
    const int i = find(name);
    if (i < 0) return nullptr;
    values_[i].assign(line.substr(valueAt + 6));
    return SPECS[i].name;
}

}  // namespace tallomir
