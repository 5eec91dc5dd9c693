// A program's entry point: tells the C runtime about the program and its arguments, makes the
// module's statics, runs main and exits with its result.
#include <corecrt_startup.h>
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

#include "Runtime.h"

extern "C" int main(int argc, char** argv, char** envp);

namespace {

// A program whose exception nobody handled ends with a status that says so: the default
// handling may end it as if all went well (under Wine, with no debugger to start). A C++
// exception ends as std::terminate would end it.
LONG WINAPI Unhandled(EXCEPTION_POINTERS* info) {
    const DWORD code = info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionCode : 0;
    if (code == 0xE06D7363) abort();  // Microsoft's code for a C++ exception
    fprintf(stderr, "unhandled exception 0x%08lX at %p\n", static_cast<unsigned long>(code),
            info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionAddress : nullptr);
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), code ? code : 1);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

extern "C" int mainCRTStartup() {
    SetUnhandledExceptionFilter(Unhandled);
    _set_app_type(_crt_console_app);
    if (_configure_narrow_argv(_crt_argv_unexpanded_arguments) != 0 || _initialize_narrow_environment() != 0 ||
        !qrn_runtime::InitModule(false)) {
        return 255;
    }
    exit(main(*__p___argc(), *__p___argv(), _get_initial_narrow_environment()));
}
