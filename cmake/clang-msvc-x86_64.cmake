# Cross-building for 64-bit Windows in Microsoft's C++ ABI, the game client's, with Debian's
# clang 16 and lld-link: the C runtime is the system's ucrtbase.dll (Wine's headers declare it),
# C++ exceptions and type information come from vcruntime140.dll, the C++ library is libc++
# linked into each module, and what Microsoft's static runtime gives every module (entry points,
# atexit, operator new, thread-locals...) is platform/msvc/runtime.
#
# QRN_MSVC_SYSROOT names the folder that scripts/windows.sh makes (include/ and lib/ for this
# target); an SDK carries one beside this file.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

if(NOT QRN_MSVC_SYSROOT)
  if(DEFINED ENV{QRN_MSVC_SYSROOT})
    set(QRN_MSVC_SYSROOT "$ENV{QRN_MSVC_SYSROOT}")
  elseif(EXISTS "${CMAKE_CURRENT_LIST_DIR}/msvc-sysroot/include/vcruntime/vcruntime.h")
    set(QRN_MSVC_SYSROOT "${CMAKE_CURRENT_LIST_DIR}/msvc-sysroot")
  endif()
endif()
set(QRN_MSVC_SYSROOT "${QRN_MSVC_SYSROOT}" CACHE PATH "Headers and libraries for Windows in Microsoft's ABI")
if(NOT EXISTS "${QRN_MSVC_SYSROOT}/include/vcruntime/vcruntime.h")
  message(FATAL_ERROR "QRN_MSVC_SYSROOT (${QRN_MSVC_SYSROOT}) is no Microsoft-ABI runtime folder: run scripts/windows.sh msvc")
endif()
# Other folders of Windows builds of dependencies to search (find_package, pkg-config).
set(QRN_WINDOWS_DEPS "$ENV{QRN_WINDOWS_DEPS}" CACHE PATH "Windows builds of the dependencies")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QRN_MSVC_SYSROOT QRN_WINDOWS_DEPS)

set(CMAKE_C_COMPILER clang-16)
set(CMAKE_CXX_COMPILER clang++-16)
set(CMAKE_ASM_COMPILER clang-16)
set(CMAKE_C_COMPILER_TARGET x86_64-pc-windows-msvc)
set(CMAKE_CXX_COMPILER_TARGET x86_64-pc-windows-msvc)
set(CMAKE_ASM_COMPILER_TARGET x86_64-pc-windows-msvc)
set(CMAKE_AR llvm-ar-16 CACHE FILEPATH "")
set(CMAKE_RANLIB llvm-ranlib-16 CACHE FILEPATH "")
set(CMAKE_RC_COMPILER llvm-rc-16 CACHE FILEPATH "")
set(CMAKE_MT llvm-mt-16 CACHE FILEPATH "")
set(CMAKE_LINKER lld-link-16 CACHE FILEPATH "")

# The include order: libc++ (its C headers wrap the C runtime's), the stand-ins for Microsoft's
# runtime headers and the corrections to Wine's C headers, the compiler's own, then Wine's.
execute_process(COMMAND clang-16 -print-resource-dir OUTPUT_VARIABLE qrn_msvc_clang_dir OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE qrn_msvc_clang_found)
if(NOT qrn_msvc_clang_found EQUAL 0)
  message(FATAL_ERROR "clang-16 was not found (Debian package clang-16)")
endif()
set(qrn_msvc_wine_include /usr/include/wine/wine)
if(NOT EXISTS "${qrn_msvc_wine_include}/msvcrt/corecrt.h")
  message(FATAL_ERROR "Wine's C runtime headers were not found (Debian package libwine-dev)")
endif()
set(qrn_msvc_includes
    "${QRN_MSVC_SYSROOT}/include/c++/v1" "${QRN_MSVC_SYSROOT}/include/vcruntime" "${QRN_MSVC_SYSROOT}/include/crt"
    "${qrn_msvc_clang_dir}/include" "${qrn_msvc_wine_include}/msvcrt" "${qrn_msvc_wine_include}/windows")
set(qrn_msvc_flags "-nostdinc")
foreach(dir ${qrn_msvc_includes})
  string(APPEND qrn_msvc_flags " -isystem ${dir}")
endforeach()
# _UCRT: Wine's headers declare ucrtbase.dll's functions. WINE_UNICODE_NATIVE: WCHAR is wchar_t,
# so that names with it are decorated as Microsoft's compiler decorates them.
string(APPEND qrn_msvc_flags " -fms-compatibility -fms-extensions -D_UCRT -D_MT -D_DLL -DWINE_UNICODE_NATIVE"
       " -D_CRT_SECURE_NO_WARNINGS -D_LIBCPP_NO_AUTO_LINK")
set(CMAKE_C_FLAGS_INIT "${qrn_msvc_flags}")
set(CMAKE_CXX_FLAGS_INIT "${qrn_msvc_flags} -fexceptions -fcxx-exceptions")
set(CMAKE_ASM_FLAGS_INIT "")

# Links go through the compiler driver to lld-link, with none of the libraries the compiler
# names in objects (Microsoft's, absent here): the module runtime, libc++ and the compiler's
# built-ins, then the DLLs' import libraries. vcruntime140 before ucrtbase: both export the
# exception functions, and vcruntime140.dll is the one a client ships them in.
set(qrn_msvc_link "-fuse-ld=lld-link -nostdlib -Wl,/nodefaultlib -Wno-unused-command-line-argument")
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "${qrn_msvc_link}")
endforeach()
set(qrn_msvc_libraries "")
foreach(lib qrnrt c++ clang_rt.builtins vcruntime140 msvcp140 ucrtbase kernel32)
  string(APPEND qrn_msvc_libraries " \"${QRN_MSVC_SYSROOT}/lib/${lib}.lib\"")
endforeach()
set(CMAKE_C_STANDARD_LIBRARIES "${qrn_msvc_libraries}" CACHE STRING "" FORCE)
set(CMAKE_CXX_STANDARD_LIBRARIES "${qrn_msvc_libraries}" CACHE STRING "" FORCE)

set(CMAKE_FIND_ROOT_PATH "${QRN_MSVC_SYSROOT}" ${QRN_WINDOWS_DEPS})
include(${CMAKE_CURRENT_LIST_DIR}/windows-find.cmake)
