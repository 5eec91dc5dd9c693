// What Microsoft's crtdbg.h gives a build without _DEBUG and Wine's leaves out: the report file
// constants and a _CrtSetReportFile that does nothing.
#pragma once
#include_next <crtdbg.h>

#ifndef _CRTDBG_INVALID_HFILE
typedef void* _HFILE;
#define _CRTDBG_INVALID_HFILE ((_HFILE)(intptr_t)-1)
#define _CRTDBG_HFILE_ERROR ((_HFILE)(intptr_t)-2)
#define _CRTDBG_FILE_STDOUT ((_HFILE)(intptr_t)-4)
#define _CRTDBG_FILE_STDERR ((_HFILE)(intptr_t)-5)
#define _CRTDBG_REPORT_FILE ((_HFILE)(intptr_t)-6)
#endif
#if !defined(_DEBUG) && !defined(_CrtSetReportFile)
#define _CrtSetReportFile(type, file) ((_HFILE)0)
#endif
