// Wine's io.h maps open and sopen to _open and _sopen with macros, which also rename every other
// function of that name (protobuf's win32::open, say): inline functions instead.
#pragma once
#include_next <io.h>
#include <fcntl.h>
#include <stdarg.h>

#undef open
#undef sopen
static inline int open(const char* path, int flags, ...) {
    int mode = 0;
    if (flags & _O_CREAT) {
        va_list args;
        va_start(args, flags);
        mode = va_arg(args, int);
        va_end(args);
    }
    return _open(path, flags, mode);
}
static inline int sopen(const char* path, int flags, int share, ...) {
    int mode = 0;
    if (flags & _O_CREAT) {
        va_list args;
        va_start(args, share);
        mode = va_arg(args, int);
        va_end(args);
    }
    return _sopen(path, flags, share, mode);
}
