// What Microsoft's runtime headers agree on before anything else.
#pragma once

#include <corecrt.h>

#ifndef _HAS_EXCEPTIONS
#define _HAS_EXCEPTIONS 1
#endif
