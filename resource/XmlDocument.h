// TinyXML's document with the loading and saving the game uses: files from the resource
// pack when it is active, scrambled "XMLX" files, and one line-end rule for every source.
// Error codes and texts are TinyXML's.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include <tinyxml.h>

class ResourcePack;

class XmlDocument : public TiXmlDocument {
public:
    // The one-byte mask of scrambled XML: every byte of the file is the text's byte XOR it.
    static constexpr unsigned char kScrambleMask = 0x6B;
    static void Scramble(char* bytes, size_t length);
    // Whether a file name has the extension XMLX, in any letter case.
    static bool IsScrambledName(const char* name);

    // Zero bytes behind every text handed to the parser. TinyXML steps over a whole UTF-8
    // sequence (up to 4 bytes) before it looks at a byte again, so a text that ends inside a
    // sequence would lead it past the terminating zero.
    static constexpr size_t kParsePadding = 8;
    // Limits checked before the parser sees a text: it recurses once per element level, and
    // compares each attribute with all earlier ones of its element. Our files are a few
    // levels deep with a handful of attributes.
    static constexpr int kMaxDepth = 1000;
    static constexpr int kMaxAttributes = 1000;

    XmlDocument() = default;
    explicit XmlDocument(const char* name) : TiXmlDocument(name) {}

    // Loads name (made native first) through the process-wide resource pack when it is
    // active and skipPack is false, from disk otherwise. From disk, an XMLX name is
    // unscrambled; from the pack, bytes are parsed as they come.
    bool LoadFile(const char* name, TiXmlEncoding encoding = TIXML_DEFAULT_ENCODING, bool skipPack = false);
    bool LoadFile(const std::string& name, TiXmlEncoding encoding = TIXML_DEFAULT_ENCODING);
    // The stored name.
    bool LoadFile(TiXmlEncoding encoding = TIXML_DEFAULT_ENCODING);
    bool LoadFile(FILE* file, TiXmlEncoding encoding = TIXML_DEFAULT_ENCODING);
    bool LoadScrambledFile(FILE* file, TiXmlEncoding encoding = TIXML_DEFAULT_ENCODING);
    // The same routine with a given pack instead of the process-wide one.
    bool LoadFileThrough(const ResourcePack& pack, const char* name, TiXmlEncoding encoding, bool skipPack);

    // Parses length bytes (up to a zero byte). CR LF and lone CR become LF. A text nested
    // deeper than kMaxDepth, with an element of more than kMaxAttributes attributes, or that
    // is not read to its end is refused with TinyXML's parse error codes.
    bool LoadMemory(const char* block, int length, TiXmlEncoding encoding = TIXML_DEFAULT_ENCODING);

    // TinyXML's error, or the one of the checks above (whose text and place TinyXML cannot
    // hold). Hide the base class's: use them through an XmlDocument.
    const char* ErrorDesc() const { return ownError_.empty() ? TiXmlDocument::ErrorDesc() : ownError_.c_str(); }
    int ErrorRow() const { return ownError_.empty() ? TiXmlDocument::ErrorRow() : ownRow_; }
    int ErrorCol() const { return ownError_.empty() ? TiXmlDocument::ErrorCol() : ownColumn_; }

    // Writes the document (name made native first); an XMLX name is scrambled after writing.
    // False when the file could not be written or scrambled.
    bool SaveFile(const char* name) const;
    bool SaveFile(const std::string& name) const { return SaveFile(name.c_str()); }
    bool SaveFile() const { return SaveFile(Value()); }
    bool SaveFile(FILE* file) const { return TiXmlDocument::SaveFile(file); }

private:
    bool ReadWhole(FILE* file, TiXmlEncoding encoding, bool scrambled);
    void SetFileError(int code) { SetError(code, nullptr, nullptr, TIXML_ENCODING_UNKNOWN); }
    // A buffer of size + 1 + kParsePadding bytes, zeroed behind size.
    static std::unique_ptr<char[]> NewTextBuffer(size_t size);
    // Empties the document and parses text (normalised, zero-terminated, padded) after the
    // checks of LoadMemory.
    bool ParseText(const char* text, size_t length, TiXmlEncoding encoding);
    void SetOwnError(int code, const std::string& text, const char* begin, const char* at);

    std::string ownError_;
    int ownRow_ = 0;
    int ownColumn_ = 0;
};
