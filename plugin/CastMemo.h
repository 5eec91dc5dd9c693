// A dynamic_cast that remembers its last answer. Casts between a module's interfaces and the
// host's objects compare type names (each module holds its own type_info copies), which costs
// more than the rest of a pre-check; objects such as a role's components are asked for again
// and again, so the last cast is kept.
#pragma once

#include <typeinfo>

namespace zor {

template <class To, class From>
class CastMemo {
public:
    // dynamic_cast<To*>(from). The answer is reused while the same pointer designates a
    // subobject of an object of the same dynamic type at the same address: the cast depends
    // on nothing else.
    To* operator()(From* from) {
        if (!from) return nullptr;
        const std::type_info* type = &typeid(*from);
        const void* object = dynamic_cast<const void*>(from);
        if (from != from_ || type != type_ || object != object_) {
            to_ = dynamic_cast<To*>(from);
            from_ = from;
            type_ = type;
            object_ = object;
        }
        return to_;
    }

private:
    From* from_ = nullptr;
    const std::type_info* type_ = nullptr;
    const void* object_ = nullptr;
    To* to_ = nullptr;
};

}  // namespace zor
