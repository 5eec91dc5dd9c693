// TinyXML's document with the loading and saving the game uses: files from the resource
// pack when it is active, scrambled "XMLX" files, and one line-end rule for every source.
// Error codes and texts are TinyXML's.
#pragma once

#include <cstdio>
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

    // Parses length bytes (up to a zero byte). CR LF and lone CR become LF.
    bool LoadMemory(const char* block, int length, TiXmlEncoding encoding = TIXML_DEFAULT_ENCODING);

    // Writes the document; an XMLX name is scrambled after writing. The scrambling does not
    // change the result.
    bool SaveFile(const char* name) const;
    bool SaveFile(const std::string& name) const { return SaveFile(name.c_str()); }
    bool SaveFile() const { return SaveFile(Value()); }
    bool SaveFile(FILE* file) const { return TiXmlDocument::SaveFile(file); }

private:
    bool ReadWhole(FILE* file, TiXmlEncoding encoding, bool scrambled);
    void SetFileError(int code) { SetError(code, nullptr, nullptr, TIXML_ENCODING_UNKNOWN); }
};
