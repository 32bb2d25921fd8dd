// The parse-and-download command against a scripted window and a scripted
// platform: what is asked, what is downloaded where, and what the user is told.
#include "app/parse_command.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/service.h"
#include "base/system.h"
#include "base/text.h"
#include "fake_window.h"

namespace {

// "视频链接不能为空！", "视频解析失败！请检查视频链接是否输入正确！", "下载成功！", "下载失败！"
const Text empty_link = "\xCA\xD3\xC6\xB5\xC1\xB4\xBD\xD3\xB2\xBB\xC4\xDC\xCE\xAA\xBF\xD5\xA3\xA1";
const Text parse_failed =
    "\xCA\xD3\xC6\xB5\xBD\xE2\xCE\xF6\xCA\xA7\xB0\xDC\xA3\xA1\xC7\xEB\xBC\xEC\xB2\xE9\xCA\xD3\xC6\xB5\xC1\xB4\xBD\xD3"
    "\xCA\xC7\xB7\xF1\xCA\xE4\xC8\xEB\xD5\xFD\xC8\xB7\xA3\xA1";
const Text succeeded = "\xCF\xC2\xD4\xD8\xB3\xC9\xB9\xA6\xA3\xA1";
const Text failed = "\xCF\xC2\xD4\xD8\xCA\xA7\xB0\xDC\xA3\xA1";

const char* const success_answer = R"({"msg":"yes","url":"https:\/\/cdn.example\/v.mp4?a=1\u0026b=2"})";

struct Download {
    Text url;
    Text file_name;
    std::int32_t window_id;
    std::int32_t control_id;
    bool show_progress;
};

class ScriptedPlatform : public ParsePlatform {
public:
    explicit ScriptedPlatform(CallLog& log) : log_(log) {}

    std::string answer = success_answer;  // UTF-8 body of every request
    bool download_result = true;
    std::function<void()> during_download;
    DateTime now{2022, 6, 14, 16, 0, 0};
    int milliseconds = 45;

    std::vector<Text> addresses;
    std::vector<Text> header_lines;
    std::vector<Download> downloads;

    ByteArray request(const Text& address, const Text& header_line) override {
        log_.push_back("request");
        addresses.push_back(address);
        header_lines.push_back(header_line);
        return ByteArray(answer.begin(), answer.end());
    }
    bool download(const Text& url, const Text& file_name, std::int32_t window_id, std::int32_t control_id,
                  bool show_progress) override {
        log_.push_back("download");
        downloads.push_back({url, file_name, window_id, control_id, show_progress});
        if (during_download) during_download();
        return download_result;
    }
    DateTime current_time() override { return now; }
    int current_milliseconds() override { return milliseconds; }

private:
    CallLog& log_;
};

// Records the order of the disabled writes as well as their values.
class GuardedWindow : public FakeWindow {
public:
    using FakeWindow::FakeWindow;
    std::vector<std::pair<Control, bool>> disabled_writes;
    void write_disabled(Control control, bool value) override {
        disabled_writes.emplace_back(control, value);
        FakeWindow::write_disabled(control, value);
    }
};

class ParseCommandTest : public testing::Test {
protected:
    void SetUp() override {
        window.texts[link_box] = "https://v.douyin.com/abc/";
        window.texts[directory_box] = "C:\\Videos\\";
        window.selected_index = 0;
    }
    void run() { parse_and_download(window, platform); }

    CallLog log;
    GuardedWindow window{log};
    ScriptedPlatform platform{log};
};

TEST_F(ParseCommandTest, EmptyLinkIsReportedAndNothingIsSent) {
    window.texts[link_box] = Text();
    run();
    EXPECT_EQ(window.message_texts, std::vector<Text>{empty_link});
    EXPECT_EQ(window.message_icons, std::vector<int>{icon_error});
    EXPECT_TRUE(platform.addresses.empty());
}

TEST_F(ParseCommandTest, EmptyDirectoryIsFilledInSilentlyAndTheNextPressRuns) {
    window.texts[directory_box] = Text();
    run();
    EXPECT_EQ(window.texts[directory_box], text_concat(run_directory(), "\\"));
    EXPECT_TRUE(window.message_texts.empty());
    EXPECT_TRUE(platform.addresses.empty());
    run();
    ASSERT_EQ(platform.downloads.size(), 1u);
    EXPECT_TRUE(text_starts_with(platform.downloads[0].file_name, text_concat(run_directory(), "\\")));
}

TEST_F(ParseCommandTest, EachPlatformAsksItsPathAndNamesTheFileWithItsPrefix) {
    struct Case {
        int index;
        const char* path;
        Text prefix;
    };
    const Case cases[] = {
        {0, "/api/dywsyjx?url=", "\xB6\xB6\xD2\xF4-"},
        {1, "/api/kswsyjx?url=", "\xBF\xEC\xCA\xD6-"},
        {2, "/api/tiktokwsyjx?url=", "TikTok-"},
        {3, "/api/xgspjx?url=", "\xCE\xF7\xB9\xCF\xCA\xD3\xC6\xB5-"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        CallLog case_log;
        FakeWindow case_window(case_log);
        ScriptedPlatform case_platform(case_log);
        case_window.texts[link_box] = " a&b#c d ";  // sent byte for byte, untrimmed and unencoded
        case_window.texts[directory_box] = "D:\\v\\";
        case_window.selected_index = c.index;
        parse_and_download(case_window, case_platform);

        ASSERT_EQ(case_platform.addresses.size(), 1u);
        EXPECT_EQ(case_platform.addresses[0], text_concat(service_base_address(), c.path, " a&b#c d "));
        EXPECT_EQ(case_platform.header_lines[0], parse_user_agent_line());
        ASSERT_EQ(case_platform.downloads.size(), 1u);
        const Download& d = case_platform.downloads[0];
        EXPECT_EQ(d.url, Text("https://cdn.example/v.mp4?a=1&b=2"));
        EXPECT_EQ(d.file_name, text_concat("D:\\v\\", c.prefix, "1655193600045.mp4"));
        EXPECT_EQ(d.window_id, 1375797249);
        EXPECT_EQ(d.control_id, 369165304);
        EXPECT_TRUE(d.show_progress);
        EXPECT_EQ(case_window.message_texts, std::vector<Text>{succeeded});
        EXPECT_EQ(case_window.message_icons, std::vector<int>{icon_none});
    }
}

TEST_F(ParseCommandTest, UserAgentIsOneFixedLine) {
    EXPECT_EQ(parse_user_agent_line(),
              Text("User-Agent: Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
                   "Chrome/98.0.4758.139 Qor Tazu/537.36"));
    EXPECT_EQ(text_find(parse_user_agent_line(), "\n"), -1);
}

TEST_F(ParseCommandTest, AnswersOtherThanExactlyYesAreParseFailures) {
    const char* const answers[] = {
        R"({"msg":"Yes","url":"https://x/v.mp4"})",
        R"({"msg":"yes ","url":"https://x/v.mp4"})",
        R"({"msg":"no"})",
        R"({"url":"https://x/v.mp4"})",
        R"(["yes"])",
        "",
        "<html><body>502 Bad Gateway</body></html>",
        "{\"msg\":\"y\xC3",  // cut inside a character
    };
    for (const char* answer : answers) {
        SCOPED_TRACE(answer);
        window.message_texts.clear();
        platform.answer = answer;
        platform.downloads.clear();
        run();
        EXPECT_EQ(window.message_texts, std::vector<Text>{parse_failed});
        EXPECT_EQ(window.message_icons.back(), icon_error);
        EXPECT_TRUE(platform.downloads.empty());
    }
}

TEST_F(ParseCommandTest, YesWithoutUrlStillTriesTheDownloadWithAnEmptyAddress) {
    platform.answer = R"({"msg":"yes"})";
    platform.download_result = false;
    run();
    ASSERT_EQ(platform.downloads.size(), 1u);
    EXPECT_EQ(platform.downloads[0].url, Text());
    EXPECT_EQ(window.message_texts, std::vector<Text>{failed});
    EXPECT_EQ(window.message_icons, std::vector<int>{icon_error});
}

TEST(ParseCommandControls, DisabledInOrderAndEnabledHoweverItEnds) {
    const std::vector<std::pair<Control, bool>> expected = {
        {parse_button, true},  {directory_button, true},  {link_box, true},  {directory_box, true},
        {parse_button, false}, {directory_button, false}, {link_box, false}, {directory_box, false},
    };
    struct Case {
        const char* name;
        std::function<void(GuardedWindow&, ScriptedPlatform&)> arrange;
    };
    const Case cases[] = {
        {"success", [](GuardedWindow&, ScriptedPlatform&) {}},
        {"empty link", [](GuardedWindow& w, ScriptedPlatform&) { w.texts[link_box] = Text(); }},
        {"empty directory", [](GuardedWindow& w, ScriptedPlatform&) { w.texts[directory_box] = Text(); }},
        {"parse failure", [](GuardedWindow&, ScriptedPlatform& p) { p.answer = "{}"; }},
        {"download failure", [](GuardedWindow&, ScriptedPlatform& p) { p.download_result = false; }},
        {"no platform selected", [](GuardedWindow& w, ScriptedPlatform&) { w.selected_index = -1; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CallLog log;
        GuardedWindow window(log);
        ScriptedPlatform platform(log);
        window.texts[link_box] = "https://v.kuaishou.com/x";
        window.texts[directory_box] = "C:\\";
        c.arrange(window, platform);
        bool disabled_while_downloading = false;
        platform.during_download = [&] { disabled_while_downloading = window.disabled[parse_button]; };
        parse_and_download(window, platform);
        EXPECT_EQ(window.disabled_writes, expected);
        EXPECT_EQ(disabled_while_downloading, !platform.downloads.empty());
    }
}

TEST_F(ParseCommandTest, NoSelectionRunsNothingAndSaysNothing) {
    window.selected_index = -1;
    run();
    EXPECT_TRUE(platform.addresses.empty());
    EXPECT_TRUE(window.message_texts.empty());
}

TEST_F(ParseCommandTest, HigherPlatformChosenDuringADownloadRunsNext) {
    window.selected_index = 1;
    platform.during_download = [this] {
        if (platform.downloads.size() == 1) window.selected_index = 3;
    };
    run();
    ASSERT_EQ(platform.addresses.size(), 2u);
    EXPECT_EQ(platform.addresses[0], text_concat(service_base_address(), "/api/kswsyjx?url=", window.texts[link_box]));
    EXPECT_EQ(platform.addresses[1], text_concat(service_base_address(), "/api/xgspjx?url=", window.texts[link_box]));
    EXPECT_EQ(window.message_texts, (std::vector<Text>{succeeded, succeeded}));
}

TEST_F(ParseCommandTest, LowerPlatformChosenDuringADownloadRunsNothingMore) {
    window.selected_index = 2;
    platform.during_download = [this] { window.selected_index = 0; };
    run();
    EXPECT_EQ(platform.addresses.size(), 1u);
    EXPECT_EQ(window.message_texts, std::vector<Text>{succeeded});
}

TEST_F(ParseCommandTest, DirectoryWithoutTrailingBackslashIsJoinedAsItIs) {
    window.texts[directory_box] = "C:\\Videos";
    run();
    ASSERT_EQ(platform.downloads.size(), 1u);
    EXPECT_EQ(platform.downloads[0].file_name, Text("C:\\Videos\xB6\xB6\xD2\xF4-1655193600045.mp4"));
}

TEST(Timestamp, Table) {
    struct Case {
        const char* name;
        DateTime time;
        bool seconds_only;
        bool pad_seconds;
        int milliseconds;
        Text expected;
    };
    const Case cases[] = {
        {"example", {2022, 6, 14, 16, 0, 0}, false, false, 45, "1655193600045"},
        {"milliseconds padded to three digits", {2022, 6, 14, 16, 0, 0}, false, false, 7, "1655193600007"},
        {"a day and a second after the fixed reading", {1970, 1, 2, 8, 0, 1}, false, false, 0, "86401000"},
        {"seconds padded to ten digits", {1970, 1, 2, 8, 0, 1}, false, true, 999, "0000086401999"},
        {"seconds only keeps ten bytes", {2022, 6, 14, 16, 0, 0}, true, false, 45, "1655193600"},
        {"before the fixed reading", {1970, 1, 1, 7, 59, 59}, false, false, 5, "-1005"},
        {"past January 2038 keeps counting", {2040, 1, 1, 8, 0, 0}, false, false, 0, "2208988800000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(timestamp_text(c.time, c.seconds_only, c.pad_seconds, c.milliseconds), c.expected);
    }
}

TEST(PadLeftZeros, Table) {
    EXPECT_EQ(pad_left_zeros("7", 3), Text("007"));
    EXPECT_EQ(pad_left_zeros("123", 3), Text("123"));
    EXPECT_EQ(pad_left_zeros("12345", 3), Text("12345"));
    EXPECT_EQ(pad_left_zeros("", 2), Text("00"));
}

}  // namespace
