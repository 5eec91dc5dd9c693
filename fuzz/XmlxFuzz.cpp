// A scrambled XMLX file, read through an open file as the loader reads it from disk, then
// read as a daily activity configuration.
#include <cstdio>

#include "dailyactivity/DailyActivityConfig.h"
#include "resource/XmlDocument.h"
#include "zor/Log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static zor::LogCapture quiet;
    quiet.Clear();
    if (size == 0 || size > 1 << 20) return 0;
    FILE* file = std::tmpfile();
    if (!file) return 0;
    if (std::fwrite(data, 1, size, file) != size || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        return 0;
    }
    XmlDocument doc;
    const bool loaded = doc.LoadScrambledFile(file, TIXML_ENCODING_UNKNOWN);
    std::fclose(file);
    if (loaded) {
        DailyActivityConfig config;
        config.LoadConfigDocument(doc);
    }
    return 0;
}
