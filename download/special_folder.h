// Well-known folders, found in the process environment or in the registry key in
// which the shell records the per-user and all-users folders.
#pragma once

#include <cstdint>

#include "base/types.h"

// Folder types, by the number that callers pass.
enum SpecialFolder : int {
    special_folder_app_data = 1,
    special_folder_desktop = 2,
    special_folder_personal = 3,
    special_folder_windows = 4,
    special_folder_command_interpreter = 5,
    special_folder_temp = 6,
    special_folder_common_app_data = 7,
    special_folder_startup = 8,
    special_folder_program_files = 9,
};

// The folder's path followed by one backslash, so that a name can be appended
// directly. Never fails: a folder that cannot be found gives "\" alone. Nothing
// checks that the folder exists.
Text get_special_folder(int folder_type);

// A registry value as text: its bytes up to the first zero byte. Empty when the
// key or the value cannot be read. key_path starts with a root name such as
// "HKEY_CURRENT_USER\".
Text read_registry_text(const Text& key_path, const Text& value_name);

// A registry value's stored bytes, whatever its type (expandable strings are not
// expanded). Empty when the key or the value cannot be read. value_type, when
// given, receives the value's registry type.
ByteArray read_registry_bytes(const Text& key_path, const Text& value_name, std::uint32_t* value_type = nullptr);
