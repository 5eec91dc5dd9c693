// std::exception and its two runtime-defined kin, laid out as Microsoft's C++ runtime has them:
// the table pointer, then the message and whether the object owns a copy of it. Copies go
// through the runtime's own helpers, so an exception made in one module is copied and freed
// correctly in another.
#pragma once

#include <vcruntime.h>

#pragma pack(push, 8)

extern "C" {
struct __std_exception_data {
    const char* _What;
    bool _DoFree;
};
__declspec(dllimport) void __cdecl __std_exception_copy(const __std_exception_data* from, __std_exception_data* to);
__declspec(dllimport) void __cdecl __std_exception_destroy(__std_exception_data* data);
}

namespace std {

class exception {
public:
    exception() noexcept : _Data() {}
    // Keeps a copy of message.
    explicit exception(const char* const message) noexcept : _Data() {
        const __std_exception_data from = {message, true};
        __std_exception_copy(&from, &_Data);
    }
    // Refers to message, which must outlive the object (a literal).
    exception(const char* const message, int) noexcept : _Data() { _Data._What = message; }
    exception(const exception& other) noexcept : _Data() { __std_exception_copy(&other._Data, &_Data); }
    exception& operator=(const exception& other) noexcept {
        if (this != &other) {
            __std_exception_destroy(&_Data);
            __std_exception_copy(&other._Data, &_Data);
        }
        return *this;
    }
    virtual ~exception() noexcept { __std_exception_destroy(&_Data); }
    virtual const char* what() const { return _Data._What ? _Data._What : "Unknown exception"; }

private:
    __std_exception_data _Data;
};

class bad_exception : public exception {
public:
    bad_exception() noexcept : exception("bad exception", 1) {}
};

class bad_array_new_length;

class bad_alloc : public exception {
public:
    bad_alloc() noexcept : exception("bad allocation", 1) {}

private:
    friend class bad_array_new_length;
    explicit bad_alloc(const char* const message) noexcept : exception(message, 1) {}
};

class bad_array_new_length : public bad_alloc {
public:
    bad_array_new_length() noexcept : bad_alloc("bad array new length") {}
};

}  // namespace std

#pragma pack(pop)
