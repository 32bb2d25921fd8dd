// Drives one download through the real program's window, for the main job run
// without a display: starts the program, sets the save directory and the link,
// presses "解析下载", keeps a screenshot while the bar moves, reads and dismisses
// the message box, and prints the saved file's path. The program is closed after.
//
// usage: demo_driver PROGRAM SAVE_DIRECTORY SCREENSHOT_FOLDER LINK
// Exit code 0 when the program reported a successful download and the file is there.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "app/controls.h"
#include "tests/app/win/driver_support.h"

namespace {

using namespace driver;

const wchar_t message_caption[] = L"\x4FE1\x606F\xFF1A";            // "信息："
const wchar_t download_done[] = L"\x4E0B\x8F7D\x6210\x529F\xFF01";  // "下载成功！"

void print(const std::wstring& text) {
    // The console shows UTF-8; the paths may hold the platform's Chinese prefix.
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    std::fputs(bytes.c_str(), stdout);
    std::fputs("\n", stdout);
    std::fflush(stdout);
}

int progress_position(HWND bar) {
    DWORD_PTR position = 0;
    SendMessageTimeoutW(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 5000, &position);
    return static_cast<int>(position);
}

int drive(HWND window, DWORD process_id, const fs::path& save, const fs::path& shots, const std::wstring& link) {
    std::wstring directory = save.wstring() + L"\\";
    SendMessageW(GetDlgItem(window, directory_box), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(directory.c_str()));
    SendMessageW(GetDlgItem(window, link_box), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(link.c_str()));
    Sleep(500);
    save_screenshot(shots, L"main_job_ready");
    PostMessageW(GetDlgItem(window, parse_button), BM_CLICK, 0, 0);

    HWND bar = GetDlgItem(window, progress_bar);
    HWND box = wait_for(
        [&]() -> HWND {
            if (HWND found = process_window(process_id, L"#32770", message_caption)) return found;
            int position = progress_position(bar);
            if (position >= 300 && position < 900 && !fs::exists(shots / L"main_job_download.bmp"))
                save_screenshot(shots, L"main_job_download");
            return nullptr;
        },
        60000);
    if (!box) {
        print(L"no message box within a minute");
        return 1;
    }
    Sleep(300);  // let the box paint its text
    save_screenshot(shots, L"main_job_message");
    std::wstring text = text_of(GetDlgItem(box, 0xFFFF));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    if (text != download_done) {
        print(L"the program said something else than a successful download");
        return 1;
    }
    for (const auto& entry : fs::directory_iterator(save)) {
        if (entry.path().extension() == L".mp4") {
            print(L"saved: " + entry.path().wstring());
            return 0;
        }
    }
    print(L"no video in the save directory");
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 5) {
        print(L"usage: demo_driver PROGRAM SAVE_DIRECTORY SCREENSHOT_FOLDER LINK");
        return 2;
    }
    std::wstring program = argv[1];
    fs::path save = argv[2], shots = argv[3];
    fs::create_directories(save);
    fs::create_directories(shots);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring command = L"\"" + program + L"\"";
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        print(L"the program could not be started");
        return 1;
    }
    HWND window = wait_for([&] { return process_window(process.dwProcessId, L"MirevoMainWindow", L"Mirevo"); });
    int result = window ? drive(window, process.dwProcessId, save, shots, argv[4]) : 1;
    if (!window) print(L"the program's window did not show");
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 15000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return result;
}
