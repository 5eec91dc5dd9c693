#include "resource/XmlDocument.h"

#include <cstring>

#include "platform/Platform.h"
#include "logging/LogHelpers.h"
#include "resource/ResourcePack.h"
#include "zor/Files.h"
#include "zor/String.h"

namespace {

// Copies up to length bytes to out, stopping at a zero byte; CR LF and lone CR become LF.
// out may be in itself (the copy never outruns the reading). Returns the bytes written.
size_t NormaliseLineEnds(const char* in, size_t length, char* out) {
    if (const void* zero = std::memchr(in, 0, length)) length = static_cast<size_t>(static_cast<const char*>(zero) - in);
    size_t n = 0;
    size_t i = 0;
    while (i < length) {
        const void* found = std::memchr(in + i, '\r', length - i);
        const size_t cr = found ? static_cast<size_t>(static_cast<const char*>(found) - in) : length;
        if (out + n != in + i) std::memmove(out + n, in + i, cr - i);
        n += cr - i;
        if (cr == length) break;
        out[n++] = '\n';
        i = cr + 1;
        if (i < length && in[i] == '\n') ++i;
    }
    out[n] = 0;
    return n;
}

// The first place of what in [p, end), or null.
const char* Find(const char* p, const char* end, const char* what) {
    const size_t n = std::strlen(what);
    for (; p + n <= end; ++p) {
        p = static_cast<const char*>(std::memchr(p, what[0], static_cast<size_t>(end - p)));
        if (!p || p + n > end) return nullptr;
        if (std::memcmp(p, what, n) == 0) return p;
    }
    return nullptr;
}

bool StartsWith(const char* p, const char* end, const char* what) {
    const size_t n = std::strlen(what);
    return static_cast<size_t>(end - p) >= n && std::memcmp(p, what, n) == 0;
}

// The bytes of a tag the limit scan stops at: quotes, '=', '>' and the zero after the text.
struct TagStops {
    bool stops[256] = {};
    constexpr TagStops() {
        stops[0] = true;
        stops[static_cast<unsigned char>('"')] = true;
        stops[static_cast<unsigned char>('\'')] = true;
        stops[static_cast<unsigned char>('=')] = true;
        stops[static_cast<unsigned char>('>')] = true;
    }
};
constexpr TagStops kTagStops;

// Where a document breaks the limits: the '<' of the element that goes too deep or holds too
// many attributes, or null. Mirrors how the parser meets markup closely enough for limits.
// text[length] is zero, and no zero comes before it.
const char* FindLimitBreach(const char* text, size_t length, bool& tooDeep) {
    const char* p = text;
    const char* end = text + length;
    int depth = 0;
    while (p < end) {
        const char* open = static_cast<const char*>(std::memchr(p, '<', static_cast<size_t>(end - p)));
        if (!open) return nullptr;
        const char* next = open + 1;
        const char* close = nullptr;
        const bool markup = next < end && (*next == '?' || *next == '!' || *next == '/');
        const bool declaration = markup && *next == '!';  // a comment or CDATA among others
        if (declaration && StartsWith(open, end, "<!--")) {
            close = Find(open + 4, end, "-->");
        } else if (declaration && StartsWith(open, end, "<![CDATA[")) {
            close = Find(open + 9, end, "]]>");
        } else if (markup) {
            if (*next == '/' && depth > 0) --depth;
            close = static_cast<const char*>(std::memchr(next, '>', static_cast<size_t>(end - next)));
        } else {
            if (++depth > XmlDocument::kMaxDepth) {
                tooDeep = true;
                return open;
            }
            // The tag up to its '>' outside quotes; every '=' outside quotes is an attribute.
            int attributes = 0;
            const char* q = next;
            for (; q < end; ++q) {
                while (!kTagStops.stops[static_cast<unsigned char>(*q)]) ++q;  // stops at the end's zero
                if (q >= end) {
                    q = end;
                    break;
                }
                if (*q == '"' || *q == '\'') {
                    // Values are short: a loop beats a call.
                    const char quote = *q;
                    for (++q; q < end && *q != quote;) ++q;
                    if (q == end) break;
                } else if (*q == '=') {
                    if (++attributes > XmlDocument::kMaxAttributes) {
                        tooDeep = false;
                        return open;
                    }
                } else if (*q == '>') {
                    break;
                }
            }
            if (q < end && q > next && q[-1] == '/') --depth;
            close = q < end ? q : nullptr;
        }
        if (!close) return nullptr;
        p = close + 1;
    }
    return nullptr;
}

}  // namespace

void XmlDocument::Scramble(char* bytes, size_t length) {
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>(bytes[i] ^ kScrambleMask);
}

bool XmlDocument::IsScrambledName(const char* name) {
    zor::String ext(zor::GetFileExt(name));
    return ext.ToUpper() == "XMLX";
}

bool XmlDocument::LoadFile(const char* name, TiXmlEncoding encoding, bool skipPack) {
    return LoadFileThrough(ResourcePack::GetInstance(), name, encoding, skipPack);
}

bool XmlDocument::LoadFile(const std::string& name, TiXmlEncoding encoding) {
    return LoadFile(name.c_str(), encoding, false);
}

bool XmlDocument::LoadFile(TiXmlEncoding encoding) {
    std::string name = Value();  // the stored name is replaced while loading
    return LoadFile(name.c_str(), encoding, false);
}

std::unique_ptr<char[]> XmlDocument::NewTextBuffer(size_t size) {
    std::unique_ptr<char[]> buffer(new char[size + 1 + kParsePadding]);
    std::memset(buffer.get() + size, 0, 1 + kParsePadding);
    return buffer;
}

bool XmlDocument::LoadFileThrough(const ResourcePack& pack, const char* name, TiXmlEncoding encoding, bool skipPack) {
    if (!name) return false;
    const std::string native = zor::ToNativeFileName(name);

    if (!skipPack && pack.IsActive()) {
        int32_t size = 0;
        void* block = pack.LoadFileData()(native.c_str(), &size, ResourcePack::kLoadMode);
        if (block && size > 0) {
            // Copy the text, give the block back, then parse: the file is held once.
            std::unique_ptr<char[]> text = NewTextBuffer(static_cast<size_t>(size));
            const size_t length = NormaliseLineEnds(static_cast<const char*>(block), static_cast<size_t>(size), text.get());
            pack.FreeFileData()(block);
            return ParseText(text.get(), length, encoding);
        }
        // An empty (or negative) block is still the pack's: give it back.
        if (block) pack.FreeFileData()(block);
        SetFileError(TIXML_ERROR_OPENING_FILE);
        LogFormat<3>("%s() error : load %s fail", "TiXmlDocument::LoadFile", native.c_str());
        return false;
    }

    SetValue(native);
    FILE* file = platform::OpenRegularFile(native.c_str());
    if (!file) {
        SetFileError(TIXML_ERROR_OPENING_FILE);
        return false;
    }
    bool result = IsScrambledName(native.c_str()) ? LoadScrambledFile(file, encoding) : LoadFile(file, encoding);
    std::fclose(file);
    return result;
}

bool XmlDocument::LoadFile(FILE* file, TiXmlEncoding encoding) { return ReadWhole(file, encoding, false); }

bool XmlDocument::LoadScrambledFile(FILE* file, TiXmlEncoding encoding) { return ReadWhole(file, encoding, true); }

bool XmlDocument::ReadWhole(FILE* file, TiXmlEncoding encoding, bool scrambled) {
    if (!file) {
        SetFileError(TIXML_ERROR_OPENING_FILE);
        return false;
    }
    long length = 0;
    if (std::fseek(file, 0, SEEK_END) == 0) length = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    if (length <= 0) {
        SetFileError(TIXML_ERROR_DOCUMENT_EMPTY);
        return false;
    }
    // LoadMemory takes an int length: a file beyond that cannot be a configuration.
    if (length > 0x7FFFFFFE) {
        SetFileError(TIXML_ERROR_OPENING_FILE);
        return false;
    }
    const size_t size = static_cast<size_t>(length);
    std::unique_ptr<char[]> buffer = NewTextBuffer(size);
    if (std::fread(buffer.get(), 1, size, file) != size) {
        SetFileError(TIXML_ERROR_OPENING_FILE);
        return false;
    }
    if (scrambled) Scramble(buffer.get(), size);
    // The same text LoadMemory would parse, made in place: the file is held once.
    const size_t text = NormaliseLineEnds(buffer.get(), size, buffer.get());
    return ParseText(buffer.get(), text, encoding);
}

bool XmlDocument::LoadMemory(const char* block, int length, TiXmlEncoding encoding) {
    if (!block || length < 1) {
        SetFileError(TIXML_ERROR_DOCUMENT_EMPTY);
        return false;
    }
    std::unique_ptr<char[]> text = NewTextBuffer(static_cast<size_t>(length));
    const size_t n = NormaliseLineEnds(block, static_cast<size_t>(length), text.get());
    return ParseText(text.get(), n, encoding);
}

void XmlDocument::SetOwnError(int code, const std::string& text, const char* begin, const char* at) {
    ClearError();
    SetError(code, nullptr, nullptr, TIXML_ENCODING_UNKNOWN);
    ownError_ = text;
    ownRow_ = 1;
    ownColumn_ = 1;
    for (const char* p = begin; p < at; ++p) {
        if (*p == '\n') {
            ++ownRow_;
            ownColumn_ = 1;
        } else {
            ++ownColumn_;
        }
    }
}

bool XmlDocument::ParseText(const char* text, size_t length, TiXmlEncoding encoding) {
    Clear();
    location.Clear();
    ownError_.clear();
    bool tooDeep = false;
    if (const char* at = FindLimitBreach(text, length, tooDeep)) {
        SetOwnError(TIXML_ERROR_PARSING_ELEMENT,
                    tooDeep ? "Error parsing Element: nested deeper than " + std::to_string(kMaxDepth) + " levels"
                            : "Error parsing Element: more than " + std::to_string(kMaxAttributes) + " attributes",
                    text, at);
        return false;
    }
    const char* stop = Parse(text, nullptr, encoding);
    if (Error()) return false;
    // The parser may stop early without an error (a stray ']', a DOCTYPE with an internal
    // subset): what it did not read makes the document broken.
    if (stop) {
        while (*stop == ' ' || *stop == '\t' || *stop == '\n') ++stop;
        if (*stop) {
            SetOwnError(TIXML_ERROR, "Error: the text could not be read past this point", text, stop);
            return false;
        }
    }
    return true;
}

bool XmlDocument::SaveFile(const char* name) const {
    if (!name) return false;
    const std::string native = zor::ToNativeFileName(name);
    FILE* file = nullptr;
    if (fopen_s(&file, native.c_str(), "w") != 0 || !file) return false;
    bool result = TiXmlDocument::SaveFile(file);
    result = std::fclose(file) == 0 && result;
    if (!result || !IsScrambledName(native.c_str())) return result;

    // Scramble what was written; a file left in plain text under an XMLX name is a failure.
    if (fopen_s(&file, native.c_str(), "rb+") != 0 || !file) return false;
    bool scrambled = false;
    long length = 0;
    if (std::fseek(file, 0, SEEK_END) == 0) length = std::ftell(file);
    if (length > 0 && std::fseek(file, 0, SEEK_SET) == 0) {
        std::unique_ptr<char[]> bytes(new char[static_cast<size_t>(length)]);
        if (std::fread(bytes.get(), 1, static_cast<size_t>(length), file) == static_cast<size_t>(length)) {
            Scramble(bytes.get(), static_cast<size_t>(length));
            scrambled = std::fseek(file, 0, SEEK_SET) == 0 &&
                        std::fwrite(bytes.get(), 1, static_cast<size_t>(length), file) == static_cast<size_t>(length);
        }
    }
    return std::fclose(file) == 0 && scrambled;
}
