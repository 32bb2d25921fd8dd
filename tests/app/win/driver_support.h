// What the drivers of the real program share: environment and file helpers,
// polling for a window, reading a control's text, finding a process's own
// windows, and screenshots of the whole screen.
#pragma once

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace driver {

namespace fs = std::filesystem;

inline std::wstring env(const wchar_t* name) {
    wchar_t value[2048] = {};
    DWORD n = GetEnvironmentVariableW(name, value, 2048);
    return n > 0 && n < 2048 ? std::wstring(value, n) : std::wstring();
}

inline std::vector<char> file_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void write_bytes(const fs::path& path, const std::vector<char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Polls until found() gives a window or the time is up.
template <typename Find>
HWND wait_for(Find found, DWORD milliseconds = 20000) {
    DWORD begin = GetTickCount();
    for (;;) {
        if (HWND window = found()) return window;
        if (GetTickCount() - begin > milliseconds) return nullptr;
        Sleep(50);
    }
}

inline std::wstring text_of(HWND window) {
    wchar_t buffer[1024] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000, &length);
    return std::wstring(buffer, length);
}

// The first visible top-level window of the process with this class and, when
// given, this caption. Other programs may have windows of the same name open.
inline HWND process_window(DWORD process_id, const wchar_t* class_name, const wchar_t* caption = nullptr) {
    struct Search {
        DWORD process;
        const wchar_t* class_name;
        const wchar_t* caption;
        HWND found;
    } search{process_id, class_name, caption, nullptr};
    EnumWindows(
        [](HWND w, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner != s->process || !IsWindowVisible(w)) return TRUE;
            wchar_t name[64] = {};
            GetClassNameW(w, name, 64);
            if (wcscmp(name, s->class_name) != 0) return TRUE;
            wchar_t title[64] = {};
            GetWindowTextW(w, title, 64);
            if (s->caption && wcscmp(title, s->caption) != 0) return TRUE;
            s->found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The whole screen as a 24-bit bitmap file NAME.bmp in folder; the test scripts
// turn it into PNG.
inline bool save_screenshot(const fs::path& folder, const std::wstring& name) {
    if (folder.empty()) return false;
    fs::create_directories(folder);
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    DWORD row = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
    DWORD image_size = row * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)) + image_size,
                          0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    std::ofstream out(folder / (name + L".bmp"), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), image_size);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return out.good();
}

}  // namespace driver
