// Another module of the process that shares the string table service: built from the same
// sources, loaded by file name, with its own copy of everything.
#include <string>

#include "event/Function.h"
#include "resource/StringTable.h"
#include "zor/Files.h"

#define PEER_API extern "C" __attribute__((visibility("default")))

// The service as another team declares it from the shared contract: two operations in this
// order, nothing before them. External linkage: the compiler may not assume it sees every
// implementation.
namespace contract {
class SharedStringTable {
public:
    virtual bool LoadTable(const std::string& table) = 0;
    virtual const std::string& GetString(const std::string& table, const std::string& key) = 0;

protected:
    ~SharedStringTable() = default;
};
}  // namespace contract
using contract::SharedStringTable;

namespace {

SharedStringTable* Registered() {
    return static_cast<SharedStringTable*>(
        zor::GetGlobalObject("StringTableObject", zor::Function<void*()>(StringTableCreator())));
}

}  // namespace

// Looks a text up through the peer's own copy of the service code (which registers the
// peer's service when none is registered yet).
PEER_API const char* PeerGetCommonString(const char* key) { return GetCommonString(key).c_str(); }

// Uses whatever service is registered through the contract's two slots.
PEER_API bool PeerLoadTableBySlot(const char* table) { return Registered()->LoadTable(table); }
PEER_API const char* PeerGetStringBySlot(const char* table, const char* key) {
    return Registered()->GetString(table, key).c_str();
}
