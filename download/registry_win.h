// The registry key opener behind the registry reads, for Windows code that needs
// the open key itself.
#pragma once

#include <windows.h>

#include "base/types.h"

// Opens key_path, a root name, a backslash and the sub-key path, creating the
// sub-key when it is missing. Root names are the five full HKEY_ names, in any
// case; abbreviations such as HKCU and paths without a backslash open nothing.
// Returns nullptr for none; the caller closes the key.
HKEY open_registry_key(const Text& key_path);
