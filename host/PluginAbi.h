// Whether a Windows plugin module was built for this host's C++ ABI and runtime, told from the
// DLLs (and functions) it imports before it is loaded: a module of the other ABI numbers the
// virtual operations and lays out the standard types differently, and would crash at its first
// call rather than fail cleanly.
#pragma once

#include <string>
#include <vector>

namespace host {

// The C++ ABIs and runtimes of this project's Windows builds.
enum class WindowsAbi {
    Microsoft,  // clang in Microsoft's C++ ABI, libc++ in each module (vcruntime140.dll, ucrtbase.dll)
    MinGW,      // MinGW-w64's GCC: Itanium's C++ ABI, libstdc++-6.dll, msvcrt.dll
};

// The DLLs a PE file imports, each with the names it takes from it (by ordinal: "#N"). False
// when the file is no PE image whose import table can be read (untrusted: every offset is
// checked).
struct PeImport {
    std::string dll;  // lower case
    std::vector<std::string> names;
};
bool ReadPeImports(const std::string& file, std::vector<PeImport>& imports);

// Why a plugin in file cannot be used by a host of abi, or "" when nothing says so (a file that
// is no PE image is left to the loader).
std::string PluginAbiProblem(const std::string& file, WindowsAbi abi);

#ifdef _WIN32
#if defined(_MSC_VER)
constexpr WindowsAbi kHostAbi = WindowsAbi::Microsoft;
#else
constexpr WindowsAbi kHostAbi = WindowsAbi::MinGW;
#endif
#endif

}  // namespace host
