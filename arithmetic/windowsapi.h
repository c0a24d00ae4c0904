#pragma once
// The Windows API as this program uses it: without the min and max macros and the rarely
// used parts, and with the functions of Windows 7 and later (GetLocaleInfoEx). Included
// only in the Windows parts of the platform seams.

#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0601
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
