// The user-interface thread's CPU share while a throttled download runs, for the
// two ways of waiting on the worker: a loop that handles pending events and polls
// the status word without pause, and download_with_progress's own wait, which
// sleeps in MsgWaitForMultipleObjects until a message arrives or the worker ends.
//
// usage: download_wait_bench.exe BASE_URL [SECONDS]
//   BASE_URL  the test server's plain-HTTP address, e.g. http://localhost:8080
//   SECONDS   how long the server spreads the body over (default 3)
#include "base/codepage.h"
#include "base/system.h"
#include "base/text.h"
#include "download/download.h"

#include <urlmon.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr UINT message_position = WM_APP + 1;

std::wstring wide(const Text& t) {
    std::u16string s = gbk_to_utf16(t);
    return std::wstring(s.begin(), s.end());
}

double thread_cpu_ms() {
    FILETIME created, ended, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) /
               10000.0;
    };
    return ms(kernel) + ms(user);
}

// Progress writes land here on the user-interface thread in both runs.
class CountingTarget : public ProgressTarget {
public:
    void set_range(std::int32_t, std::int32_t, int, int) override { ++writes; }
    void set_position(std::int32_t, std::int32_t, int) override { ++writes; }
    int writes = 0;
};

// The polling wait: the worker runs the bare platform download and posts each
// position to a message window; the user-interface thread handles events and
// reads the status word without pause until the worker stores its result.
struct PollingRun {
    std::wstring url;
    std::wstring file;
    HWND window = nullptr;
    std::atomic<std::int32_t> status{1};
};

class PostingCallback : public IBindStatusCallback {
public:
    explicit PostingCallback(HWND window) : window_(window) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOTIMPL;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 0; }
    ULONG STDMETHODCALLTYPE Release() override { return 0; }
    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG done, ULONG total, ULONG, LPCWSTR) override {
        PostMessageW(window_, message_position, 0, progress_position(done, total));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return E_NOTIMPL; }

private:
    HWND window_;
};

DWORD WINAPI polling_worker(void* parameter) {
    auto* run = static_cast<PollingRun*>(parameter);
    PostingCallback callback(run->window);
    HRESULT result = URLDownloadToFileW(nullptr, run->url.c_str(), run->file.c_str(), 0, &callback);
    run->status.store(static_cast<std::int32_t>(result));
    return 0;
}

CountingTarget* polling_target = nullptr;

LRESULT CALLBACK polling_window_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == message_position) {
        polling_target->set_position(0, 0, static_cast<int>(l));
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

bool polling_download(const Text& url, const Text& file, CountingTarget& target) {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = polling_window_procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"MirevoBenchPolling";
    RegisterClassW(&window_class);
    polling_target = &target;
    PollingRun run;
    run.url = wide(url);
    run.file = wide(file);
    run.window = CreateWindowExW(0, window_class.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 window_class.hInstance, nullptr);
    HANDLE worker = CreateThread(nullptr, 0, polling_worker, &run, 0, nullptr);
    if (!worker) return false;
    while (run.status.load() == 1) process_events();
    CloseHandle(worker);
    process_events();
    DestroyWindow(run.window);
    return run.status.load() == 0;
}

struct Figures {
    bool ok;
    double wall_ms;
    double cpu_ms;
    int writes;
};

template <typename Download>
Figures measure(Download download) {
    CountingTarget target;
    LARGE_INTEGER frequency, begin, end;
    QueryPerformanceFrequency(&frequency);
    double cpu_before = thread_cpu_ms();
    QueryPerformanceCounter(&begin);
    bool ok = download(target);
    QueryPerformanceCounter(&end);
    double cpu = thread_cpu_ms() - cpu_before;
    double wall = static_cast<double>(end.QuadPart - begin.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
    return {ok, wall, cpu, target.writes};
}

void print(const char* name, const Figures& f) {
    std::printf("%-34s %-4s wall %7.0f ms  UI thread CPU %7.1f ms  share %5.1f %%  progress writes %d\n", name,
                f.ok ? "ok" : "FAIL", f.wall_ms, f.cpu_ms, 100.0 * f.cpu_ms / f.wall_ms, f.writes);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: download_wait_bench.exe BASE_URL [SECONDS]\n");
        return 2;
    }
    int seconds = argc > 2 ? std::atoi(argv[2]) : 3;
    Text url = text_concat(argv[1], "/download?size=4000000&ms=", to_text(seconds * 1000));
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring wide_file = std::wstring(temp) + L"mirevo-wait-bench.bin";
    Text file = utf16_to_gbk(std::u16string(wide_file.begin(), wide_file.end()));

    std::printf("throttled download: %s\n", url.c_str());
    // Distinct addresses keep the second run from being served by the platform's cache.
    Text tag = text_concat("&run=", to_text(static_cast<int>(GetTickCount())));
    Text first = text_concat(url, tag, "a");
    Text second = text_concat(url, tag, "b");
    Figures polling = measure([&](CountingTarget& target) { return polling_download(first, file, target); });
    DeleteFileW(wide_file.c_str());
    Figures waiting =
        measure([&](CountingTarget& target) { return download_with_progress(second, file, 1, 2, true, target); });
    DeleteFileW(wide_file.c_str());
    print("polling loop (process_events)", polling);
    print("MsgWaitForMultipleObjects wait", waiting);
    return polling.ok && waiting.ok ? 0 : 1;
}
