#pragma once

#ifdef _WIN32
#ifdef ZORCORE_BUILD
#define ZORCORE_API __declspec(dllexport)
#else
#define ZORCORE_API __declspec(dllimport)
#endif
#else
#define ZORCORE_API __attribute__((visibility("default")))
#endif
