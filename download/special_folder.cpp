// The folder lookup itself is portable: environment first, then the Shell Folders
// key. Only the registry read differs between platforms.
#include "download/special_folder.h"

#include "base/system.h"
#include "base/text.h"

namespace {

constexpr const char* shell_folders_key = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// The name under which a type is looked up; empty for a type outside 1 to 9.
Text folder_name(int folder_type) {
    static const char* const names[] = {"",        "AppData", "Desktop",        "Personal", "WinDir",
                                        "ComSpec", "Temp",    "Common AppData", "Startup",  "ProgramW6432"};
    if (folder_type < 1 || folder_type > 9) return Text();
    return Text(names[folder_type]);
}

// Names that begin with "common" are all-users folders, kept under the machine key.
Text shell_folders_root(const Text& name) {
    return text_lower(text_left(name, 6)) == Text("common") ? Text("HKEY_LOCAL_MACHINE\\")
                                                            : Text("HKEY_CURRENT_USER\\");
}

// The folder part of the command interpreter's path; "\" when it has none.
Text command_interpreter_folder() {
    Text path = env_variable("ComSpec");
    int slash = text_find_last(path, "\\");
    return text_concat(slash > 0 ? text_left(path, slash - 1) : Text(), "\\");
}

}  // namespace

Text get_special_folder(int folder_type) {
    if (folder_type == special_folder_windows || folder_type == special_folder_temp)
        return text_concat(env_variable(text_lower(folder_name(folder_type))), "\\");
    if (folder_type == special_folder_command_interpreter) return command_interpreter_folder();

    Text name = folder_name(folder_type);
    Text from_environment = env_variable(text_lower(name));
    if (!from_environment.empty()) return text_concat(from_environment, "\\");
    Text key_path = text_concat(shell_folders_root(name), shell_folders_key);
    return text_concat(read_registry_text(key_path, text_lower(name)), "\\");
}

Text read_registry_text(const Text& key_path, const Text& value_name) {
    ByteArray bytes = read_registry_bytes(key_path, value_name);
    return Text(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}
