#pragma once
// Unit UnRar: unrar.dll, bound when the program is loaded, through the library's own records and functions.
#include <cstdint>

#include "unrar.h"

// RAROpenArchive's open mode for extraction.
constexpr std::uint32_t RAR_OM_EXTRACT = 1;
