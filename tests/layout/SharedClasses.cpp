// Every class whose table of virtual operations other modules call by position, as a final class
// of its own here (named in the dumps, every slot filled), instantiated as the module
// instantiates it, so that a compiler's dump of the tables shows them all. Only compiled (for
// Microsoft's ABI and for Itanium's), never linked: see vtable_layout_test.sh.
#include "DailyActivity/DailyActivityTypes.h"
#include "DailyActivity/IDailyActivity.h"
#include "DailyActivity/IRoleDailyActivityInfo.h"
#include "event/Dispatcher.h"
#include "event/Function.h"
#include "event/Signal.h"
#include "plugin/IEntityObject.h"
#include "plugin/IPluginContainer.h"
#include "resource/StringTable.h"
#include "zor/Lua.h"
#include "zor/Object.h"
#include "zor/vector.h"

namespace layout {

// A table is written where a class's object is made: each class is made here once.
template <class T>
void Make() {
    T* object = new T();
    delete object;
}

struct Entity final : IEntityObject {
    const std::type_info& GetInterfaceType() const override { return typeid(Entity); }
    void EntityHook() override {}
};
struct Container final : IPluginContainer {
    const std::type_info& GetInterfaceType() const override { return typeid(Container); }
    void EntityHook() override {}
    const GUID& GetContainerID() const override {
        static const GUID id{};
        return id;
    }
};
struct RoleInfo final : IRoleDailyActivityInfo {
    bool GetCompleteNum(const int&, int&) const override { return true; }
};
struct Service final : qrn::IDailyActivity {
    IRoleDailyActivityInfo* GetRoleDailyActivityInfo() override { return nullptr; }
    bool CanSignIn() override { return false; }
    bool RequestSignIn() override { return false; }
    bool CanTakeActivityReward(const int&) override { return false; }
    bool RequestActivityReward(const int&) override { return false; }
    const _ActivityReward& GetActivityReward(const int&) override { return reward; }
    __int64 GetSignInFlags() override { return 0; }
    int GetSignInCount() override { return 0; }
    bool CanTakeSignInReward(const int&, const int&) override { return false; }
    bool RequestSignInReward(const int&, const int&) override { return false; }
    const _SignInReward& GetSignInReward(const int&) override { return signIn; }
    bool CanTakeHolidayAward(const int&) override { return false; }
    bool RequestHolidayAward(const int&) override { return false; }
    bool RequestValue64() override { return false; }
    _ActivityReward reward;
    _SignInReward signIn;
};
struct Int64Vector final : zor::vector<__int64> {};
struct ItemVector final : zor::vector<_SignInItemReward> {};
struct VoidInvoker final : zor::function::Invoker<void()> {
    void Invoke() override {}
    const std::type_info& GetType() const override { return typeid(VoidInvoker); }
    Invoker* Clone() const override { return nullptr; }
    bool IsEqual(const Invoker*) const override { return false; }
    void Destroy() override {}
};
struct Helper final : zor::function::FunctionHelper<void()> {};
struct VoidSignal final : zor::Signal<void()> {};
struct IntSignal final : zor::Signal<void(int)> {};
struct Int64Signal final : zor::Signal<void(__int64)> {};
struct Dispatcher final : MsgDispatcher {};
struct Tables final : StringTable {};
struct LuaPart final : zor::lua::LuaState {
    LuaPart() : LuaState(nullptr) {}
};
struct VmPointer final : zor::ObjectPtrT<zor::lua::VM> {};

void MakeAll() {
    Make<Entity>();
    Make<Container>();
    Make<RoleInfo>();
    Make<Service>();
    Make<Int64Vector>();
    Make<ItemVector>();
    Make<VoidInvoker>();
    Make<Helper>();
    Make<VoidSignal>();
    Make<IntSignal>();
    Make<Int64Signal>();
    Make<Dispatcher>();
    Make<Tables>();
    Make<LuaPart>();
    Make<VmPointer>();
}

}  // namespace layout
