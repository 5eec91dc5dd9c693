# Cross-building for 64-bit Windows with Debian's MinGW-w64 (the posix-threads variant: the
# win32 one has no std::mutex). QRN_WINDOWS_DEPS names the folder holding the Windows builds of
# the dependencies (scripts/windows.sh makes it).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(QRN_WINDOWS_DEPS "$ENV{QRN_WINDOWS_DEPS}" CACHE PATH "Windows builds of the dependencies")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QRN_WINDOWS_DEPS)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${QRN_WINDOWS_DEPS})
include(${CMAKE_CURRENT_LIST_DIR}/windows-find.cmake)
