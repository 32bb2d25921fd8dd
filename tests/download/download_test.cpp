// The background download under wine, against the project's test server: what
// reaches the disk, what the progress bar is told and on which thread, and how
// the failures the platform download would report as success end.
#include "download/download.h"
#include "base/codepage.h"
#include "base/system.h"
#include "base/text.h"
#include "test_server_address.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr std::int32_t window_id = 1375797249;
constexpr std::int32_t control_id = 369165304;

std::wstring wide(const Text& t) {
    std::u16string s = gbk_to_utf16(t);
    return std::wstring(s.begin(), s.end());
}

// Records every progress write with the thread that made it.
class RecordingTarget : public ProgressTarget {
public:
    struct Write {
        bool range;
        std::int32_t window_id;
        std::int32_t control_id;
        int first;   // minimum, or the position
        int second;  // maximum
        DWORD thread;
    };
    void set_range(std::int32_t window, std::int32_t control, int minimum, int maximum) override {
        writes.push_back({true, window, control, minimum, maximum, GetCurrentThreadId()});
    }
    void set_position(std::int32_t window, std::int32_t control, int position) override {
        writes.push_back({false, window, control, position, 0, GetCurrentThreadId()});
    }
    std::vector<int> positions() const {
        std::vector<int> out;
        for (const Write& w : writes)
            if (!w.range) out.push_back(w.first);
        return out;
    }
    std::vector<Write> writes;
};

// The body that the server's download paths send: byte i is i % 251.
ByteArray served_body(int size) {
    ByteArray out(static_cast<std::size_t>(size));
    for (int i = 0; i < size; ++i) out[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i % 251);
    return out;
}

bool exists(const Text& path) { return GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// A fresh, empty folder per test, removed with its files afterwards.
class DownloadTest : public testing::Test {
protected:
    void SetUp() override {
        server_ = test_server_address("http");
        secure_server_ = test_server_address("https");
        ASSERT_FALSE(server_.empty() || secure_server_.empty()) << "the test server's address is not known";
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder_ = temp + std::wstring(L"mirevo-download-") + std::to_wstring(GetCurrentProcessId()) + L"-" +
                  std::to_wstring(GetTickCount());
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    }
    void TearDown() override {
        for (const std::wstring& name : folder_files()) {
            std::wstring path = folder_ + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(path.c_str());
        }
        RemoveDirectoryW(folder_.c_str());
    }

    // Each address is new to the platform's cache, so every call really transfers.
    Text url(const char* path_and_query, bool secure = false) const {
        Text separator = text_find(path_and_query, "?") > 0 ? "&" : "?";
        return text_concat(secure ? secure_server_ : server_, path_and_query, separator,
                           "fresh=", to_text(static_cast<int>(GetCurrentProcessId())), "-", to_text(++calls_));
    }
    Text path(const Text& name) const { return text_concat(folder_text(), "\\", name); }
    Text folder_text() const { return utf16_to_gbk(std::u16string(folder_.begin(), folder_.end())); }

    std::vector<std::wstring> folder_files() const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder_ + L"\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            std::wstring name = found.cFileName;
            if (name != L"." && name != L"..") names.push_back(name);
        } while (FindNextFileW(search, &found));
        FindClose(search);
        return names;
    }

    Text server_;
    Text secure_server_;
    mutable int calls_ = 0;
    std::wstring folder_;
    RecordingTarget target_;
};

TEST_F(DownloadTest, WritesTheServedBytesUnderAGbkNameAndDrivesTheBarToAThousand) {
    const Text name = "\xB6\xB6\xD2\xF4-1700000000000.mp4";  // 抖音-1700000000000.mp4
    ASSERT_TRUE(
        download_with_progress(url("/download?size=300000&ms=800"), path(name), window_id, control_id, true, target_));
    EXPECT_EQ(last_download_status(), 0);
    EXPECT_EQ(read_file(path(name)), served_body(300000));
    EXPECT_EQ(folder_files(), std::vector<std::wstring>{L"\u6296\u97f3-1700000000000.mp4"});

    ASSERT_GE(target_.writes.size(), 3u);
    EXPECT_TRUE(target_.writes[0].range);
    EXPECT_EQ(target_.writes[0].first, 0);
    EXPECT_EQ(target_.writes[0].second, 1000);
    EXPECT_FALSE(target_.writes[1].range);
    EXPECT_EQ(target_.writes[1].first, 0);
    std::vector<int> positions = target_.positions();
    EXPECT_EQ(positions.back(), 1000);
    for (std::size_t i = 1; i < positions.size(); ++i) EXPECT_LE(positions[i - 1], positions[i]) << "write " << i;
    for (const RecordingTarget::Write& w : target_.writes) {
        EXPECT_EQ(w.thread, GetCurrentThreadId()) << "progress written off the user-interface thread";
        EXPECT_EQ(w.window_id, window_id);
        EXPECT_EQ(w.control_id, control_id);
    }
}

TEST_F(DownloadTest, WithoutAnnouncedLengthEveryPositionIsZero) {
    ASSERT_TRUE(download_with_progress(url("/download/unknown-length?size=200000&ms=500"), path("v.mp4"), window_id,
                                       control_id, true, target_));
    EXPECT_EQ(read_file(path("v.mp4")), served_body(200000));
    std::vector<int> positions = target_.positions();
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions, std::vector<int>(positions.size(), 0));
}

TEST_F(DownloadTest, WithoutShowProgressTheBarIsLeftAlone) {
    ASSERT_TRUE(download_with_progress(url("/download?size=100000&ms=300"), path("v.mp4"), window_id, control_id, false,
                                       target_));
    EXPECT_EQ(read_file(path("v.mp4")), served_body(100000));
    EXPECT_TRUE(target_.writes.empty());
}

TEST_F(DownloadTest, TwoDownloadsInARowEachWriteTheirOwnFile) {
    ASSERT_TRUE(
        download_with_progress(url("/download?size=1000"), path("1.mp4"), window_id, control_id, true, target_));
    ASSERT_TRUE(
        download_with_progress(url("/download?size=2000", true), path("2.mp4"), window_id, control_id, true, target_));
    EXPECT_EQ(last_download_status(), 0);
    EXPECT_EQ(read_file(path("1.mp4")), served_body(1000));
    EXPECT_EQ(read_file(path("2.mp4")), served_body(2000));
}

// Video addresses often redirect; the status that counts is the final one.
TEST_F(DownloadTest, FollowsARedirectToTheVideo) {
    ASSERT_TRUE(download_with_progress(url("/redirect?code=302&to=%2Fdownload%3Fsize%3D5000"), path("v.mp4"), window_id,
                                       control_id, true, target_));
    EXPECT_EQ(read_file(path("v.mp4")), served_body(5000));
}

// Each failure returns false, stores a failure code, and leaves the folder as it
// was: no file at the target and no temporary file beside it.
TEST_F(DownloadTest, FailuresLeaveNoFileBehind) {
    struct Case {
        const char* what;
        const char* address;  // on the test server unless it has a scheme
    };
    const Case cases[] = {
        {"404 with an error page", "/download/missing"},
        {"body cut short by an orderly close", "/download/short?size=200000"},
        {"connection reset mid-body", "/download/reset?size=200000"},
        {"server that never answers", "/stall?s=20"},
        {"file address", "file:///C:/windows/win.ini"},
        {"other scheme", "ftp://localhost/v.mp4"},
    };
    const std::chrono::milliseconds stall_limit{2000};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Text address = text_starts_with(c.address, "/") ? url(c.address) : Text(c.address);
        DWORD begin = GetTickCount();
        EXPECT_FALSE(download_with_progress(address, path("v.mp4"), window_id, control_id, true, target_, stall_limit));
        EXPECT_LT(GetTickCount() - begin, 2 * 2000u + 5000u) << "the wait outlasted the stall handling";
        EXPECT_LT(last_download_status(), 0);
        EXPECT_TRUE(folder_files().empty());
    }
}

TEST_F(DownloadTest, AFailedDownloadKeepsAFileThatWasThereBefore) {
    ASSERT_TRUE(write_file(path("v.mp4"), {ByteArray{'o', 'l', 'd'}}));
    EXPECT_FALSE(download_with_progress(url("/download/missing"), path("v.mp4"), window_id, control_id, true, target_));
    EXPECT_EQ(read_file(path("v.mp4")), (ByteArray{'o', 'l', 'd'}));
    EXPECT_EQ(folder_files().size(), 1u);
}

TEST_F(DownloadTest, AFolderThatIsMissingOrCannotBeWrittenFails) {
    ASSERT_TRUE(write_file(path("plain-file"), {ByteArray{'x'}}));
    const Text targets[] = {path("missing\\v.mp4"), path("plain-file\\v.mp4")};
    for (const Text& target : targets) {
        SCOPED_TRACE(target);
        EXPECT_FALSE(download_with_progress(url("/download?size=1000"), target, window_id, control_id, true, target_));
        EXPECT_LT(last_download_status(), 0);
        EXPECT_FALSE(exists(target));
    }
}

TEST_F(DownloadTest, TheWaitHandlesWindowEvents) {
    static int ticks = 0;
    ticks = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) { ++ticks; });
    ASSERT_NE(timer, 0u);
    EXPECT_TRUE(download_with_progress(url("/download?size=100000&ms=1000"), path("v.mp4"), window_id, control_id, true,
                                       target_));
    KillTimer(nullptr, timer);
    EXPECT_GT(ticks, 0);
}

TEST_F(DownloadTest, AQuitRequestStaysQueuedForTheCallersLoop) {
    PostQuitMessage(3);
    EXPECT_TRUE(download_with_progress(url("/download?size=100000&ms=300"), path("v.mp4"), window_id, control_id, true,
                                       target_));
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 3u);
}

}  // namespace
