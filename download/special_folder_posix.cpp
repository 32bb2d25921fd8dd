// Special folders on POSIX systems, from the XDG base directories.
//
// Each type maps to the folder that plays its part here; a type without such a
// folder (the Windows folder, the command interpreter's folder, any number
// outside 1 to 9) gives the empty text. Paths end in "/" instead of a backslash,
// so that a name can still be appended directly.
//
// A folder is never the root of the file system: an XDG variable that is unset,
// empty or relative (which the XDG rules say to ignore) falls back to its default
// under $HOME, a HOME that is unset, relative or "/" gives no folder at all, and
// so does any value that names the root itself. A missing folder thus gives ""
// and never "/", under which a caller would write straight into the root.
#include "base/system.h"
#include "base/text.h"
#include "download/special_folder.h"

namespace {

// The path without its trailing slashes; empty when it is not absolute or names
// the root.
Text absolute_folder(const Text& path) {
    if (!text_starts_with(path, "/")) return Text();
    int length = path.length();
    while (length > 0 && path.at(length - 1) == '/') --length;
    return text_left(path, length);
}

Text home_folder() { return absolute_folder(env_variable("HOME")); }

// $name when it is an absolute path, else $HOME followed by the default.
Text xdg_home(const char* name, const char* default_under_home) {
    Text folder = absolute_folder(env_variable(name));
    if (!folder.empty()) return folder;
    Text home = home_folder();
    return home.empty() ? Text() : text_concat(home, default_under_home);
}

// The first absolute entry of the colon-separated XDG_DATA_DIRS, else its default.
Text shared_data_folder() {
    for (const Text& entry : text_split(env_variable("XDG_DATA_DIRS"), ":")) {
        Text folder = absolute_folder(entry);
        if (!folder.empty()) return folder;
    }
    return "/usr/local/share";
}

Text folder_for(int folder_type) {
    switch (folder_type) {
        case special_folder_app_data:
            return xdg_home("XDG_DATA_HOME", "/.local/share");
        case special_folder_desktop:
            return xdg_home("XDG_DESKTOP_DIR", "/Desktop");
        case special_folder_personal:
            return home_folder();
        case special_folder_temp:
            return xdg_home("XDG_CACHE_HOME", "/.cache");
        case special_folder_common_app_data:
            return shared_data_folder();
        case special_folder_startup: {
            Text config = xdg_home("XDG_CONFIG_HOME", "/.config");
            return config.empty() ? Text() : text_concat(config, "/autostart");
        }
        case special_folder_program_files: {
            Text home = home_folder();
            return home.empty() ? Text() : text_concat(home, "/.local/bin");
        }
        default:
            return Text();
    }
}

}  // namespace

Text get_special_folder(int folder_type) {
    Text folder = folder_for(folder_type);
    return folder.empty() ? Text() : text_concat(folder, "/");
}

Text read_registry_text(const Text& key_path, const Text& value_name) {
    ByteArray bytes = read_registry_bytes(key_path, value_name);
    return Text(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}
