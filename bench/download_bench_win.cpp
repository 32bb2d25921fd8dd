// One download of a large file, timed, in one of two ways: the program's
// download_with_progress, or a bare URLDownloadToFileW call with no callback.
// Each run is a process of its own, so the process's peak memory belongs to
// that one download. Prints one line of key=value figures.
//
// usage: download_bench.exe progress|bare URL FILE EXPECTED_BYTES
//   URL             plain-HTTP address of the file (made unique per run by the caller)
//   FILE            where to save it; removed again after the run
//   EXPECTED_BYTES  the file's size; a run that saves anything else fails
// Project headers come first: urlmon.h declares a global "byte" that the value
// types' inline code would otherwise shadow.
#include "base/codepage.h"
#include "download/download.h"

#include <urlmon.h>
#include <windows.h>
// After windows.h, whose types it uses.
#include <psapi.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::wstring wide_argument(const char* argument) {
    int length = MultiByteToWideChar(CP_UTF8, 0, argument, -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, argument, -1, out.data(), length);
    out.resize(out.size() - 1);
    return out;
}

Text gbk(const std::wstring& s) { return utf16_to_gbk(std::u16string(s.begin(), s.end())); }

double now_ms() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

long long file_size(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Keeps the last bar position, to show the run reached the end.
class LastPositionTarget : public ProgressTarget {
public:
    void set_range(std::int32_t, std::int32_t, int, int) override {}
    void set_position(std::int32_t, std::int32_t, int position) override { last = position; }
    int last = -1;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5 || (std::strcmp(argv[1], "progress") != 0 && std::strcmp(argv[1], "bare") != 0)) {
        std::fprintf(stderr, "usage: download_bench.exe progress|bare URL FILE EXPECTED_BYTES\n");
        return 2;
    }
    bool with_progress = std::strcmp(argv[1], "progress") == 0;
    std::wstring url = wide_argument(argv[2]);
    std::wstring file = wide_argument(argv[3]);
    long long expected = std::atoll(argv[4]);
    DeleteFileW(file.c_str());

    PROCESS_MEMORY_COUNTERS before{};
    GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);

    LastPositionTarget target;
    double begin = now_ms();
    bool ok = with_progress ? download_with_progress(gbk(url), gbk(file), 1, 2, true, target)
                            : URLDownloadToFileW(nullptr, url.c_str(), file.c_str(), 0, nullptr) == S_OK;
    double elapsed = now_ms() - begin;

    PROCESS_MEMORY_COUNTERS after{};
    GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
    long long saved = file_size(file);
    ok = ok && saved == expected && (!with_progress || target.last == progress_steps);

    // Later runs use other addresses; their cached copies would only fill the disk.
    DeleteUrlCacheEntryW(url.c_str());
    DeleteFileW(file.c_str());

    std::printf(
        "mode=%s ok=%d ms=%.1f bytes=%lld bar=%d working_set_before_kb=%zu peak_working_set_kb=%zu "
        "peak_pagefile_kb=%zu\n",
        argv[1], ok ? 1 : 0, elapsed, saved, target.last, before.WorkingSetSize / 1024, after.PeakWorkingSetSize / 1024,
        after.PeakPagefileUsage / 1024);
    return ok ? 0 : 1;
}
