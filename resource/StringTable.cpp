#include "resource/StringTable.h"

#include "event/Function.h"
#include "logging/LogHelpers.h"
#include "resource/ResourcePack.h"
#include "resource/XmlDocument.h"
#include "zor/Files.h"

const std::string& StringTable::EmptyText() {
    static const std::string empty;
    return empty;
}

namespace {
// A table name is one file name in config/StringTable/: nothing that leads elsewhere.
bool IsPlainTableName(const std::string& table) {
    return !table.empty() && table.find_first_of("/\\:") == std::string::npos && table.find("..") == std::string::npos &&
           table.find('\0') == std::string::npos;
}
}  // namespace

bool StringTable::LoadTable(const std::string& table) {
    tables_[table];  // present (and empty) from here on, whatever the file holds
    if (!IsPlainTableName(table)) return false;
    std::string fileName = FormatString("%s/config/StringTable/%s.xml", zor::GetConfigDirectory(), table);
    if (ResourcePack::GetInstance().IsActive()) fileName = FormatString("config/StringTable/%s.xml", table);

    XmlDocument document;
    if (!document.LoadFile(fileName.c_str(), TIXML_ENCODING_UNKNOWN)) return false;
    return ReadEntries(table, document);
}

bool StringTable::ReadEntries(const std::string& table, const TiXmlDocument& document) {
    auto& entries = tables_[table];
    const TiXmlElement* root = document.RootElement();
    if (!root) return false;
    for (const TiXmlElement* entry = root->FirstChildElement(); entry; entry = entry->NextSiblingElement()) {
        const char* key = entry->Value();
        if (!key || !*key) continue;
        const TiXmlNode* first = entry->FirstChild();
        if (!first) continue;
        const TiXmlText* text = first->ToText();
        if (!text || !text->Value()) continue;
        Store(entries, key, text->Value());
    }
    return true;
}

void StringTable::Store(std::unordered_map<std::string, const std::string*>& table, const std::string& key,
                        const char* text) {
    auto it = table.find(key);
    if (it != table.end() && *it->second == text) return;
    texts_.emplace_back(text);
    table[key] = &texts_.back();
}

const std::string& StringTable::GetString(const std::string& table, const std::string& key) {
    const std::string& empty = EmptyText();
    auto found = tables_.find(table);
    if (found == tables_.end()) {
        if (!LoadTable(table)) return empty;
        found = tables_.find(table);
        if (found == tables_.end()) return empty;  // a derived LoadTable may store nothing
    }
    auto text = found->second.find(key);
    return text == found->second.end() ? empty : *text->second;
}

const std::string& GetTableString(const std::string& table, const std::string& key) {
    static StringTable* service = static_cast<StringTable*>(
        zor::GetGlobalObject("StringTableObject", zor::Function<void*()>(StringTableCreator())));
    if (!service) return StringTable::EmptyText();
    return service->GetString(table, key);
}

const std::string& GetCommonString(const std::string& key) { return GetTableString("common", key); }
