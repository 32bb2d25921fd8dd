// Start-up time: from process creation until the program's main window is
// visible, for mirevo.exe and for the minimal window program under the same
// wine. The two are started in turn, so that load on the machine falls on both
// alike; one unmeasured start of each comes first to warm the file cache.
//
// usage: startup_bench.exe RUNS MIREVO_EXE MINIMAL_EXE
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Program {
    const wchar_t* label;
    std::wstring path;
    const wchar_t* window_class;
    const wchar_t* caption;
    std::vector<double> milliseconds;
};

double now_ms() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The program's own visible top-level window, or null.
HWND visible_window(const Program& program, DWORD process_id) {
    HWND window = FindWindowW(program.window_class, program.caption);
    if (!window || !IsWindowVisible(window)) return nullptr;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return owner == process_id ? window : nullptr;
}

// Starts the program, waits for its window and closes it again. Gives the time
// until the window showed, or a negative figure when it never did.
double start_once(const Program& program) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring command = L"\"" + program.path + L"\"";
    double begin = now_ms();
    if (!CreateProcessW(program.path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    HWND window = nullptr;
    double shown = -1;
    while (now_ms() - begin < 30000) {
        window = visible_window(program, process.dwProcessId);
        if (window) {
            shown = now_ms() - begin;
            break;
        }
        if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) break;
    }
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return shown;
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void print(const Program& program) {
    std::printf("%-16ls median %7.1f ms  min %7.1f ms  max %7.1f ms  runs:", program.label,
                median(program.milliseconds),
                *std::min_element(program.milliseconds.begin(), program.milliseconds.end()),
                *std::max_element(program.milliseconds.begin(), program.milliseconds.end()));
    for (double ms : program.milliseconds) std::printf(" %.0f", ms);
    std::printf("\n");
}

std::wstring wide_argument(const char* argument) {
    int length = MultiByteToWideChar(CP_UTF8, 0, argument, -1, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(std::max(length, 1)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, argument, -1, out.data(), length);
    out.resize(out.size() - 1);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: startup_bench.exe RUNS MIREVO_EXE MINIMAL_EXE\n");
        return 2;
    }
    int runs = std::max(1, std::atoi(argv[1]));
    Program programs[] = {
        {L"mirevo.exe", wide_argument(argv[2]), L"MirevoMainWindow", L"Mirevo", {}},
        {L"minimal window", wide_argument(argv[3]), L"MirevoBenchMinimalWindow", L"Minimal", {}},
    };
    for (Program& program : programs) {
        if (start_once(program) < 0) {
            std::fprintf(stderr, "%ls: no visible window within 30 s\n", program.label);
            return 1;
        }
    }
    for (int run = 0; run < runs; ++run) {
        for (Program& program : programs) {
            double ms = start_once(program);
            if (ms < 0) {
                std::fprintf(stderr, "%ls: no visible window within 30 s\n", program.label);
                return 1;
            }
            program.milliseconds.push_back(ms);
        }
    }
    std::printf("start until the main window is visible, %d runs each (after one warm-up start each)\n", runs);
    for (const Program& program : programs) print(program);
    std::printf("ratio mirevo / minimal (medians): %.2f\n",
                median(programs[0].milliseconds) / median(programs[1].milliseconds));
    return 0;
}
