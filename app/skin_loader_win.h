// Loads the skin-engine library for a program that runs elevated while its tool
// directory may be writable by others: a library file found there is loaded only
// when its bytes are exactly the ones the program carries.
#pragma once

#include <windows.h>

#include "base/types.h"

enum class SkinEngineLoad {
    loaded,
    // A file is in the tool directory but is not ours, or cannot be read to tell.
    refused,
    // No library exporting the function was found.
    missing,
};

struct SkinEngine {
    SkinEngineLoad status = SkinEngineLoad::missing;
    HMODULE module = nullptr;
    FARPROC attach = nullptr;
};

// Looks for file_name in tool_directory (which ends with a backslash) first, then
// in the program's own directory, then among the system's libraries.
SkinEngine load_skin_engine(const Text& tool_directory, const Text& file_name, const ByteArray& carried);
