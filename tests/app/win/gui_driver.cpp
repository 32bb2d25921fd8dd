// Drives the real program: starts mirevo.exe, finds its window and controls,
// checks them against the layout, presses buttons, answers its boxes and saves
// screenshots. The program takes no arguments; everything it is given comes
// through its environment, where the all-users folder is looked up first.
//
// Environment: MIREVO_PROGRAM, the program; MIREVO_SKIN_ENGINE, the library it
// carries; MIREVO_SCREENSHOTS, the folder for screenshots; MIREVO_SCRATCH, a
// folder the tests may fill.
#include <windows.h>

#include <gtest/gtest.h>
#include <psapi.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/controls.h"
#include "driver_support.h"

namespace {

namespace fs = std::filesystem;

using driver::env;
using driver::file_bytes;
using driver::text_of;
using driver::wait_for;
using driver::write_bytes;

bool save_screenshot(const std::wstring& name) { return driver::save_screenshot(env(L"MIREVO_SCREENSHOTS"), name); }

using driver::process_window;

const wchar_t message_caption[] = L"\x4FE1\x606F\xFF1A";  // "信息："

class ProgramTest : public testing::Test {
protected:
    void SetUp() override {
        program_ = env(L"MIREVO_PROGRAM");
        ASSERT_FALSE(program_.empty());
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        app_data_ = fs::path(env(L"MIREVO_SCRATCH")) / info->name();
        fs::remove_all(app_data_);
        fs::create_directories(app_data_);
        tool_directory_ = app_data_ / L"Qor_Tools";
        library_ = tool_directory_ / L"Qor_SkinH_EL.dll";
        carried_ = file_bytes(env(L"MIREVO_SKIN_ENGINE"));
        ASSERT_GT(carried_.size(), 2u);
    }

    void TearDown() override { stop(); }

    // Starts the program with the all-users folder given; true once its window shows.
    bool start(const fs::path& app_data) {
        SetEnvironmentVariableW(L"common appdata", app_data.wstring().c_str());
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring command = L"\"" + program_ + L"\"";
        if (!CreateProcessW(program_.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process_))
            return false;
        window_ = wait_for([&] { return process_window(process_.dwProcessId, L"MirevoMainWindow", L"Mirevo"); });
        return window_ != nullptr;
    }

    // Closes the window and waits for the program to end; false if it had to be killed.
    bool stop() {
        if (!process_.hProcess) return true;
        if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
        bool ended = WaitForSingleObject(process_.hProcess, 15000) == WAIT_OBJECT_0;
        if (!ended) TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 5000);
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
        process_ = {};
        window_ = nullptr;
        return ended;
    }

    HWND control(Control id) { return GetDlgItem(window_, id); }

    RECT client_rect_of(Control id) {
        RECT r{};
        GetWindowRect(control(id), &r);
        MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    bool engine_loaded() {
        HMODULE modules[512];
        DWORD needed = 0;
        if (!EnumProcessModules(process_.hProcess, modules, sizeof modules, &needed)) return false;
        for (DWORD i = 0; i < needed / sizeof(HMODULE) && i < 512; ++i) {
            wchar_t name[MAX_PATH] = {};
            GetModuleBaseNameW(process_.hProcess, modules[i], name, MAX_PATH);
            if (_wcsicmp(name, L"Qor_SkinH_EL.dll") == 0) return true;
        }
        return false;
    }

    // The program's own directory with a trailing backslash, as the save directory shows it.
    std::wstring program_directory() const { return program_.substr(0, program_.find_last_of(L'\\') + 1); }

    std::wstring program_;
    fs::path app_data_;
    fs::path tool_directory_;
    fs::path library_;
    std::vector<char> carried_;
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
};

// The program file's own resources, read without running it.
TEST(ProgramFile, CarriesManifestIconVersionAndTheEngine) {
    std::wstring program = env(L"MIREVO_PROGRAM");
    HMODULE file = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(file, nullptr);
    auto resource = [&](LPCWSTR name, LPCWSTR type) {
        HRSRC found = FindResourceW(file, name, type);
        if (!found) return std::string();
        const char* bytes = static_cast<const char*>(LockResource(LoadResource(file, found)));
        return bytes ? std::string(bytes, SizeofResource(file, found)) : std::string();
    };

    std::string manifest = resource(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);

    // One icon of 256 x 256 pixels at 32 bits, stored as PNG.
    std::string group = resource(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    ASSERT_EQ(group.size(), 6u + 14u);
    EXPECT_EQ(group[4], 1);                                 // count
    EXPECT_EQ(group[6], 0);                                 // width 256
    EXPECT_EQ(group[7], 0);                                 // height 256
    EXPECT_EQ(static_cast<unsigned char>(group[12]), 32u);  // bits per pixel
    int icon_id = static_cast<unsigned char>(group[18]) | (static_cast<unsigned char>(group[19]) << 8);
    std::string icon = resource(MAKEINTRESOURCEW(icon_id), MAKEINTRESOURCEW(3));  // RT_ICON
    EXPECT_EQ(icon.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));

    // The engine it carries is the library that was built.
    std::vector<char> built = file_bytes(env(L"MIREVO_SKIN_ENGINE"));
    EXPECT_EQ(resource(MAKEINTRESOURCEW(101), MAKEINTRESOURCEW(10)), std::string(built.begin(), built.end()));
    FreeLibrary(file);

    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> version(size);
    ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, size, version.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixed_size = 0;
    ASSERT_TRUE(VerQueryValueW(version.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixed_size));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    wchar_t* product = nullptr;
    UINT product_size = 0;
    ASSERT_TRUE(VerQueryValueW(version.data(), L"\\StringFileInfo\\080404B0\\ProductName",
                               reinterpret_cast<void**>(&product), &product_size));
    EXPECT_STREQ(product, L"Mirevo");
}

TEST_F(ProgramTest, WindowMatchesTheLayoutAndTheListOpens) {
    ASSERT_TRUE(start(app_data_));
    struct Case {
        const char* name;
        Control id;
        int x, y, width, height;
    } cases[] = {
        {"caption_label", caption_label, 8, 16, 100, 104},
        {"platform_list", platform_list, 104, 14, 216, 28},
        {"link_box", link_box, 104, 52, 216, 32},
        {"directory_box", directory_box, 104, 92, 216, 32},
        {"parse_button", parse_button, 328, 6, 96, 36},
        {"directory_button", directory_button, 328, 48, 96, 36},
        {"service_button", service_button, 328, 92, 96, 36},
        {"progress_bar", progress_bar, 8, 136, 416, 32},
        {"hint_label", hint_label, 8, 184, 416, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(control(c.id), nullptr);
        RECT r = client_rect_of(c.id);
        EXPECT_NEAR(r.left, c.x, 2);
        EXPECT_NEAR(r.top, c.y, 2);
        EXPECT_NEAR(r.right - r.left, c.width, 2);
        EXPECT_NEAR(r.bottom - r.top, c.height, 2);
    }
    RECT outer{};
    GetWindowRect(window_, &outer);
    EXPECT_EQ(outer.right - outer.left, 442);
    EXPECT_EQ(outer.bottom - outer.top, 270);
    EXPECT_NEAR(outer.left, (GetSystemMetrics(SM_CXSCREEN) - 442) / 2, 1);
    EXPECT_NEAR(outer.top, (GetSystemMetrics(SM_CYSCREEN) - 270) / 2, 1);

    EXPECT_EQ(text_of(control(platform_list)), L"\x6296\x97F3");  // "抖音"
    EXPECT_EQ(text_of(control(directory_box)), program_directory());
    EXPECT_TRUE(engine_loaded());
    Sleep(500);  // let the first paint settle
    EXPECT_TRUE(save_screenshot(L"start"));

    SendMessageW(control(platform_list), CB_SHOWDROPDOWN, TRUE, 0);
    Sleep(500);
    EXPECT_TRUE(SendMessageW(control(platform_list), CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_TRUE(save_screenshot(L"list_open"));
    SendMessageW(control(platform_list), CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_TRUE(stop());
}

TEST_F(ProgramTest, SecondStartFindsTheToolDirectoryAndRewritesTheLibrary) {
    ASSERT_TRUE(start(app_data_));
    EXPECT_TRUE(fs::is_directory(tool_directory_));
    EXPECT_EQ(file_bytes(library_), carried_);
    EXPECT_TRUE(engine_loaded());
    ASSERT_TRUE(stop());

    // Between the runs the file goes stale; the next start writes it afresh.
    write_bytes(library_, {'M', 'Z', 'o', 'l', 'd'});
    ASSERT_TRUE(start(app_data_));
    EXPECT_EQ(file_bytes(library_), carried_);
    EXPECT_TRUE(engine_loaded());
    EXPECT_EQ(process_window(process_.dwProcessId, L"#32770", message_caption), nullptr);
    EXPECT_EQ(text_of(control(directory_box)), program_directory());
    EXPECT_TRUE(stop());
}

TEST_F(ProgramTest, TamperedLibraryIsNotLoadedAndTheProgramGoesOn) {
    fs::create_directories(tool_directory_);
    std::vector<char> tampered = carried_;
    tampered[tampered.size() / 2] ^= 0x5A;
    write_bytes(library_, tampered);
    // Held open for reading only, so that the program cannot replace it.
    HANDLE hold = CreateFileW(library_.wstring().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(hold, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(start(app_data_));
    EXPECT_FALSE(engine_loaded());
    EXPECT_EQ(process_window(process_.dwProcessId, L"#32770", message_caption), nullptr);
    EXPECT_EQ(text_of(control(directory_box)), program_directory());
    EXPECT_TRUE(save_screenshot(L"without_skin"));
    EXPECT_TRUE(stop());
    CloseHandle(hold);
    EXPECT_EQ(file_bytes(library_), tampered);
}

TEST_F(ProgramTest, NoLibraryAnywhereEndsWithAMessageNamingFileAndFunction) {
    // An all-users folder that does not exist: the tool directory cannot be made.
    SetEnvironmentVariableW(L"common appdata", (app_data_ / L"missing" / L"deeper").wstring().c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring command = L"\"" + program_ + L"\"";
    ASSERT_TRUE(CreateProcessW(program_.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process_));
    HWND box = wait_for([&] { return process_window(process_.dwProcessId, L"#32770", message_caption); });
    ASSERT_NE(box, nullptr);
    std::wstring text = text_of(GetDlgItem(box, 0xFFFF));
    EXPECT_NE(text.find(L"Qor_SkinH_EL.dll"), std::wstring::npos) << text.size();
    EXPECT_NE(text.find(L"SkinH_AttachRes"), std::wstring::npos);
    Sleep(500);  // let the box paint its text
    save_screenshot(L"engine_missing");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(WaitForSingleObject(process_.hProcess, 15000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    EXPECT_EQ(code, 1u);
}

TEST_F(ProgramTest, CancelledFolderChooserSetsTheProgramDirectory) {
    ASSERT_TRUE(start(app_data_));
    SetWindowTextW(control(directory_box), L"C:\\elsewhere\\");
    PostMessageW(control(directory_button), BM_CLICK, 0, 0);
    DWORD process_id = process_.dwProcessId;
    // The folder chooser: a dialog of the program that is not the message box.
    // The folder chooser: the program's first dialog, before any message box.
    HWND chooser = wait_for([&] { return process_window(process_id, L"#32770"); });
    ASSERT_NE(chooser, nullptr);
    Sleep(300);
    save_screenshot(L"folder_chooser");
    PostMessageW(chooser, WM_COMMAND, IDCANCEL, 0);

    HWND box = wait_for([&] { return process_window(process_.dwProcessId, L"#32770", message_caption); });
    ASSERT_NE(box, nullptr);
    // "已更改成功！保存目录：" and the program's directory.
    EXPECT_EQ(text_of(GetDlgItem(box, 0xFFFF)),
              L"\x5DF2\x66F4\x6539\x6210\x529F\xFF01\x4FDD\x5B58\x76EE\x5F55\xFF1A" + program_directory());
    Sleep(300);
    save_screenshot(L"directory_changed");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_NE(
        wait_for([&] { return process_window(process_.dwProcessId, L"#32770", message_caption) ? nullptr : window_; },
                 10000),
        nullptr);
    EXPECT_EQ(text_of(control(directory_box)), program_directory());
    EXPECT_TRUE(stop());
}

}  // namespace
