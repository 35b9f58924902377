#pragma once
// Module player library: one player instance per handle, bound to a window, playing one tracker module.
#include <windows.h>

#include <cstdint>

#ifdef NPMOD32_BUILDING
#define NPMOD32_API extern "C"
#else
#define NPMOD32_API extern "C" __declspec(dllimport)
#endif

// 0 means no instance.
using ModPlugHandle = std::uint32_t;

// params: "key|value|key|value..."; null or empty takes the defaults.
NPMOD32_API ModPlugHandle WINAPI ModPlug_CreateEx(const char* params);
NPMOD32_API BOOL WINAPI ModPlug_SetWindow(ModPlugHandle handle, HWND window);
// A relative file name is taken from the current folder.
NPMOD32_API BOOL WINAPI ModPlug_Load(ModPlugHandle handle, const char* file_name);
// TRUE when the instance holds a loaded module.
NPMOD32_API BOOL WINAPI ModPlug_IsReady(ModPlugHandle handle);
NPMOD32_API BOOL WINAPI ModPlug_Play(ModPlugHandle handle);
// Stops and rewinds to the start.
NPMOD32_API BOOL WINAPI ModPlug_Stop(ModPlugHandle handle);
NPMOD32_API BOOL WINAPI ModPlug_Destroy(ModPlugHandle handle);
// Major version in the high 16 bits, minor in the low 16.
NPMOD32_API std::int32_t WINAPI ModPlug_GetVersion();
