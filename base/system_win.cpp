// Windows: wide (UTF-16) APIs throughout, with GBK converted explicitly, so the
// program behaves the same whatever the machine's ANSI code page is.
#include <windows.h>

#include <algorithm>
#include <string>

#include "base/codepage.h"
#include "base/handles_win.h"
#include "base/system.h"
#include "base/time.h"

namespace {

std::wstring wide(const Text& t) {
    std::u16string s = gbk_to_utf16(t);
    return std::wstring(s.begin(), s.end());
}

Text narrow(const std::wstring& s) { return utf16_to_gbk(std::u16string(s.begin(), s.end())); }

bool write_all(HANDLE file, const ByteArray& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

}  // namespace

Text run_directory() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return Text();
        if (n < buffer.size()) {
            buffer.resize(n);
            break;
        }
        if (buffer.size() >= 32768) return Text();
        buffer.resize(buffer.size() * 2);
    }
    std::size_t slash = buffer.find_last_of(L"\\/");
    return narrow(slash == std::wstring::npos ? std::wstring() : buffer.substr(0, slash));
}

Text env_variable(const Text& name) {
    if (name.empty()) return Text();
    std::wstring key = wide(name);
    DWORD needed = GetEnvironmentVariableW(key.c_str(), nullptr, 0);
    if (needed == 0) return Text();
    std::wstring value(needed, L'\0');
    DWORD n = GetEnvironmentVariableW(key.c_str(), value.data(), needed);
    if (n == 0 || n >= needed) return Text();
    value.resize(n);
    return narrow(value);
}

bool create_directory(const Text& path) { return !path.empty() && CreateDirectoryW(wide(path).c_str(), nullptr); }

bool delete_file(const Text& path) { return !path.empty() && DeleteFileW(wide(path).c_str()); }

bool write_file(const Text& path, std::initializer_list<ByteArray> pieces) {
    if (path.empty()) return false;
    AutoCloseHandle file(
        CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    for (const ByteArray& piece : pieces)
        if (!write_all(file.get(), piece)) return false;
    return true;
}

ByteArray read_file(const Text& path) {
    if (path.empty()) return {};
    AutoCloseHandle file(CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return {};
    ByteArray out;
    std::uint8_t buffer[65536];
    DWORD n = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr) && n > 0) out.insert(out.end(), buffer, buffer + n);
    return out;
}

// A quit request taken from the queue is posted again, so the caller's own loop
// still sees it and the program ends as asked.
void process_events() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

int current_milliseconds() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now.wMilliseconds;
}

DateTime current_time() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return DateTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}
