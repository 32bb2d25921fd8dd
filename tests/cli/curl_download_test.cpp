// The libcurl download against the project's test server: what reaches the
// disk, what the progress bar and the monitor are told, and how every failure
// ends without a file. The same cases as the Windows download's under wine.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "download/cookie_cleanup.h"
#include "download/download_posix.h"
#include "server_support.h"

namespace {

constexpr std::int32_t window_id = 1375797249;
constexpr std::int32_t control_id = 369165304;

class RecordingTarget : public ProgressTarget {
public:
    struct Write {
        bool range;
        std::int32_t window_id;
        std::int32_t control_id;
        int first;   // minimum, or the position
        int second;  // maximum
        std::thread::id thread;
    };
    void set_range(std::int32_t window, std::int32_t control, int minimum, int maximum) override {
        writes.push_back({true, window, control, minimum, maximum, std::this_thread::get_id()});
    }
    void set_position(std::int32_t window, std::int32_t control, int position) override {
        writes.push_back({false, window, control, position, 0, std::this_thread::get_id()});
    }
    std::vector<int> positions() const {
        std::vector<int> out;
        for (const Write& w : writes)
            if (!w.range) out.push_back(w.first);
        return out;
    }
    std::vector<Write> writes;
};

// Records the byte counts; asks to stop once stop_after bytes have arrived.
class RecordingMonitor : public TransferMonitor {
public:
    explicit RecordingMonitor(std::uint64_t stop_after = 0) : stop_after_(stop_after) {}
    void transferred(std::uint64_t so_far, std::uint64_t total) override {
        last_so_far = so_far;
        last_total = total;
    }
    bool stop_requested() override { return stop_after_ > 0 && last_so_far >= stop_after_; }
    std::uint64_t last_so_far = 0;
    std::uint64_t last_total = 0;

private:
    std::uint64_t stop_after_;
};

ByteArray read_native(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return ByteArray(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class CurlDownload : public testing::Test {
protected:
    void SetUp() override {
        trust_test_ca();
        ASSERT_TRUE(server.running()) << "the test server is not running (MIREVO_TEST_SERVER_ENV)";
        ASSERT_TRUE(folder.valid());
    }
    // A GBK path in the scratch folder.
    Text path(const Text& name) const {
        return text_concat(utf8_to_text(ByteArray(folder.path().begin(), folder.path().end())), "/", name);
    }
    TestServer server;
    ScratchFolder folder;
    RecordingTarget target;
};

TEST_F(CurlDownload, WritesTheServedBytesUnderAGbkNameAndDrivesTheBarToAThousand) {
    const Text name = "\xB6\xB6\xD2\xF4-1700000000000.mp4";  // 抖音-1700000000000.mp4
    RecordingMonitor monitor;
    ASSERT_TRUE(download_with_monitor(server.url("http", "/download?size=300000&ms=800"), path(name), window_id,
                                      control_id, true, target, &monitor));
    EXPECT_EQ(last_download_status(), 0);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"\xE6\x8A\x96\xE9\x9F\xB3-1700000000000.mp4"});
    EXPECT_EQ(read_native(folder.path() + "/\xE6\x8A\x96\xE9\x9F\xB3-1700000000000.mp4"), served_body(300000));
    EXPECT_EQ(monitor.last_so_far, 300000u);
    EXPECT_EQ(monitor.last_total, 300000u);

    ASSERT_GE(target.writes.size(), 3u);
    EXPECT_TRUE(target.writes[0].range);
    EXPECT_EQ(target.writes[0].first, 0);
    EXPECT_EQ(target.writes[0].second, 1000);
    EXPECT_FALSE(target.writes[1].range);
    EXPECT_EQ(target.writes[1].first, 0);
    std::vector<int> positions = target.positions();
    EXPECT_EQ(positions.back(), 1000);
    for (std::size_t i = 1; i < positions.size(); ++i) EXPECT_LE(positions[i - 1], positions[i]) << "write " << i;
    for (const RecordingTarget::Write& w : target.writes) {
        EXPECT_EQ(w.thread, std::this_thread::get_id()) << "progress written off the calling thread";
        EXPECT_EQ(w.window_id, window_id);
        EXPECT_EQ(w.control_id, control_id);
    }
}

TEST_F(CurlDownload, WithoutAnnouncedLengthEveryPositionIsZero) {
    ASSERT_TRUE(download_with_progress(server.url("https", "/download/unknown-length?size=200000&ms=500"),
                                       path("v.mp4"), window_id, control_id, true, target));
    EXPECT_EQ(read_file(path("v.mp4")), served_body(200000));
    std::vector<int> positions = target.positions();
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions, std::vector<int>(positions.size(), 0));
}

TEST_F(CurlDownload, WithoutShowProgressTheBarIsLeftAlone) {
    ASSERT_TRUE(download_with_progress(server.url("http", "/download?size=100000&ms=300"), path("v.mp4"), window_id,
                                       control_id, false, target));
    EXPECT_EQ(read_file(path("v.mp4")), served_body(100000));
    EXPECT_TRUE(target.writes.empty());
}

// Downloads one after the other, each into its own file: plain, secure, through
// a redirect, and from an address holding bytes an address cannot carry raw.
TEST_F(CurlDownload, DownloadsInARowEachWriteTheirOwnFile) {
    struct Case {
        const char* listener;
        const char* path;
        std::size_t size;
    };
    const Case cases[] = {
        {"http", "/download?size=1000", 1000},
        {"https", "/download?size=2000", 2000},
        {"https", "/redirect?code=302&to=%2Fdownload%3Fsize%3D5000", 5000},
        {"http", "/download?size=3000&note=a b\xB6\xB6", 3000},  // a space and "抖" in GBK
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        Text name = text_concat(to_text(++index), ".mp4");
        ASSERT_TRUE(
            download_with_progress(server.url(c.listener, c.path), path(name), window_id, control_id, true, target));
        EXPECT_EQ(last_download_status(), 0);
        EXPECT_EQ(read_file(path(name)), served_body(c.size));
    }
    EXPECT_EQ(folder.names().size(), 4u);
}

// Each failure returns false, stores its failure code, and leaves the folder as
// it was: no file at the target and no part file beside it.
TEST_F(CurlDownload, FailuresLeaveNoFileBehind) {
    struct Case {
        const char* what;
        const char* address;  // on the test server's http listener unless it has a scheme
        std::int32_t status;
    };
    const Case cases[] = {
        {"404 with an error page", "/download/missing", download_bad_status},
        {"body cut short by an orderly close", "/download/short?size=200000", download_short_body},
        {"connection reset mid-body", "/download/reset?size=200000", download_transfer_error},
        {"server that never answers", "/stall?s=20", download_stalled},
        {"redirect loop", "/redirect-loop", download_transfer_error},
        {"redirect to a local file", "/redirect?to=file%3A%2F%2F%2Fetc%2Fhostname", download_bad_address},
        {"file address", "file:///etc/hostname", download_bad_address},
        {"other scheme", "ftp://localhost/v.mp4", download_bad_address},
        {"untrusted certificate", "untrusted_https", download_transfer_error},
    };
    const std::chrono::milliseconds stall_limit{2000};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Text address = text_starts_with(c.address, "/") ? server.url("http", c.address)
                       : text_find(c.address, ":") > 0  ? Text(c.address)
                                                        : server.url(c.address, "/download?size=1000");
        auto begin = std::chrono::steady_clock::now();
        EXPECT_FALSE(download_with_progress(address, path("v.mp4"), window_id, control_id, true, target, stall_limit));
        EXPECT_LT(std::chrono::steady_clock::now() - begin, 2 * stall_limit + std::chrono::seconds(5));
        EXPECT_EQ(last_download_status(), c.status);
        EXPECT_TRUE(folder.names().empty());
    }
}

TEST_F(CurlDownload, AFailedDownloadKeepsAFileThatWasThereBefore) {
    ASSERT_TRUE(write_file(path("v.mp4"), {ByteArray{'o', 'l', 'd'}}));
    EXPECT_FALSE(download_with_progress(server.url("http", "/download/short?size=200000"), path("v.mp4"), window_id,
                                        control_id, true, target));
    EXPECT_EQ(read_file(path("v.mp4")), (ByteArray{'o', 'l', 'd'}));
    EXPECT_EQ(folder.names().size(), 1u);
}

TEST_F(CurlDownload, AFolderThatIsMissingOrCannotBeWrittenFails) {
    ASSERT_TRUE(write_file(path("plain-file"), {ByteArray{'x'}}));
    const Text targets[] = {path("missing/v.mp4"), path("plain-file/v.mp4")};
    for (const Text& file_name : targets) {
        SCOPED_TRACE(file_name);
        EXPECT_FALSE(download_with_progress(server.url("http", "/download?size=1000"), file_name, window_id, control_id,
                                            true, target));
        EXPECT_EQ(last_download_status(), download_file_error);
    }
    EXPECT_EQ(folder.names(), std::vector<std::string>{"plain-file"});
}

TEST_F(CurlDownload, AStopRequestEndsTheTransferAndRemovesThePartFile) {
    RecordingMonitor monitor(100000);
    auto begin = std::chrono::steady_clock::now();
    EXPECT_FALSE(download_with_monitor(server.url("http", "/download?size=3000000&ms=20000"), path("v.mp4"), window_id,
                                       control_id, true, target, &monitor));
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(10));
    EXPECT_EQ(last_download_status(), download_stopped);
    EXPECT_TRUE(folder.names().empty());
}

// Each download starts without cookies: a cookie set by one answer is not sent
// with the next request, even within one download's redirects.
TEST_F(CurlDownload, NoCookieCarriesOverFromOneDownloadToTheNext) {
    ASSERT_TRUE(download_with_progress(server.url("http", "/set-cookie?c=session%3D1"), path("1.txt"), window_id,
                                       control_id, true, target));
    clear_browser_cookies();
    ASSERT_TRUE(
        download_with_progress(server.url("http", "/echo"), path("2.txt"), window_id, control_id, true, target));
    Echo echo = parse_echo(read_file(path("2.txt")));
    EXPECT_EQ(echo.request_line, Text("GET /echo HTTP/1.1"));
    EXPECT_EQ(header_line(echo, "Cookie"), Text());
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"1.txt", "2.txt"}));
}

}  // namespace
