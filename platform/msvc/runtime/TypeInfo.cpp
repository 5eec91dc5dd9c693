// type_info's table of virtual functions and the module's list of readable type names. Every
// type descriptor the compiler writes points at the table, which Microsoft's ABI names
// ??_7type_info@@6B@; it is written here by hand (one slot, the deleting destructor), since
// type_info has no constructor that would make the compiler emit it.
#include <new>
#include <typeinfo>

#include "Runtime.h"

extern "C" {
__type_info_node __type_info_root_node{};
__declspec(dllimport) void __cdecl __std_type_info_destroy_list(__type_info_node* root);
}

type_info::~type_info() noexcept {}

namespace {
void* __cdecl DeletingDestructor(type_info* self, unsigned flags) {
    self->type_info::~type_info();
    if (flags & 1) ::operator delete(self);
    return self;
}
}  // namespace

extern "C" const void* const __qrn_type_info_table[1] __asm__("??_7type_info@@6B@") = {
    reinterpret_cast<const void*>(&DeletingDestructor),
};

namespace qrn_runtime {
void ReleaseTypeNames() { __std_type_info_destroy_list(&__type_info_root_node); }
}  // namespace qrn_runtime
