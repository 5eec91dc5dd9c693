# The searches of a Windows cross build (included by the Windows toolchain files, with
# CMAKE_FIND_ROOT_PATH holding the target's own folders): libraries, headers and packages come
# from those folders alone, programs (the code generator) from the build machine. Used from an
# SDK (share/QRNDailyActivity/toolchain/ of an unpacked archive), the SDK is searched too, so that
# -DCMAKE_PREFIX_PATH=SDK finds its package.
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
