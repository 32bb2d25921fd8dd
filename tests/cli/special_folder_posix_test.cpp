// Special folders from the XDG base directories: the variable when it holds an
// absolute path, else the default under HOME, and never the root itself.
#include <gtest/gtest.h>

#include "download/special_folder.h"
#include "server_support.h"

namespace {

using Setting = std::optional<std::string>;

TEST(SpecialFolderPosix, FoldersComeFromXdgVariablesOrTheirDefaultsUnderHome) {
    struct Case {
        const char* what;
        int type;
        Setting home;
        const char* variable;  // the XDG variable the type reads, if any
        Setting value;
        const char* expected;
    };
    const Case cases[] = {
        {"data home set", special_folder_app_data, "/home/u", "XDG_DATA_HOME", "/data/u", "/data/u/"},
        {"data home unset", special_folder_app_data, "/home/u", "XDG_DATA_HOME", std::nullopt, "/home/u/.local/share/"},
        {"data home empty", special_folder_app_data, "/home/u", "XDG_DATA_HOME", "", "/home/u/.local/share/"},
        {"data home relative", special_folder_app_data, "/home/u", "XDG_DATA_HOME", "data", "/home/u/.local/share/"},
        {"data home is the root", special_folder_app_data, "/home/u", "XDG_DATA_HOME", "/", "/home/u/.local/share/"},
        {"trailing slashes", special_folder_app_data, "/home/u//", "XDG_DATA_HOME", std::nullopt,
         "/home/u/.local/share/"},
        {"desktop", special_folder_desktop, "/home/u", "XDG_DESKTOP_DIR", std::nullopt, "/home/u/Desktop/"},
        {"personal", special_folder_personal, "/home/u", nullptr, std::nullopt, "/home/u/"},
        {"temp is the cache", special_folder_temp, "/home/u", "XDG_CACHE_HOME", "/var/cache/u", "/var/cache/u/"},
        {"temp default", special_folder_temp, "/home/u", "XDG_CACHE_HOME", std::nullopt, "/home/u/.cache/"},
        {"all users", special_folder_common_app_data, std::nullopt, "XDG_DATA_DIRS", "rel:/opt/share:/usr/share",
         "/opt/share/"},
        {"all users default", special_folder_common_app_data, std::nullopt, "XDG_DATA_DIRS", std::nullopt,
         "/usr/local/share/"},
        {"startup", special_folder_startup, "/home/u", "XDG_CONFIG_HOME", "/cfg", "/cfg/autostart/"},
        {"program files", special_folder_program_files, "/home/u", nullptr, std::nullopt, "/home/u/.local/bin/"},
        // Nothing found is the empty text: never "/", the root.
        {"no home", special_folder_app_data, std::nullopt, "XDG_DATA_HOME", std::nullopt, ""},
        {"relative home", special_folder_personal, "home/u", nullptr, std::nullopt, ""},
        {"home is the root", special_folder_personal, "/", nullptr, std::nullopt, ""},
        {"no Windows folder", special_folder_windows, "/home/u", nullptr, std::nullopt, ""},
        {"no command interpreter folder", special_folder_command_interpreter, "/home/u", nullptr, std::nullopt, ""},
        {"type 0", 0, "/home/u", nullptr, std::nullopt, ""},
        {"type 10", 10, "/home/u", nullptr, std::nullopt, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScopedEnvironment home("HOME", c.home);
        std::optional<ScopedEnvironment> variable;
        if (c.variable) variable.emplace(c.variable, c.value);
        EXPECT_EQ(get_special_folder(c.type), Text(c.expected));
    }
}

TEST(SpecialFolderPosix, GbkTextOfAUtf8Path) {
    ScopedEnvironment home("HOME", "/home/\xE6\x8A\x96");  // "/home/抖" in UTF-8
    EXPECT_EQ(get_special_folder(special_folder_personal), Text("/home/\xB6\xB6/"));
}

}  // namespace
