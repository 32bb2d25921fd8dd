// Peak memory of mirevo.exe while it downloads a large video: starts the
// program, fills in the link, platform and save directory as a user would,
// presses the parse button and samples the program's memory until its message
// box reports the outcome. Prints one line of key=value figures per run.
//
// usage: download_memory_bench.exe MIREVO_EXE SAVE_DIR LINK EXPECTED_BYTES
//   SAVE_DIR        an existing, empty folder, given with its trailing backslash
//   LINK            the share link; the parsing service answers it with the video
//   EXPECTED_BYTES  the video's size; a run that saves anything else fails
#include <windows.h>
// After windows.h, whose types they use.
#include <commctrl.h>
#include <psapi.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/controls.h"
#include "tests/app/win/driver_support.h"

namespace {

const wchar_t message_caption[] = L"\x4FE1\x606F\xFF1A";  // "信息："

std::wstring wide_argument(const char* argument) {
    int length = MultiByteToWideChar(CP_UTF8, 0, argument, -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, argument, -1, out.data(), length);
    out.resize(out.size() - 1);
    return out;
}

std::string utf8(const std::wstring& s) {
    int length = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(length, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), out.data(), length, nullptr, nullptr);
    return out;
}

double now_ms() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

using driver::process_window;
using driver::text_of;

void set_text(HWND control, const std::wstring& text) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000,
                        &ignored);
}

// The memory figures of one process; the peaks are the platform's own, and the
// largest working set seen between samples is kept as a cross-check.
struct Memory {
    SIZE_T working_set = 0;
    SIZE_T peak_working_set = 0;
    SIZE_T peak_pagefile = 0;
    SIZE_T largest_sampled_working_set = 0;
    SIZE_T largest_sampled_pagefile = 0;

    void sample(HANDLE process) {
        PROCESS_MEMORY_COUNTERS counters{};
        if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return;
        working_set = counters.WorkingSetSize;
        peak_working_set = counters.PeakWorkingSetSize;
        peak_pagefile = counters.PeakPagefileUsage;
        largest_sampled_working_set = std::max(largest_sampled_working_set, counters.WorkingSetSize);
        largest_sampled_pagefile = std::max(largest_sampled_pagefile, counters.PagefileUsage);
    }
};

// The saved videos in the folder: their count and the size of the last one.
int saved_files(const std::wstring& folder, long long& size) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"*.mp4").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do {
        ++count;
        size = (static_cast<long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

void remove_saved_files(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((folder + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// Every run fetches the same kind of address; its cached copy would only fill the disk.
void remove_cached_videos() {
    DWORD size = 0;
    FindFirstUrlCacheEntryW(nullptr, nullptr, &size);
    std::string buffer(std::max<DWORD>(size, sizeof(INTERNET_CACHE_ENTRY_INFOW)) + 4096, '\0');
    for (;;) {
        size = static_cast<DWORD>(buffer.size());
        auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
        HANDLE search = FindFirstUrlCacheEntryW(nullptr, entry, &size);
        if (!search) return;
        bool removed = false;
        do {
            if (entry->lpszSourceUrlName &&
                std::wstring(entry->lpszSourceUrlName).find(L"/large?") != std::wstring::npos)
                removed = DeleteUrlCacheEntryW(entry->lpszSourceUrlName) || removed;
            size = static_cast<DWORD>(buffer.size());
        } while (!removed && FindNextUrlCacheEntryW(search, entry, &size));
        FindCloseUrlCache(search);
        if (!removed) return;
    }
}

void close_program(PROCESS_INFORMATION& process, HWND window) {
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: download_memory_bench.exe MIREVO_EXE SAVE_DIR LINK EXPECTED_BYTES\n");
        return 2;
    }
    std::wstring program = wide_argument(argv[1]);
    std::wstring folder = wide_argument(argv[2]);
    std::wstring link = wide_argument(argv[3]);
    long long expected = std::atoll(argv[4]);
    remove_saved_files(folder);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring command = L"\"" + program + L"\"";
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::fprintf(stderr, "cannot start the program\n");
        return 1;
    }
    HWND window = nullptr;
    for (double begin = now_ms(); !window && now_ms() - begin < 30000; Sleep(20))
        window = process_window(process.dwProcessId, L"MirevoMainWindow", L"Mirevo");
    if (!window) {
        std::fprintf(stderr, "the program's window did not show\n");
        close_program(process, nullptr);
        return 1;
    }

    Memory memory;
    memory.sample(process.hProcess);
    SIZE_T idle_working_set = memory.working_set;
    set_text(GetDlgItem(window, link_box), link);
    set_text(GetDlgItem(window, directory_box), folder);
    HWND list = GetDlgItem(window, platform_list);
    SendMessageW(list, CB_SETCURSEL, 0, 0);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(platform_list, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));

    double begin = now_ms();
    PostMessageW(GetDlgItem(window, parse_button), BM_CLICK, 0, 0);
    HWND box = nullptr;
    while (!box && now_ms() - begin < 300000) {
        memory.sample(process.hProcess);
        box = process_window(process.dwProcessId, L"#32770", message_caption);
        if (!box) Sleep(20);
    }
    double elapsed = now_ms() - begin;
    memory.sample(process.hProcess);
    std::wstring message = box ? text_of(GetDlgItem(box, 0xFFFF)) : L"(no message box within 300 s)";
    DWORD_PTR bar = 0;
    SendMessageTimeoutW(GetDlgItem(window, progress_bar), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 5000, &bar);
    if (box) PostMessageW(box, WM_COMMAND, IDOK, 0);

    long long saved = -1;
    int files = saved_files(folder, saved);
    bool ok = box && files == 1 && saved == expected && bar == 1000;
    close_program(process, window);
    remove_saved_files(folder);
    remove_cached_videos();

    std::printf(
        "ok=%d ms=%.0f files=%d bytes=%lld bar=%u idle_working_set_kb=%zu peak_working_set_kb=%zu "
        "peak_pagefile_kb=%zu sampled_working_set_kb=%zu sampled_pagefile_kb=%zu message=%s\n",
        ok ? 1 : 0, elapsed, files, saved, static_cast<unsigned>(bar), idle_working_set / 1024,
        memory.peak_working_set / 1024, memory.peak_pagefile / 1024, memory.largest_sampled_working_set / 1024,
        memory.largest_sampled_pagefile / 1024, utf8(message).c_str());
    return ok ? 0 : 1;
}
