#include "zor/String.h"

#include <cstring>

namespace zor {

String& String::ToUpper() {
    for (char& c : *this) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return *this;
}

StringArray String::Split(const char* separator) const {
    StringArray pieces;
    if (!separator || !*separator) {
        if (!empty()) pieces.push_back(*this);
        return pieces;
    }
    const size_t sepLength = std::strlen(separator);
    size_t start = 0;
    while (start <= size()) {
        size_t at = find(separator, start);
        if (at == npos) at = size();
        if (at > start) pieces.push_back(String(substr(start, at - start)));
        start = at + sepLength;
    }
    return pieces;
}

const String& GetEmptyString() {
    static const String empty;
    return empty;
}

}  // namespace zor
