// Wine's winbase.h declares FILE_DISPOSITION_INFO's member before it maps DeleteFile to its A or
// W form, unlike the other declarations that use the name: the mapping is made first. It also
// lacks a flag of CreateSymbolicLink that Windows 10 knows.
#pragma once
#ifndef DeleteFile
#define DeleteFile WINELIB_NAME_AW(DeleteFile)
#endif
#include_next <winbase.h>
#ifndef SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
#define SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE 0x2
#endif
