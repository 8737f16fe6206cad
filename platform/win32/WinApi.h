#pragma once

// The Windows API for this folder only. The rest of the program includes the GL headers with
// WINGDIAPI, APIENTRY and CALLBACK defined by the build, so they do not pull in windows.h; here
// windows.h defines them itself.
#undef WINGDIAPI
#undef APIENTRY
#undef CALLBACK
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// Our message header names the same messages as constants of the same values; the macros
// would turn those declarations into numbers.
#undef WM_NULL
#undef WM_SIZE
#undef WM_PAINT
#undef WM_CLOSE
#undef WM_QUIT
#undef WM_KEYDOWN
#undef WM_KEYUP
#undef WM_CHAR
#undef WM_MOUSEMOVE
#undef WM_LBUTTONDOWN
#undef WM_LBUTTONUP
#undef WM_RBUTTONDOWN
#undef WM_RBUTTONUP
#undef WM_SETFOCUS
#undef WM_KILLFOCUS
#undef WM_MOUSELEAVE
#undef MK_LBUTTON
#undef MK_RBUTTON
#undef MK_SHIFT
#undef MK_CONTROL
#undef VK_ESCAPE
