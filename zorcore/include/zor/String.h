// The core library's text: a standard string with a few helpers. A thrown zor::String can be
// caught as zor::String or as std::string.
#pragma once

#include <string>

#include "zor/Export.h"
#include "zor/vector.h"

namespace zor {

class String;
using StringArray = zor::vector<String>;

// Exported member by member: an exported class would export its base, the standard string, too
// (Microsoft's rule for a template base), which every module has of its own.
class String : public std::string {
public:
    String() = default;
    String(const char* text) : std::string(text ? text : "") {}  // NOLINT: implicit by design
    String(const char* text, size_t length) : std::string(text ? std::string(text, length) : std::string()) {}
    String(const std::string& text) : std::string(text) {}  // NOLINT: implicit by design
    String(const String& other) = default;
    String& operator=(const String& other) = default;

    // Upper-cases the ASCII letters in place; returns *this.
    ZORCORE_API String& ToUpper();
    // Splits at every occurrence of separator (a whole text). Empty pieces are left out, so an
    // empty text gives no piece. An empty or null separator gives the whole text as one piece.
    ZORCORE_API StringArray Split(const char* separator) const;
};

// The shared empty string; the same object on every call.
ZORCORE_API const String& GetEmptyString();

}  // namespace zor
