// XML text from a file or the pack, plain or scrambled, read as a daily activity
// configuration.
#include <string>
#include <vector>

#include "dailyactivity/DailyActivityConfig.h"
#include "resource/XmlDocument.h"
#include "zor/Log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static zor::LogCapture quiet;
    quiet.Clear();
    if (size > 1 << 20) return 0;
    std::string text(reinterpret_cast<const char*>(data), size);
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) XmlDocument::Scramble(&text[0], text.size());
        XmlDocument doc;
        if (!doc.LoadMemory(text.data(), static_cast<int>(text.size()), TIXML_ENCODING_UNKNOWN)) continue;
        DailyActivityConfig config;
        config.LoadConfigDocument(doc);
        std::vector<DailyActivityConfig::Problem> problems;
        DailyActivityConfig collecting;
        collecting.LoadConfigDocument(doc, &problems);
    }
    return 0;
}
