// Compiled into the module itself, so that the names are filled while it is loaded.
#include "resource/StringTable.h"

const char* FiveElementsNames[6] = {
    GetCommonString("FiveElements_Metal").c_str(), GetCommonString("FiveElements_Wood").c_str(),
    GetCommonString("FiveElements_Water").c_str(), GetCommonString("FiveElements_Fire").c_str(),
    GetCommonString("FiveElements_Earth").c_str(), GetCommonString("FiveElements_None").c_str(),
};
