// The UCI options "Hash" and "Ponder". Values are held as text, as received.
#pragma once

#include <string>
#include <string_view>

#include "uci/io.hpp"

namespace tallomir {

// A new "Hash" value below this keeps the table as it is.
inline constexpr int MIN_HASH_FOR_RESIZE = 4;

class Options {
public:
    // Every option at its default.
    Options();

    // The "option name ..." lines of the reply to "uci", with the current values.
    void print(const Output& out) const;
    // Stores value under the option whose name matches ignoring case; false
    // for an unknown name.
    bool set(std::string_view name, std::string_view value);
    // "setoption name NAME value VALUE": the option stored, or nullptr for a
    // malformed line or an unknown name.
    const char* setFromLine(std::string_view line);
    // True for "true", "yes" or "1" in any case.
    bool isTrue(std::string_view name) const;
    // The leading decimal number of the value (0 without digits), clamped to int.
    int asInteger(std::string_view name) const;

private:
    static constexpr int COUNT = 2;
    int find(std::string_view name) const;

    std::string values_[COUNT];
};

bool sameTextIgnoringCase(std::string_view a, std::string_view b);

}  // namespace tallomir
