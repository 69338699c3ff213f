// The UCI options "Hash" and "Ponder". Values are held as text, as received.
#pragma once

#include <string>
#include <string_view>

namespace tallomir {

struct OptionEntry {
    const char* name;
    bool visible;
    const char* defaultValue;
    const char* type;
    const char* extra;
    std::string currentValue;
};

void initialiseOptions();
void printOptions();
// Stores value under the first option whose name matches ignoring case.
bool setOption(std::string_view name, std::string_view value);
// True for "true", "yes" or "1" in any case.
bool optionIsTrue(std::string_view name);
// The leading decimal number of the value (0 without digits), clamped to int.
int optionAsInteger(std::string_view name);
bool sameTextIgnoringCase(std::string_view a, std::string_view b);
// "setoption name NAME value VALUE"; a new Hash of 4 or more re-creates the
// table once the tables exist.
void setoptionCommand(std::string_view line);

}  // namespace tallomir
