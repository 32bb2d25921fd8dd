// Special folders and registry reads against the wine prefix's real environment
// and registry. Expected registry values are read here with RegGetValueW, apart
// from the code under test.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/codepage.h"
#include "base/text.h"
#include "download/registry_win.h"
#include "download/special_folder.h"

namespace {

const wchar_t shell_folders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

Text gbk(const std::wstring& s) { return utf16_to_gbk(std::u16string(s.begin(), s.end())); }

// A string value read directly; empty when missing.
std::wstring registry_string(HKEY root, const wchar_t* key, const wchar_t* value) {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer;
    if (RegGetValueW(root, key, value, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) return {};
    return buffer;
}

// Sets environment variables for one test and puts the old values back afterwards.
class SpecialFolderTest : public testing::Test {
protected:
    // value nullptr removes the variable.
    void set_variable(const wchar_t* name, const wchar_t* value) {
        wchar_t old[32768];
        DWORD n = GetEnvironmentVariableW(name, old, 32768);
        bool existed = n > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
        saved_.push_back({name, existed, std::wstring(old, n)});
        SetEnvironmentVariableW(name, value);
    }
    void TearDown() override {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            SetEnvironmentVariableW(it->name.c_str(), it->existed ? it->value.c_str() : nullptr);
    }

private:
    struct Saved {
        std::wstring name;
        bool existed;
        std::wstring value;
    };
    std::vector<Saved> saved_;
};

TEST_F(SpecialFolderTest, TakesTheEnvironmentValueAndAddsOneBackslash) {
    struct Case {
        int type;
        const wchar_t* variable;
        const wchar_t* value;
        Text expected;
    };
    const Case cases[] = {
        {1, L"appdata", L"C:\\Env\\AppData", "C:\\Env\\AppData\\"},
        {2, L"desktop", L"C:\\Env\\Desktop", "C:\\Env\\Desktop\\"},
        {3, L"personal", L"C:\\Env\\Personal", "C:\\Env\\Personal\\"},
        {4, L"windir", L"C:\\Env\\Windows", "C:\\Env\\Windows\\"},
        {6, L"temp", L"C:\\Env\\Temp", "C:\\Env\\Temp\\"},
        {7, L"common appdata", L"C:\\Env\\Common", "C:\\Env\\Common\\"},
        {8, L"startup", L"C:\\Env\\Startup", "C:\\Env\\Startup\\"},
        {9, L"programw6432", L"C:\\Env\\Programs", "C:\\Env\\Programs\\"},
        // A value that already ends with a backslash gets a second one.
        {6, L"temp", L"C:\\Env\\Temp\\", "C:\\Env\\Temp\\\\"},
        // GBK path: 视频 (video)
        {1, L"appdata", L"C:\\\u89c6\u9891", "C:\\\xCA\xD3\xC6\xB5\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type);
        set_variable(c.variable, c.value);
        EXPECT_EQ(get_special_folder(c.type), c.expected);
    }
}

TEST_F(SpecialFolderTest, TypesWithoutARegistryFallBackGiveALoneBackslashWhenUnset) {
    set_variable(L"windir", nullptr);
    set_variable(L"temp", nullptr);
    EXPECT_EQ(get_special_folder(special_folder_windows), Text("\\"));
    EXPECT_EQ(get_special_folder(special_folder_temp), Text("\\"));
}

TEST_F(SpecialFolderTest, CommandInterpreterGivesTheFolderOfComSpec) {
    struct Case {
        const wchar_t* comspec;
        Text expected;
    };
    const Case cases[] = {
        {L"C:\\windows\\system32\\cmd.exe", "C:\\windows\\system32\\"},
        {L"C:\\cmd.exe", "C:\\"},
        {L"cmd.exe", "\\"},
        {nullptr, "\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.comspec ? gbk(c.comspec).c_str() : "unset");
        set_variable(L"ComSpec", c.comspec);
        EXPECT_EQ(get_special_folder(special_folder_command_interpreter), c.expected);
    }
}

TEST_F(SpecialFolderTest, AVariableSetButEmptyFallsBackToThePerUserKey) {
    std::wstring expected = registry_string(HKEY_CURRENT_USER, shell_folders, L"AppData");
    ASSERT_FALSE(expected.empty());
    set_variable(L"appdata", L"");
    EXPECT_EQ(get_special_folder(special_folder_app_data), text_concat(gbk(expected), "\\"));
}

TEST_F(SpecialFolderTest, CommonAppDataComesFromTheAllUsersKey) {
    std::wstring expected = registry_string(HKEY_LOCAL_MACHINE, shell_folders, L"Common AppData");
    ASSERT_FALSE(expected.empty());
    set_variable(L"common appdata", nullptr);
    EXPECT_EQ(get_special_folder(special_folder_common_app_data), text_concat(gbk(expected), "\\"));
}

TEST_F(SpecialFolderTest, TypesOutsideTheTableReadTheMissingUnnamedValue) {
    ASSERT_TRUE(registry_string(HKEY_CURRENT_USER, shell_folders, nullptr).empty());
    EXPECT_EQ(get_special_folder(0), Text("\\"));
    EXPECT_EQ(get_special_folder(10), Text("\\"));
}

TEST(RegistryKey, RootNamesAreMatchedInAnyCaseButNeverAbbreviated) {
    struct Case {
        Text key_path;
        bool opens;
    };
    const Case cases[] = {
        {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", true},
        {"hkey_local_machine\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", true},
        {"Hkey_Current_User\\Software", true},
        {"HKLM\\Software", false},
        {"HKCU\\Software", false},
        {"HKEY_CURRENT_USERS\\Software", false},
        {"HKEY_CURRENT_USER", false},
        {"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key_path);
        HKEY key = open_registry_key(c.key_path);
        EXPECT_EQ(key != nullptr, c.opens);
        if (key) RegCloseKey(key);
    }
    Text upper = read_registry_text(
        "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Common AppData");
    Text lower = read_registry_text(
        "hkey_local_machine\\software\\microsoft\\windows\\currentversion\\explorer\\shell folders", "common appdata");
    EXPECT_FALSE(upper.empty());
    EXPECT_EQ(lower, upper);
}

// A key of this test's own under HKCU, removed afterwards.
class RegistryValueTest : public testing::Test {
protected:
    void SetUp() override {
        sub_key_ = L"Software\\MirevoTests\\Registry" + std::to_wstring(GetCurrentProcessId());
        ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, sub_key_.c_str(), &key_), ERROR_SUCCESS);
    }
    void TearDown() override {
        RegCloseKey(key_);
        RegDeleteKeyW(HKEY_CURRENT_USER, sub_key_.c_str());
    }
    void set(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }
    Text key_path() const { return text_concat("HKEY_CURRENT_USER\\", gbk(sub_key_)); }

    std::wstring sub_key_;
    HKEY key_ = nullptr;
};

TEST_F(RegistryValueTest, ReturnsStoredBytesWithStringsInGbk) {
    const wchar_t chinese[] = L"C:\\\u89c6\u9891";  // 视频
    const wchar_t expandable[] = L"%TEMP%\\x";
    const wchar_t multi[] = L"a\0\u4e2d\0";  // a, 中
    const DWORD number = 0x01020304;
    set(L"Chinese", REG_SZ, chinese, sizeof chinese);
    set(L"Expandable", REG_EXPAND_SZ, expandable, sizeof expandable);
    set(L"Multi", REG_MULTI_SZ, multi, sizeof multi);
    set(L"Number", REG_DWORD, &number, sizeof number);

    struct Case {
        const char* name;
        ByteArray bytes;
        std::uint32_t type;
    };
    const Case cases[] = {
        {"Chinese", {'C', ':', '\\', 0xCA, 0xD3, 0xC6, 0xB5, 0}, REG_SZ},
        {"Expandable", {'%', 'T', 'E', 'M', 'P', '%', '\\', 'x', 0}, REG_EXPAND_SZ},
        {"Multi", {'a', 0, 0xD6, 0xD0, 0, 0}, REG_MULTI_SZ},
        {"Number", {4, 3, 2, 1}, REG_DWORD},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::uint32_t type = 0;
        EXPECT_EQ(read_registry_bytes(key_path(), c.name, &type), c.bytes);
        EXPECT_EQ(type, c.type);
    }
    EXPECT_EQ(read_registry_text(key_path(), "Chinese"), Text("C:\\\xCA\xD3\xC6\xB5"));
    EXPECT_EQ(read_registry_text(key_path(), "Multi"), Text("a"));
}

TEST_F(RegistryValueTest, MissingValuesAndKeysReadAsEmpty) {
    EXPECT_TRUE(read_registry_bytes(key_path(), "Absent").empty());
    EXPECT_TRUE(read_registry_text(key_path(), "Absent").empty());
    EXPECT_TRUE(read_registry_text("HKCU\\Software", "").empty());
    EXPECT_TRUE(read_registry_text("no backslash", "").empty());
}

}  // namespace
