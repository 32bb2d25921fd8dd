// The download on Windows: URLDownloadToFileW on a worker thread, progress writes
// marshalled to the user-interface thread through a message-only window, and a
// MsgWaitForMultipleObjects wait that sleeps until a window message arrives or the
// worker ends.
//
// The platform download reports some failures as success or never returns, so the
// worker checks what it got before the file reaches its name:
// - the HTTP status, learnt through IHttpNegotiate::OnResponse, must be 2xx;
// - the file must not be shorter than the announced Content-Length;
// - a transfer that makes no progress for the stall limit is aborted through the
//   binding and, if the platform still does not return, abandoned as failed.
// The transfer writes a fresh temporary file beside the target and only a checked
// download is moved onto the target name, so a failure leaves nothing there and
// never touches a file that was there before.
// Project headers come first: urlmon.h declares a global "byte" that the value
// types' inline code would otherwise shadow.
#include "base/codepage.h"
#include "base/handles_win.h"
#include "base/text.h"
#include "download/cookie_cleanup.h"
#include "download/download.h"
#include "download/download_record.h"

#include <urlmon.h>
#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace {

constexpr std::int32_t status_running = download_status_running;

// Window messages from the worker to the user-interface thread. wParam carries
// the download's serial number, so a late message of an abandoned download is
// never applied to a later one.
constexpr UINT message_set_range = WM_APP + 0x31;
constexpr UINT message_set_position = WM_APP + 0x32;

std::wstring wide(const Text& t) {
    std::u16string s = gbk_to_utf16(t);
    return std::wstring(s.begin(), s.end());
}

// Who decides a download's outcome: the worker when it finished in time, or the
// user-interface thread when it gave up on a stalled transfer.
enum class Outcome : int { open, worker_finishing, abandoned };

// One download, shared by the user-interface thread and its worker. Each holds a
// reference, so an abandoned worker that returns late still finds it.
struct DownloadJob {
    unsigned serial = 0;
    std::wstring url;
    std::wstring file_name;
    std::wstring part_name;  // the worker's own temporary file beside the target
    bool show_progress = false;
    std::int32_t window_id = 0;
    std::int32_t control_id = 0;
    HWND progress_window = nullptr;
    HRESULT prepared = S_OK;  // failure found before the transfer could start

    std::atomic<std::int32_t> status{status_running};
    std::atomic<Outcome> outcome{Outcome::open};
    std::atomic<DWORD> last_activity{0};
    AutoCloseHandle finished{CreateEventW(nullptr, TRUE, FALSE, nullptr)};

    std::mutex binding_lock;
    IBinding* binding = nullptr;  // one reference while the transfer runs

    void post(UINT message, LPARAM value) {
        if (show_progress && outcome.load() != Outcome::abandoned)
            PostMessageW(progress_window, message, serial, value);
    }
};

// The process-wide download record, and the number of the latest download, which
// tells a current worker's messages from an abandoned one's.
struct DownloadState : DownloadRecord {
    unsigned serial = 0;
};

DownloadState download_state;

// The callback handed to the platform download. It lives on the worker's stack
// for the duration of the call and keeps no reference count. Besides progress it
// answers IHttpNegotiate, to learn the response's status code and length; every
// other interface and every other notification is refused as not implemented.
class ProgressCallback : public IBindStatusCallback, public IHttpNegotiate {
public:
    explicit ProgressCallback(DownloadJob& job) : job_(job) {}

    unsigned long http_status() const { return http_status_; }
    // The body length the server announced, or -1 when it gave none.
    long long announced_length() const { return announced_length_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        if (!out) return E_POINTER;
        *out = IsEqualIID(id, IID_IHttpNegotiate) ? static_cast<IHttpNegotiate*>(this) : nullptr;
        return *out ? S_OK : E_NOTIMPL;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 0; }
    ULONG STDMETHODCALLTYPE Release() override { return 0; }

    // The binding is kept so that a stalled transfer can be aborted.
    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding* binding) override {
        if (binding) {
            std::lock_guard<std::mutex> hold(job_.binding_lock);
            binding->AddRef();
            if (job_.binding) job_.binding->Release();
            job_.binding = binding;
        }
        job_.last_activity = GetTickCount();
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return E_NOTIMPL; }

    // Each request sent counts as activity, so an address that redirects for ever
    // would never stall: the platform follows the redirects itself and reports
    // only the requests (wine reports no redirect status). The download is given
    // up once it has sent more requests than a first one and its redirects need.
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG bytes_so_far, ULONG total_bytes, ULONG status, LPCWSTR) override {
        job_.last_activity = GetTickCount();
        if (job_.outcome.load() == Outcome::abandoned) return E_ABORT;
        if (status == BINDSTATUS_SENDINGREQUEST && ++requests_sent_ > max_requests) return E_ABORT;
        job_.post(message_set_position, progress_position(bytes_so_far, total_bytes));
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return E_NOTIMPL; }

    // No extra request headers: the platform's default request goes out.
    HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* additional_headers) override {
        if (additional_headers) *additional_headers = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnResponse(DWORD status_code, LPCWSTR response_headers, LPCWSTR,
                                         LPWSTR* additional_headers) override {
        if (additional_headers) *additional_headers = nullptr;
        job_.last_activity = GetTickCount();
        http_status_ = status_code;
        announced_length_ = content_length(response_headers);
        return S_OK;
    }

private:
    // The Content-Length header's value; -1 when there is none or it is malformed.
    static long long content_length(LPCWSTR headers) {
        if (!headers) return -1;
        std::wstring text(headers);
        for (wchar_t& c : text)
            if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        std::size_t at = text.find(L"\ncontent-length:");
        if (at == std::wstring::npos) return -1;
        at += 16;
        while (at < text.size() && (text[at] == L' ' || text[at] == L'\t')) ++at;
        long long value = -1;
        for (; at < text.size() && text[at] >= L'0' && text[at] <= L'9'; ++at) {
            if (value > (0x7FFFFFFFFFFFFFFFLL - 9) / 10) return -1;
            value = (value < 0 ? 0 : value * 10) + (text[at] - L'0');
        }
        return value;
    }

    DownloadJob& job_;
    // Ten redirects, as WinHTTP follows, with room for a platform that reports a
    // request twice.
    static constexpr int max_requests = 2 * (1 + 10);
    unsigned long http_status_ = 0;
    long long announced_length_ = -1;
    int requests_sent_ = 0;
};

// The calling thread's last error as a failure code; never a success.
HRESULT last_error_result() {
    HRESULT result = HRESULT_FROM_WIN32(GetLastError());
    return FAILED(result) ? result : E_FAIL;
}

long long file_size(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// A new, empty file in the target's folder, which also proves the folder exists
// and can be written.
bool make_part_file(DownloadJob& job) {
    std::size_t slash = job.file_name.find_last_of(L"\\/");
    std::wstring folder = slash == std::wstring::npos ? std::wstring(L".") : job.file_name.substr(0, slash + 1);
    wchar_t name[MAX_PATH + 1] = {};
    if (folder.size() > MAX_PATH - 14 || !GetTempFileNameW(folder.c_str(), L"mrv", 0, name)) return false;
    job.part_name = name;
    return true;
}

// Runs the platform download into the part file and checks the result; the
// part file is still in place afterwards.
HRESULT transfer(DownloadJob& job) {
    ProgressCallback callback(job);
    HRESULT result = URLDownloadToFileW(nullptr, job.url.c_str(), job.part_name.c_str(), 0, &callback);
    {
        std::lock_guard<std::mutex> hold(job.binding_lock);
        if (job.binding) job.binding->Release();
        job.binding = nullptr;
    }
    if (result != S_OK) return FAILED(result) ? result : INET_E_DOWNLOAD_FAILURE;
    unsigned long http_status = callback.http_status();
    if (http_status != 0 && (http_status < 200 || http_status > 299)) return INET_E_DOWNLOAD_FAILURE;
    long long announced = callback.announced_length();
    if (announced >= 0 && file_size(job.part_name) < announced) return INET_E_DOWNLOAD_FAILURE;
    return S_OK;
}

// Moves a checked download onto its name, unless the user-interface thread has
// given up on it; otherwise removes what this download wrote.
HRESULT settle(DownloadJob& job, HRESULT result) {
    Outcome expected = Outcome::open;
    bool ours = job.outcome.compare_exchange_strong(expected, Outcome::worker_finishing);
    if (ours && result == S_OK &&
        MoveFileExW(job.part_name.c_str(), job.file_name.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
        return S_OK;
    if (ours && result == S_OK) result = last_error_result();
    DeleteFileW(job.part_name.c_str());
    return FAILED(result) ? result : E_ABORT;
}

DWORD WINAPI download_worker(void* parameter) {
    std::unique_ptr<std::shared_ptr<DownloadJob>> handed_over(static_cast<std::shared_ptr<DownloadJob>*>(parameter));
    DownloadJob& job = **handed_over;

    clear_browser_cookies();
    job.post(message_set_range, MAKELPARAM(0, progress_steps));
    job.post(message_set_position, 0);

    HRESULT result = job.prepared;
    if (SUCCEEDED(result)) result = settle(job, transfer(job));
    if (result == S_OK && job.outcome.load() == Outcome::abandoned) result = E_ABORT;
    job.status.store(static_cast<std::int32_t>(result));
    SetEvent(job.finished.get());
    return 0;
}

// Applies the worker's progress writes on the user-interface thread.
class ProgressWindow {
public:
    ProgressWindow(ProgressTarget& target, const DownloadJob& job) : target_(target), job_(job) {
        static const wchar_t class_name[] = L"MirevoDownloadProgress";
        WNDCLASSW window_class{};
        window_class.lpfnWndProc = window_procedure;
        window_class.hInstance = GetModuleHandleW(nullptr);
        window_class.lpszClassName = class_name;
        RegisterClassW(&window_class);  // fails harmlessly when already registered
        window_ =
            CreateWindowExW(0, class_name, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, window_class.hInstance, nullptr);
        if (window_) SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~ProgressWindow() {
        if (window_) DestroyWindow(window_);
    }
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    HWND get() const { return window_; }

private:
    static LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
        auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && (message == message_set_range || message == message_set_position)) {
            if (w == self->job_.serial) self->apply(message, l);
            return 0;
        }
        return DefWindowProcW(window, message, w, l);
    }

    void apply(UINT message, LPARAM value) {
        if (message == message_set_range)
            target_.set_range(job_.window_id, job_.control_id, LOWORD(value), HIWORD(value));
        else
            target_.set_position(job_.window_id, job_.control_id, static_cast<int>(value));
    }

    ProgressTarget& target_;
    const DownloadJob& job_;
    HWND window_ = nullptr;
};

// Handles every waiting message. A quit request is taken out of the queue and
// remembered, so that the wait does not wake on it again and again; the caller
// posts it again when the wait is over.
void handle_waiting_messages(bool& quit_seen, int& quit_code) {
    MSG message;
    while (!quit_seen && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit_seen = true;
            quit_code = static_cast<int>(message.wParam);
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Aborts the transfer through its binding; true when there was one to abort.
bool abort_binding(DownloadJob& job) {
    std::lock_guard<std::mutex> hold(job.binding_lock);
    return job.binding && SUCCEEDED(job.binding->Abort());
}

// Sleeps until a window message arrives or the worker ends, and handles the
// messages on each wake. A transfer without progress for stall_limit is aborted;
// when the platform does not give up within a second stall period, the download
// is abandoned as failed. Returns the download's result code.
std::int32_t wait_for_worker(DownloadJob& job, std::chrono::milliseconds stall_limit) {
    const DWORD limit = static_cast<DWORD>(stall_limit.count());
    bool quit_seen = false;
    int quit_code = 0;
    bool abort_tried = false;
    DWORD abort_time = 0;
    HANDLE finished = job.finished.get();
    while (job.status.load() == status_running) {
        DWORD last = job.last_activity.load();  // read before the clock, so now >= last
        DWORD now = GetTickCount();
        DWORD quiet = now - last;
        if (!abort_tried && quiet >= limit) {
            abort_tried = true;
            abort_time = now;
            abort_binding(job);
        }
        if (abort_tried && now - abort_time >= limit) {
            Outcome expected = Outcome::open;
            if (job.outcome.compare_exchange_strong(expected, Outcome::abandoned)) {
                DeleteFileW(job.part_name.c_str());
                break;
            }
        }
        DWORD timeout = abort_tried ? limit - (now - abort_time) : limit - quiet;
        if (timeout > limit) timeout = 20;  // the worker is settling; it ends at once
        if (quit_seen)
            WaitForSingleObject(finished, timeout);
        else
            MsgWaitForMultipleObjectsEx(1, &finished, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        handle_waiting_messages(quit_seen, quit_code);
    }
    // The worker posts its last writes before it ends; apply them now.
    handle_waiting_messages(quit_seen, quit_code);
    if (quit_seen) PostQuitMessage(quit_code);
    std::int32_t status = job.status.load();
    return status == status_running ? static_cast<std::int32_t>(E_ABORT) : status;
}

}  // namespace

bool download_with_progress(const Text& url, const Text& file_name, std::int32_t window_id, std::int32_t control_id,
                            bool show_progress, ProgressTarget& target, std::chrono::milliseconds stall_limit) {
    DownloadState& state = download_state;
    begin_download_record(state, url, file_name, show_progress, window_id, control_id);

    auto job = std::make_shared<DownloadJob>();
    job->serial = ++state.serial;
    job->url = wide(state.url);
    job->file_name = wide(state.file_name);
    job->show_progress = state.show_progress;
    job->window_id = state.window_id;
    job->control_id = state.control_id;
    job->last_activity = GetTickCount();
    // Other schemes would read local files; the folder check and the part file
    // come first so that the worker only ever writes a file of its own.
    if (!is_downloadable_address(state.url))
        job->prepared = INET_E_UNKNOWN_PROTOCOL;
    else if (!make_part_file(*job))
        job->prepared = last_error_result();
    ProgressWindow progress_window(target, *job);
    job->progress_window = progress_window.get();
    if (!job->finished.valid() || (show_progress && !progress_window.get())) {
        if (!job->part_name.empty()) DeleteFileW(job->part_name.c_str());
        state.status.store(static_cast<std::int32_t>(E_FAIL));
        return false;
    }

    auto* handed_over = new std::shared_ptr<DownloadJob>(job);
    AutoCloseHandle worker(CreateThread(nullptr, 0, download_worker, handed_over, 0, nullptr));
    if (!worker.valid()) {
        delete handed_over;
        if (!job->part_name.empty()) DeleteFileW(job->part_name.c_str());
        state.status.store(static_cast<std::int32_t>(last_error_result()));
        return false;
    }
    state.status.store(wait_for_worker(*job, stall_limit));
    return state.status.load() == 0;
}

std::int32_t last_download_status() { return download_state.status.load(); }
