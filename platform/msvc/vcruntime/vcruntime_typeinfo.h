// type_info as Microsoft's C++ runtime lays it out: the table pointer, the cached readable name
// and the decorated name that the compiler writes into every type descriptor. Comparison, hash
// and the readable name come from the runtime DLL; the table of virtual functions and the list
// of readable names are each module's own (see platform/msvc/runtime).
#pragma once

#include <vcruntime.h>
#include <vcruntime_exception.h>

#pragma pack(push, 8)

extern "C" {
struct __std_type_info_data {
    const char* _UndecoratedName;
    const char _DecoratedName[1];
};
// The module's list of readable names the runtime made (an interlocked list head).
struct alignas(16) __type_info_node {
    void* _Header[2];
};
extern __type_info_node __type_info_root_node;

__declspec(dllimport) int __cdecl __std_type_info_compare(const __std_type_info_data* a, const __std_type_info_data* b);
__declspec(dllimport) size_t __cdecl __std_type_info_hash(const __std_type_info_data* data);
__declspec(dllimport) const char* __cdecl __std_type_info_name(__std_type_info_data* data, __type_info_node* root);
}

// In the global namespace, as the compiler's type descriptors name it.
class type_info {
public:
    type_info(const type_info&) = delete;
    type_info& operator=(const type_info&) = delete;

    size_t hash_code() const noexcept { return __std_type_info_hash(&_Data); }
    bool operator==(const type_info& other) const noexcept { return __std_type_info_compare(&_Data, &other._Data) == 0; }
    bool operator!=(const type_info& other) const noexcept { return !(*this == other); }
    bool before(const type_info& other) const noexcept { return __std_type_info_compare(&_Data, &other._Data) < 0; }
    // "class std::vector<...>", as the runtime undecorates it.
    const char* name() const noexcept { return __std_type_info_name(&_Data, &__type_info_root_node); }
    const char* raw_name() const noexcept { return _Data._DecoratedName; }

    virtual ~type_info() noexcept;

private:
    mutable __std_type_info_data _Data;
};

namespace std {

using ::type_info;

class bad_cast : public exception {
public:
    bad_cast() noexcept : exception("bad cast", 1) {}
    static bad_cast __construct_from_string_literal(const char* const message) noexcept { return bad_cast(message, 1); }

private:
    bad_cast(const char* const message, int) noexcept : exception(message, 1) {}
};

class bad_typeid : public exception {
public:
    bad_typeid() noexcept : exception("bad typeid", 1) {}
    static bad_typeid __construct_from_string_literal(const char* const message) noexcept {
        return bad_typeid(message, 1);
    }

private:
    friend class __non_rtti_object;
    bad_typeid(const char* const message, int) noexcept : exception(message, 1) {}
};

class __non_rtti_object : public bad_typeid {
public:
    static __non_rtti_object __construct_from_string_literal(const char* const message) noexcept {
        return __non_rtti_object(message, 1);
    }

private:
    __non_rtti_object(const char* const message, int) noexcept : bad_typeid(message, 1) {}
};

}  // namespace std

#pragma pack(pop)
