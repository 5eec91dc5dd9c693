// The process-wide string table service: named tables of display texts, loaded on first use
// from config/StringTable/<table>.xml. One service per process, shared by every module
// through the core library's registry under "StringTableObject".
#pragma once

#include <deque>
#include <string>
#include <unordered_map>

class TiXmlDocument;

// The table of virtual operations is shared with every module of the process, which calls the
// service it finds in the registry by slot: LoadTable first, GetString second, nothing before
// them. So there is no virtual destructor: the shared service is never destroyed.
class StringTable {
public:
    StringTable() = default;
    StringTable(const StringTable&) = delete;
    StringTable& operator=(const StringTable&) = delete;

    // Reads the table's file into the table (made present and empty first). Keys in the file
    // are stored again; other keys keep their texts. False when the file cannot be read or
    // has no root element, or when the name could reach outside config/StringTable/ (a path
    // separator, "..", an empty name).
    /* slot 0 */ virtual bool LoadTable(const std::string& table);
    // The key's text; the shared empty text when the table or the key is missing. A table is
    // loaded on its first look-up only, also when that load fails.
    /* slot 1 */ virtual const std::string& GetString(const std::string& table, const std::string& key);

    ~StringTable() = default;

    // The text returned for every failed look-up.
    static const std::string& EmptyText();

    // The entries of a loaded document (the root's child elements) into table.
    bool ReadEntries(const std::string& table, const TiXmlDocument& document);

private:
    void Store(std::unordered_map<std::string, const std::string*>& table, const std::string& key, const char* text);

    // Table name -> key -> text. The texts live in texts_, which only grows: a stored text
    // never moves and is never freed, so references and character pointers handed out stay
    // valid for the life of the process, also when a reload replaces a key's text.
    std::unordered_map<std::string, std::unordered_map<std::string, const std::string*>> tables_;
    std::deque<std::string> texts_;
};

// Makes a new, empty service for the registry.
struct StringTableCreator {
    void* operator()() const { return new StringTable(); }
    bool operator==(const StringTableCreator&) const { return true; }
};

// The shared service's text for key in table.
const std::string& GetTableString(const std::string& table, const std::string& key);
// GetTableString("common", key).
const std::string& GetCommonString(const std::string& key);

// The five-element names from the table "common", filled while the module is loaded:
// Metal, Wood, Water, Fire, Earth, None. Each points at the text (empty when missing).
extern const char* FiveElementsNames[6];
