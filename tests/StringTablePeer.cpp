// Another module of the process that shares the string table service, written by another team
// from the shared contract alone: its StringTable has two operations, LoadTable and GetString,
// in this order and nothing before them. Loaded by file name; its own symbols stay inside.
#include <map>
#include <string>

#include "event/Function.h"
#include "zor/Files.h"

#ifdef _WIN32
#define PEER_API extern "C" __declspec(dllexport)
#else
#define PEER_API extern "C" __attribute__((visibility("default")))
#endif

class StringTable {
public:
    virtual bool LoadTable(const std::string& table) {
        tables_[table]["FiveElements_Wood"] = "peer:" + table;
        return true;
    }
    virtual const std::string& GetString(const std::string& table, const std::string& key) {
        static const std::string empty;
        auto t = tables_.find(table);
        if (t == tables_.end() && LoadTable(table)) t = tables_.find(table);
        auto text = t->second.find(key);
        return text == t->second.end() ? empty : text->second;
    }

private:
    std::map<std::string, std::map<std::string, std::string>> tables_;
};

namespace {

struct PeerCreator {
    void* operator()() const { return new StringTable(); }
    bool operator==(const PeerCreator&) const { return true; }
};

StringTable* Registered() {
    return static_cast<StringTable*>(zor::GetGlobalObject("StringTableObject", zor::Function<void*()>(PeerCreator())));
}

}  // namespace

// Registers the peer's service unless one is registered already.
PEER_API void PeerRegisterService() { Registered(); }
// Uses whatever service is registered, through the contract's two slots.
PEER_API bool PeerLoadTableBySlot(const char* table) { return Registered()->LoadTable(table); }
PEER_API const char* PeerGetStringBySlot(const char* table, const char* key) {
    return Registered()->GetString(table, key).c_str();
}
