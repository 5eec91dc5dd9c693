// Checks the tables of virtual operations that other modules call by position, slot by slot,
// against the table below (the order every module relies on), in both C++ ABIs:
//   vtable_layout_check MICROSOFT_DUMP ITANIUM_DUMP GCC_DUMP
// MICROSOFT_DUMP and ITANIUM_DUMP: clang's -fdump-vtable-layouts of tests/layout/SharedClasses.cpp
// for x86_64-pc-windows-msvc and for Linux (operation names with their parameters); GCC_DUMP:
// GCC's -fdump-lang-class of the same file (names only). Microsoft's ABI gives the destructor one
// slot, Itanium's two (complete, deleting) at the same place. Exit status 1 on any difference.
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

// One class: its name in the dumps, what it stands for, and its operations in slot order (as
// "name(parameters) const"; "~" is the destructor), parameters as the source spells them.
struct Table {
    const char* dumpName;
    const char* what;
    std::vector<std::string> slots;
};

const std::vector<std::string> kEntity = {"~", "GetInterfaceType() const", "EntityHook()", "GetEntityType() const",
                                          "GetEntityID() const", "GetEntityName() const"};

std::vector<std::string> Container() {
    std::vector<std::string> slots = kEntity;
    for (const char* s : {"GetContainerName() const", "GetInterfaceName() const",
                          "OnSiblingRegistered(IPluginContainer *)", "OnSiblingUnregistered(IPluginContainer *)",
                          "OnPrepareStart()", "OnStart()", "OnPrepareShutdown()", "OnShutdown()",
                          "DoPrepareParentStart()", "DoParentStart()", "DoPrepareParentShutdown()", "DoParentShutdown()",
                          "GetParentContainer() const", "GetContainerID() const", "GetStartOrder() const",
                          "SetContainerName(const zor::String &)", "RegisterChildContainer(IPluginContainer *)",
                          "UnregisterChildContainer(IPluginContainer *)", "FindChildContainer(const GUID &)",
                          "StartContainer()", "ShutdownContainer()", "IsContainerPrepared() const",
                          "IsContainerActive() const", "IsContainerReady() const"}) {
        slots.push_back(s);
    }
    return slots;
}

std::vector<std::string> Service() {
    std::vector<std::string> slots = Container();
    for (const char* s : {"GetRoleDailyActivityInfo()", "CanSignIn()", "RequestSignIn()",
                          "CanTakeActivityReward(const int &)", "RequestActivityReward(const int &)",
                          "GetActivityReward(const int &)", "GetSignInFlags()", "GetSignInCount()",
                          "CanTakeSignInReward(const int &, const int &)", "RequestSignInReward(const int &, const int &)",
                          "GetSignInReward(const int &)", "CanTakeHolidayAward(const int &)",
                          "RequestHolidayAward(const int &)", "RequestValue64()"}) {
        slots.push_back(s);
    }
    return slots;
}

std::vector<std::string> RoleInfo() {
    std::vector<std::string> slots = kEntity;
    slots.push_back("GetCompleteNum(const int &, int &) const");
    return slots;
}

const std::vector<std::string> kVector = {
    "~", "reserve(size_type)", "capacity() const", "begin() const", "begin()", "end() const", "end()",
    "rbegin() const", "rbegin()", "rend() const", "rend()", "resize(size_type, T)", "resize(size_type)",
    "size() const", "max_size() const", "empty() const", "at(size_type)", "at(size_type) const",
    "operator[](size_type)", "operator[](size_type) const", "front() const", "front()", "back() const", "back()",
    "push_back(const T &)", "pop_back()", "assign(size_type, const T &)", "assign(const T *, const T *)",
    "assign(const_iterator, const_iterator)", "insert(iterator, const_iterator, const_iterator)",
    "insert(iterator, size_type, const T &)", "insert(iterator, const T &)", "erase(iterator, iterator)",
    "erase(iterator)", "clear()"};

const std::vector<std::string> kSignal = {"~", "Emit(Args...)", "DisconnectAll()", "Connect(FunctionType)",
                                          "Disconnect(FunctionType)", "operator+=(FunctionType)",
                                          "operator-=(FunctionType)", "Count() const"};

const std::vector<Table> kTables = {
    {"layout::Entity", "IEntityObject", kEntity},
    {"layout::Container", "IPluginContainer", Container()},
    {"layout::Service", "qrn::IDailyActivity", Service()},
    {"layout::RoleInfo", "IRoleDailyActivityInfo", RoleInfo()},
    {"layout::Int64Vector", "zor::vector<__int64>", kVector},
    {"layout::ItemVector", "zor::vector<_SignInItemReward>", kVector},
    {"layout::VoidInvoker", "zor::function::Invoker<void()>",
     {"Invoke()", "GetType() const", "Clone() const", "IsEqual(const Invoker<void ()> *) const", "Destroy()", "~"}},
    {"layout::Helper", "zor::function::FunctionHelper<void()>", {"~"}},
    {"layout::VoidSignal", "zor::Signal<void()>", kSignal},
    {"layout::IntSignal", "zor::Signal<void(int)>", kSignal},
    {"layout::Int64Signal", "zor::Signal<void(__int64)>", kSignal},
    {"layout::Dispatcher", "DispatcherBase (MsgDispatcher)",
     {"~", "Register(Key, Handler)", "Unregister(Key)", "Find(Key)", "UnregisterAll()"}},
    {"layout::LuaPart", "zor::lua::LuaState (the VM's Lua-state part)",
     {"ReportError(int, const char *)", "PushFunction(const char *)", "PushInteger(int)", "Execute(int, int)", "~"}},
    {"layout::Tables", "StringTable",
     {"LoadTable(const std::string &)", "GetString(const std::string &, const std::string &)"}},
    {"layout::VmPointer", "zor::ObjectPtrT<zor::lua::VM>", {"~"}},
};

using Dump = std::map<std::string, std::vector<std::string>>;

bool EndsWith(const std::string& s, const std::string& end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

// The unqualified name ending at `end` in a qualified name ("A<B::C>::f" gives "f"); a
// destructor is "~".
std::string LastName(const std::string& s, size_t end) {
    int depth = 0;
    size_t i = end;
    while (i > 0) {
        const char c = s[i - 1];
        if (c == '>') ++depth;
        if (c == '<') --depth;
        if (depth == 0 && c == ':' && i >= 2 && s[i - 2] == ':') break;
        if (depth == 0 && (c == ' ' || c == '*' || c == '&')) break;
        --i;
    }
    const std::string name = s.substr(i, end - i);
    return name.compare(0, 1, "~") == 0 ? "~" : name;
}

// Where the bracket that closes text (its last character) opens.
size_t Opening(const std::string& text, char open, char close) {
    int depth = 0;
    size_t i = text.size();
    while (i > 0) {
        const char c = text[--i];
        if (c == close) ++depth;
        if (c == open && --depth == 0) break;
    }
    return i;
}

// "const std::type_info &A::f() const [pure]" gives "f() const"; "" when it is no operation.
std::string ClangOperation(std::string text) {
    while (EndsWith(text, "]")) {  // annotations: [pure], [scalar deleting], [T = ...]
        const size_t i = Opening(text, '[', ']');
        const bool annotation = i > 0 && text[i - 1] == ' ';
        if (!annotation) break;
        text.erase(i - 1);
    }
    std::string qualifier;
    if (EndsWith(text, " const")) {
        qualifier = " const";
        text.erase(text.size() - qualifier.size());
    }
    if (!EndsWith(text, ")")) return "";
    const size_t open = Opening(text, '(', ')');
    const std::string name = LastName(text, open);
    return name == "~" ? name : name + text.substr(open) + qualifier;
}

// clang's dumps: "VFTable for 'A' in 'B' (N entries)." (Microsoft's, named by the last class) or
// "Vtable for 'B' (N entries)." (Itanium's), then "  N | operation" lines up to a blank line.
Dump ReadClangDump(const char* path) {
    Dump dump;
    std::ifstream in(path);
    std::string line, current;
    bool keep = false;
    while (std::getline(in, line)) {
        if (line.compare(0, 12, "VFTable for ") == 0 || line.compare(0, 11, "Vtable for ") == 0) {
            const size_t close = line.rfind("' (");
            const size_t open = close == std::string::npos ? close : line.rfind('\'', close - 1);
            current = open == std::string::npos ? std::string() : line.substr(open + 1, close - open - 1);
            keep = !current.empty() && dump.find(current) == dump.end();  // the first of repeated dumps
            if (keep) dump[current];
            continue;
        }
        if (line.empty()) {
            keep = false;
            continue;
        }
        const size_t bar = line.find(" | ");
        if (!keep || bar == std::string::npos) continue;
        const std::string entry = line.substr(bar + 3);
        if (entry.compare(0, 14, "offset_to_top ") == 0 || EndsWith(entry, " RTTI")) continue;
        const std::string operation = ClangOperation(entry);
        if (!operation.empty()) dump[current].push_back(operation);
    }
    return dump;
}

// GCC's dump: "Vtable for B", a line naming the table, then "OFFSET  (int (*)(...))NAME" lines up
// to a blank line; the first two entries are the offset to the top and the type information.
Dump ReadGccDump(const char* path) {
    Dump dump;
    std::ifstream in(path);
    std::string line, current;
    bool keep = false;
    int line_in_table = 0;
    while (std::getline(in, line)) {
        if (line.compare(0, 11, "Vtable for ") == 0) {
            current = line.substr(11);
            keep = dump.find(current) == dump.end();
            if (keep) dump[current];
            line_in_table = 0;
            continue;
        }
        if (!keep || line.empty()) {
            keep = false;
            continue;
        }
        if (++line_in_table <= 3) continue;  // the table's name, the offset to the top, the type information
        const std::string prefix = "(int (*)(...))";
        const size_t at = line.find(prefix);
        const std::string name = at == std::string::npos ? line : line.substr(at + prefix.size());
        dump[current].push_back(LastName(name, name.size()));
    }
    return dump;
}

std::string NameOf(const std::string& operation) {
    const size_t open = operation.find('(');
    return open == std::string::npos ? operation : operation.substr(0, open);
}

int Compare(const char* abi, const Dump& dump, bool itanium, bool namesOnly) {
    int differences = 0;
    for (const Table& table : kTables) {
        std::vector<std::string> expected;
        for (const std::string& slot : table.slots) {
            const int copies = itanium && slot == "~" ? 2 : 1;
            for (int i = 0; i < copies; ++i) expected.push_back(namesOnly ? NameOf(slot) : slot);
        }
        auto found = dump.find(table.dumpName);
        if (found == dump.end()) {
            std::printf("%s: %s: no table in the dump\n", abi, table.what);
            ++differences;
            continue;
        }
        const std::vector<std::string>& actual = found->second;
        for (size_t i = 0; i < expected.size() || i < actual.size(); ++i) {
            const std::string want = i < expected.size() ? expected[i] : "(none)";
            const std::string got = i < actual.size() ? actual[i] : "(none)";
            if (want != got) {
                std::printf("%s: %s slot %zu: expected %s, found %s\n", abi, table.what, i, want.c_str(), got.c_str());
                ++differences;
            }
        }
    }
    return differences;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: vtable_layout_check MICROSOFT_DUMP ITANIUM_DUMP GCC_DUMP\n");
        return 2;
    }
    int differences = Compare("Microsoft's ABI", ReadClangDump(argv[1]), false, false);
    differences += Compare("Itanium's ABI (clang)", ReadClangDump(argv[2]), true, false);
    differences += Compare("Itanium's ABI (GCC)", ReadGccDump(argv[3]), true, true);
    if (differences == 0) std::printf("every slot of %zu classes in its place in both ABIs\n", kTables.size());
    return differences == 0 ? 0 : 1;
}
