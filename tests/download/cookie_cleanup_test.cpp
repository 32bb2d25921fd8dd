// The cookie clean-up against files in the wine prefix's cookie folder.
#include "download/cookie_cleanup.h"
#include "base/codepage.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

const wchar_t shell_folders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::wstring cookie_folder() {
    wchar_t buffer[MAX_PATH] = {};
    DWORD size = sizeof buffer;
    if (RegGetValueW(HKEY_CURRENT_USER, shell_folders, L"Cookies", RRF_RT_REG_SZ, nullptr, buffer, &size) !=
        ERROR_SUCCESS)
        return {};
    return buffer;
}

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool make_file(const std::wstring& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, "cookie", 6, &written, nullptr);
    CloseHandle(file);
    return true;
}

void remove_file(const std::wstring& path) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
}

TEST(CookieCleanup, DeletesTheCookieFilesOfTheFolderItselfOnly) {
    std::wstring folder = cookie_folder();
    ASSERT_FALSE(folder.empty());
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring tag = std::to_wstring(GetCurrentProcessId());
    std::wstring sub = folder + L"\\sub" + tag;
    ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));

    struct Case {
        std::wstring path;
        DWORD attributes;
        bool deleted;
    };
    const Case cases[] = {
        {folder + L"\\user@site" + tag + L".txt", FILE_ATTRIBUTE_NORMAL, true},
        {folder + L"\\upper" + tag + L".TXT", FILE_ATTRIBUTE_NORMAL, true},
        {folder + L"\\read-only" + tag + L".txt", FILE_ATTRIBUTE_READONLY, true},
        {folder + L"\\\u6296\u97f3" + tag + L".txt", FILE_ATTRIBUTE_NORMAL, true},  // 抖音, a GBK name
        {folder + L"\\index" + tag + L".dat", FILE_ATTRIBUTE_NORMAL, false},
        {folder + L"\\notes" + tag + L".txt.bak", FILE_ATTRIBUTE_NORMAL, false},
        {sub + L"\\inner.txt", FILE_ATTRIBUTE_NORMAL, false},
    };
    for (const Case& c : cases) ASSERT_TRUE(make_file(c.path, c.attributes));

    clear_browser_cookies();

    for (const Case& c : cases) {
        SCOPED_TRACE(utf16_to_gbk(std::u16string(c.path.begin(), c.path.end())));
        EXPECT_EQ(exists(c.path), !c.deleted);
        remove_file(c.path);
    }
    RemoveDirectoryW(sub.c_str());
}

}  // namespace
