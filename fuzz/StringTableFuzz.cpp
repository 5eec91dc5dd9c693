// A string table file: parsed and read into a table, then looked up.
#include <string>

#include "resource/StringTable.h"
#include "resource/XmlDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 20) return 0;
    XmlDocument doc;
    if (!doc.LoadMemory(reinterpret_cast<const char*>(data), static_cast<int>(size), TIXML_ENCODING_UNKNOWN)) return 0;
    StringTable table;
    table.ReadEntries("t", doc);
    table.ReadEntries("t", doc);  // a reload stores again
    for (const char* key : {"A", "FiveElements_Metal", "Empty", ""}) {
        volatile size_t length = table.GetString("t", key).size();
        (void)length;
    }
    return 0;
}
