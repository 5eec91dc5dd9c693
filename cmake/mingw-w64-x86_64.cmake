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
# Used from an SDK (share/QRNDailyActivity/toolchain/ of an unpacked archive), the SDK is searched
# too: -DCMAKE_PREFIX_PATH=SDK finds its package.
get_filename_component(qrn_sdk_root "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
if(EXISTS "${qrn_sdk_root}/lib/cmake/QRNDailyActivity/QRNDailyActivityConfig.cmake")
  list(APPEND CMAKE_FIND_ROOT_PATH "${qrn_sdk_root}")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config answers from the dependency folder only, never from the build machine's own.
set(ENV{PKG_CONFIG_LIBDIR} "${QRN_WINDOWS_DEPS}/lib/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
# The code generator runs on the build machine.
set(Protobuf_PROTOC_EXECUTABLE /usr/bin/protoc CACHE FILEPATH "protoc of the build machine")
