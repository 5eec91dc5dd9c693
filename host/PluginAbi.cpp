#include "host/PluginAbi.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/Platform.h"

namespace host {

namespace {

constexpr size_t kMaxFile = 1u << 30;    // no plugin is larger
constexpr size_t kMaxDescriptors = 4096;
constexpr size_t kMaxNames = 1u << 20;
constexpr size_t kMaxName = 4096;

// The file's bytes, read whole; empty when it cannot be read (or is no regular file).
std::string ReadFile(const std::string& file) {
    std::string bytes;
    FILE* in = platform::OpenRegularFile(file.c_str());
    if (!in) return bytes;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0 && bytes.size() <= kMaxFile) bytes.append(buffer, n);
    std::fclose(in);
    if (bytes.size() > kMaxFile) bytes.clear();
    return bytes;
}

class Image {
public:
    explicit Image(const std::string& bytes) : bytes_(bytes) {}

    template <class T>
    bool Read(uint64_t offset, T& out) const {
        if (offset > bytes_.size() || bytes_.size() - offset < sizeof(T)) return false;
        std::memcpy(&out, bytes_.data() + offset, sizeof(T));
        return true;
    }
    // The file offset of rva, inside the raw data of a section.
    bool Offset(uint32_t rva, uint64_t& out) const {
        for (const Section& s : sections_) {
            const uint32_t extent = std::max(s.virtualSize, s.rawSize);
            if (rva >= s.address && rva - s.address < extent && rva - s.address < s.rawSize) {
                out = uint64_t{s.rawOffset} + (rva - s.address);
                return out < bytes_.size();
            }
        }
        return false;
    }
    bool String(uint32_t rva, std::string& out) const {
        uint64_t at;
        if (!Offset(rva, at)) return false;
        const size_t limit = static_cast<size_t>(std::min<uint64_t>(bytes_.size() - at, kMaxName));
        const char* start = bytes_.data() + at;
        const void* end = std::memchr(start, '\0', limit);
        if (!end) return false;
        out.assign(start, static_cast<const char*>(end));
        return true;
    }

    bool Headers(uint32_t& importRva, bool& wide) {
        uint16_t magic;
        uint32_t pe;
        if (!Read(0, magic) || magic != 0x5A4D || !Read(0x3C, pe)) return false;  // "MZ"
        uint32_t signature;
        if (!Read(pe, signature) || signature != 0x00004550) return false;       // "PE\0\0"
        uint16_t sections, optionalSize, optionalMagic;
        if (!Read(pe + 6, sections) || !Read(pe + 20, optionalSize) || !Read(pe + 24, optionalMagic)) return false;
        wide = optionalMagic == 0x20B;
        if (!wide && optionalMagic != 0x10B) return false;
        const uint64_t directories = pe + 24 + (wide ? 112 : 96);
        uint32_t count;
        if (!Read(pe + 24 + (wide ? 108 : 92), count) || count < 2) return false;
        if (directories + 16 > uint64_t{pe} + 24 + optionalSize || !Read(directories + 8, importRva)) return false;
        const uint64_t table = uint64_t{pe} + 24 + optionalSize;
        for (uint16_t i = 0; i < sections; ++i) {
            Section s;
            const uint64_t at = table + uint64_t{i} * 40;
            if (!Read(at + 8, s.virtualSize) || !Read(at + 12, s.address) || !Read(at + 16, s.rawSize) ||
                !Read(at + 20, s.rawOffset)) {
                return false;
            }
            sections_.push_back(s);
        }
        return true;
    }

private:
    struct Section {
        uint32_t virtualSize = 0, address = 0, rawSize = 0, rawOffset = 0;
    };
    const std::string& bytes_;
    std::vector<Section> sections_;
};

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

}  // namespace

bool ReadPeImports(const std::string& file, std::vector<PeImport>& imports) {
    imports.clear();
    const std::string bytes = ReadFile(file);
    Image image(bytes);
    uint32_t importRva = 0;
    bool wide = false;
    if (!image.Headers(importRva, wide)) return false;
    if (importRva == 0) return true;  // imports nothing
    uint64_t at;
    if (!image.Offset(importRva, at)) return false;
    size_t names = 0;
    for (size_t d = 0; d < kMaxDescriptors; ++d, at += 20) {
        uint32_t lookup, nameRva, thunks;
        if (!image.Read(at, lookup) || !image.Read(at + 12, nameRva) || !image.Read(at + 16, thunks)) return false;
        if (lookup == 0 && nameRva == 0 && thunks == 0) return true;
        PeImport entry;
        if (!image.String(nameRva, entry.dll)) return false;
        entry.dll = Lower(entry.dll);
        uint64_t thunk;
        if (image.Offset(lookup ? lookup : thunks, thunk)) {
            for (;; thunk += wide ? 8 : 4) {
                uint64_t value = 0;
                uint32_t narrow = 0;
                if (wide ? !image.Read(thunk, value) : !image.Read(thunk, narrow)) break;
                if (!wide) value = narrow;
                if (value == 0 || ++names > kMaxNames) break;
                const uint64_t byOrdinal = wide ? (uint64_t{1} << 63) : (uint64_t{1} << 31);
                std::string name;
                if (value & byOrdinal) {
                    name = "#" + std::to_string(value & 0xFFFF);
                } else if (!image.String(static_cast<uint32_t>(value) + 2, name)) {  // past the hint
                    break;
                }
                entry.names.push_back(name);
            }
        }
        imports.push_back(std::move(entry));
    }
    return false;
}

std::string PluginAbiProblem(const std::string& file, WindowsAbi abi) {
    std::vector<PeImport> imports;
    if (!ReadPeImports(file, imports)) return std::string();
    bool gnu = false, microsoft = false, microsoftLibrary = false;
    std::string gnuDll, microsoftDll, libraryName;
    for (const PeImport& i : imports) {
        if (StartsWith(i.dll, "libstdc++") || StartsWith(i.dll, "libgcc_s") || i.dll == "msvcrt.dll") {
            if (!gnu || i.dll != "msvcrt.dll") gnuDll = i.dll;
            gnu = true;
        }
        if (StartsWith(i.dll, "vcruntime140") || StartsWith(i.dll, "msvcp140") || i.dll == "ucrtbase.dll" ||
            StartsWith(i.dll, "api-ms-win-crt-")) {
            if (!microsoft || StartsWith(i.dll, "vcruntime")) microsoftDll = i.dll;
            microsoft = true;
        }
        // libc++ in a module takes from msvcp140.dll only std::exception_ptr's helpers and the
        // new handler; a module of Microsoft's standard library takes its std:: functions too.
        if (StartsWith(i.dll, "msvcp140")) {
            for (const std::string& name : i.names) {
                if (!StartsWith(name, "?__ExceptionPtr") && !StartsWith(name, "?set_new_handler@std@@")) {
                    microsoftLibrary = true;
                    libraryName = name;
                    break;
                }
            }
        }
    }
    const std::string plugin = file.substr(file.find_last_of("/\\") + 1);
    if (abi == WindowsAbi::Microsoft) {
        if (gnu) {
            return plugin + " was built with MinGW (GCC's C++ ABI, imports " + gnuDll +
                   "); this host uses Microsoft's C++ ABI with libc++: build the plugin with the Microsoft-ABI SDK";
        }
        if (microsoftLibrary) {
            return plugin + " was built against Microsoft's standard library (imports " + libraryName +
                   " from msvcp140.dll); this host's modules use libc++, whose standard types differ";
        }
    } else if (microsoft && !gnu) {
        return plugin + " was built in Microsoft's C++ ABI (imports " + microsoftDll +
               "); this host is MinGW's (GCC's C++ ABI, libstdc++-6.dll): build the plugin with the MinGW SDK";
    }
    return std::string();
}

}  // namespace host
