#include "zor/Files.h"

#include <map>

#ifdef _WIN32
#include <direct.h>
#else
#include <unistd.h>
#endif

namespace zor {

namespace {

std::string& ConfigDirectory() {
    static std::string directory;
    return directory;
}

std::map<std::string, void*>& Registry() {
    static std::map<std::string, void*> objects;
    return objects;
}

}  // namespace

std::string GetConfigDirectory() {
    std::string& directory = ConfigDirectory();
    if (directory.empty()) {
        char buffer[4096];
#ifdef _WIN32
        const char* cwd = _getcwd(buffer, sizeof buffer);
#else
        const char* cwd = getcwd(buffer, sizeof buffer);
#endif
        directory = cwd ? cwd : ".";
    }
    return directory;
}

void SetConfigDirectory(const std::string& directory) { ConfigDirectory() = directory; }

std::string ToNativeFileName(const char* name) {
    std::string native(name ? name : "");
#ifndef _WIN32
    for (char& c : native) {
        if (c == '\\') c = '/';
    }
#endif
    return native;
}

std::string GetFileExt(const char* name) {
    if (!name) return std::string();
    std::string s(name);
    size_t slash = s.find_last_of("/\\");
    size_t dot = s.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string();
    return s.substr(dot + 1);
}

void* GetGlobalObject(const char* name, const zor::Function<void*()>& creator) {
    std::string key(name ? name : "");
    auto& registry = Registry();
    auto it = registry.find(key);
    if (it != registry.end() && it->second) return it->second;
    void* object = creator();
    registry[key] = object;
    return object;
}

}  // namespace zor
