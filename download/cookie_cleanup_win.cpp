// The cookie clean-up through the wininet session option, the Shell Folders key
// and the file-system automation object.
#include <windows.h>
#include <wininet.h>

#include <string>

#include "base/automation_win.h"
#include "base/codepage.h"
#include "base/text.h"
#include "download/cookie_cleanup.h"

namespace {

Text narrow(const std::wstring& s) { return utf16_to_gbk(std::u16string(s.begin(), s.end())); }

// Environment references such as %USERPROFILE% replaced by their values.
std::wstring expand_environment(const std::wstring& s) {
    DWORD needed = ExpandEnvironmentStringsW(s.c_str(), nullptr, 0);
    if (needed == 0) return std::wstring();
    std::wstring out(needed, L'\0');
    DWORD n = ExpandEnvironmentStringsW(s.c_str(), out.data(), needed);
    if (n == 0 || n > needed) return std::wstring();
    out.resize(n - 1);
    return out;
}

// The user's cookie folder from the per-user Shell Folders key, opened for
// reading only. Empty when the key or the value is missing or not a string.
std::wstring cookie_folder() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return std::wstring();
    DWORD type = REG_NONE;
    DWORD size = 0;
    std::wstring value;
    if (RegQueryValueExW(key, L"Cookies", nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        value.assign(size / sizeof(wchar_t) + 1, L'\0');
        DWORD filled = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        if (RegQueryValueExW(key, L"Cookies", nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &filled) ==
            ERROR_SUCCESS)
            value.resize(value.find(L'\0'));
        else
            value.clear();
    }
    RegCloseKey(key);
    return type == REG_EXPAND_SZ ? expand_environment(value) : value;
}

}  // namespace

void clear_browser_cookies() {
    InternetSetOptionW(nullptr, INTERNET_OPTION_END_BROWSER_SESSION, nullptr, 0);

    Text pattern = cookie_file_pattern(narrow(cookie_folder()));
    if (pattern.empty()) return;

    // The worker thread has no apartment of its own; the object needs one.
    ScopedCom com;
    AutomationObject file_system;
    if (!object_create(file_system, "scripting.FileSystemObject")) return;
    object_call(file_system, "DeleteFile", {pattern, 1});
}
