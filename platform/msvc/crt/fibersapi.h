// Fiber-local storage: Wine declares it in winbase.h.
#pragma once
#include <windows.h>
