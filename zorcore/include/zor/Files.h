// Configuration directory, file names and the registry of process-wide objects.
#pragma once

#include <string>

#include "event/Function.h"
#include "zor/Export.h"

namespace zor {

// The directory under which "config/..." lives. The host sets it; until then it is the
// process's working directory at the first call, "." if that cannot be read.
ZORCORE_API std::string GetConfigDirectory();
ZORCORE_API void SetConfigDirectory(const std::string& directory);

// The platform's form of a file name: on Linux every '\\' becomes '/'. A null name gives "".
ZORCORE_API std::string ToNativeFileName(const char* name);

// The extension of the last path component, without the dot; "" when there is none.
ZORCORE_API std::string GetFileExt(const char* name);

// The process-wide object registered under name. On the first request for a name the
// creator is called and its result kept (also a null result, which is then asked again).
// The registry never deletes what it keeps.
ZORCORE_API void* GetGlobalObject(const char* name, const zor::Function<void*()>& creator);

}  // namespace zor
