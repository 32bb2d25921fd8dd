// mirevo-cli: its command line, its progress text, and the program end to end
// against the reference parsing service (exit codes, printed texts, the file
// and its bytes, the request the service saw, Ctrl-C).
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <thread>

#include "app/cli/cli_options.h"
#include "app/cli/terminal_progress.h"
#include "app/parse_command.h"
#include "net/web_request.h"
#include "server_support.h"

namespace {

// "下载成功！", "下载失败！", "视频解析失败！请检查视频链接是否输入正确！", "视频链接不能为空！" in UTF-8.
const std::string succeeded_text = "\xE4\xB8\x8B\xE8\xBD\xBD\xE6\x88\x90\xE5\x8A\x9F\xEF\xBC\x81";
const std::string failed_text = "\xE4\xB8\x8B\xE8\xBD\xBD\xE5\xA4\xB1\xE8\xB4\xA5\xEF\xBC\x81";
const std::string parse_failed_text =
    "\xE8\xA7\x86\xE9\xA2\x91\xE8\xA7\xA3\xE6\x9E\x90\xE5\xA4\xB1\xE8\xB4\xA5\xEF\xBC\x81\xE8\xAF\xB7\xE6\xA3\x80"
    "\xE6\x9F\xA5\xE8\xA7\x86\xE9\xA2\x91\xE9\x93\xBE\xE6\x8E\xA5\xE6\x98\xAF\xE5\x90\xA6\xE8\xBE\x93\xE5\x85\xA5"
    "\xE6\xAD\xA3\xE7\xA1\xAE\xEF\xBC\x81";
const std::string empty_link_text =
    "\xE8\xA7\x86\xE9\xA2\x91\xE9\x93\xBE\xE6\x8E\xA5\xE4\xB8\x8D\xE8\x83\xBD\xE4\xB8\xBA\xE7\xA9\xBA\xEF\xBC\x81";

TEST(CliArguments, ReadsPlatformFolderAndLink) {
    struct Case {
        std::vector<std::string> arguments;
        CliRequest request;
        int platform_index;
        const char* directory;  // GBK
        const char* link;       // GBK
    };
    const Case cases[] = {
        {{"https://v.example/1"}, CliRequest::run, 0, "./", "https://v.example/1"},
        {{"--platform", "kuaishou", "L"}, CliRequest::run, 1, "./", "L"},
        {{"--platform=tiktok", "--dir", "/tmp/x", "L"}, CliRequest::run, 2, "/tmp/x/", "L"},
        {{"L", "--platform", "xigua", "--dir=/tmp/x/"}, CliRequest::run, 3, "/tmp/x/", "L"},
        {{"--dir", "/tmp/\xE6\x8A\x96", "L"}, CliRequest::run, 0, "/tmp/\xB6\xB6/", "L"},
        {{"--", "--not-an-option"}, CliRequest::run, 0, "./", "--not-an-option"},
        {{"7.43 \xE5\xA4\x8D\xE5\x88\xB6 https://v.example/a b"},
         CliRequest::run,
         0,
         "./",
         "7.43 \xB8\xB4\xD6\xC6 https://v.example/a b"},  // "复制" in the link
        {{""}, CliRequest::run, 0, "./", ""},             // the command reports the empty link
        {{"--help", "--bogus"}, CliRequest::help, 0, "./", ""},
        {{"L", "-h"}, CliRequest::help, 0, "./", ""},
        {{}, CliRequest::usage_error, 0, "./", ""},
        {{"L", "M"}, CliRequest::usage_error, 0, "./", ""},
        {{"--platform", "youtube", "L"}, CliRequest::usage_error, 0, "./", ""},
        {{"L", "--platform"}, CliRequest::usage_error, 0, "./", ""},
        {{"--dir", "", "L"}, CliRequest::usage_error, 0, "./", ""},
        {{"--dir", "/tmp/\xF0\x9F\x98\x80", "L"}, CliRequest::usage_error, 0, "./", ""},  // an emoji GBK lacks
        {{"--dir", "/tmp/\xFF", "L"}, CliRequest::usage_error, 0, "./", ""},              // not UTF-8
        {{"--verbose", "L"}, CliRequest::usage_error, 0, "./", ""},
    };
    for (const Case& c : cases) {
        std::string joined;
        for (const std::string& a : c.arguments) joined += "[" + a + "]";
        SCOPED_TRACE(joined);
        CliArguments parsed = parse_cli_arguments(c.arguments);
        EXPECT_EQ(parsed.request, c.request);
        EXPECT_EQ(parsed.error.empty(), c.request != CliRequest::usage_error);
        if (c.request != CliRequest::run) continue;
        EXPECT_EQ(parsed.options.platform_index, c.platform_index);
        EXPECT_EQ(parsed.options.directory, Text(c.directory));
        EXPECT_EQ(parsed.options.link, Text(c.link));
    }
}

TEST(CliProgress, TextShowsPercentBytesSpeedAndTimeLeft) {
    struct Case {
        std::uint64_t so_far;
        std::uint64_t total;
        double seconds;
        const char* expected;
    };
    const Case cases[] = {
        {0, 0, 0, "0 B"},
        {0, 4000000, 0.5, "  0.0%  0 B / 4.0 MB"},
        {1, 3, 1, " 33.3%  1 B / 3 B  1 B/s  0:02 left"},
        {999999, 1000000, 1, " 99.9%  1000 kB / 1.0 MB  1000 kB/s  0:00 left"},
        {2000000, 4000000, 1, " 50.0%  2.0 MB / 4.0 MB  2.0 MB/s  0:01 left"},
        {1000000, 500000000, 10, "  0.2%  1.0 MB / 500.0 MB  100 kB/s  1:23:10 left"},
        {500000000, 500000000, 2.5, "100.0%  500.0 MB / 500.0 MB  200.0 MB/s"},
        {3000000, 0, 2, "3.0 MB  1.5 MB/s"},
        {3000000, 0, 0.1, "3.0 MB"},  // too early for a speed
        {6000000000, 8000000000, 3, " 75.0%  6.00 GB / 8.00 GB  2.00 GB/s  0:01 left"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(progress_text(c.so_far, c.total, c.seconds), c.expected);
    }
}

// One run of the program: its exit status and what it printed.
struct ProgramRun {
    int exit_code = -1;
    int signal = 0;
    std::string out;
    std::string errors;
};

std::string read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class CliProgram : public testing::Test {
protected:
    void SetUp() override {
        trust_test_ca();
        ASSERT_TRUE(folder.valid());
        ASSERT_TRUE(output.valid());
    }

    // Starts the program in folder with its output going to files in output.
    pid_t start(const std::vector<std::string>& arguments) {
        std::vector<std::string> argv_text = {MIREVO_CLI_PROGRAM};
        argv_text.insert(argv_text.end(), arguments.begin(), arguments.end());
        std::string out = output.path() + "/out", errors = output.path() + "/errors";
        pid_t pid = fork();
        if (pid == 0) {
            std::vector<char*> argv;
            for (std::string& a : argv_text) argv.push_back(a.data());
            argv.push_back(nullptr);
            int out_fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            int errors_fd = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (out_fd < 0 || errors_fd < 0 || dup2(out_fd, 1) < 0 || dup2(errors_fd, 2) < 0 ||
                chdir(folder.path().c_str()) != 0)
                _exit(99);
            // Outside a terminal the program must not depend on SIGINT's inherited disposition.
            signal(SIGINT, SIG_IGN);
            execv(argv[0], argv.data());
            _exit(98);
        }
        return pid;
    }
    ProgramRun finish(pid_t pid) {
        ProgramRun run;
        int status = 0;
        if (waitpid(pid, &status, 0) == pid) {
            if (WIFEXITED(status)) run.exit_code = WEXITSTATUS(status);
            if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
        }
        run.out = read_all(output.path() + "/out");
        run.errors = read_all(output.path() + "/errors");
        return run;
    }
    ProgramRun run(const std::vector<std::string>& arguments) { return finish(start(arguments)); }

    // A link the reference service answers by its name, unique to this run.
    std::string link(const std::string& name, const std::string& query = "") {
        unique = "cli-" + std::to_string(getpid()) + "-" + std::to_string(++calls);
        return "https://v.mirevo.test/" + name + "?" + query + (query.empty() ? "" : "&") + "id=" + unique;
    }
    // The requests the service recorded for the last link.
    nlohmann::json service_log() {
        ByteArray body = web_request({.url = text_concat(MIREVO_CLI_SERVICE_BASE, "/_log?contains=", unique)});
        return nlohmann::json::parse(std::string(body.begin(), body.end()), nullptr, false);
    }

    ScratchFolder folder;
    ScratchFolder output;
    std::string unique;
    int calls = 0;
};

TEST_F(CliProgram, EachPlatformRunsTheButtonsRequestAndSavesUnderItsPrefix) {
    struct Case {
        const char* platform;
        const char* prefix;  // UTF-8
    };
    const Case cases[] = {
        {"douyin", "\xE6\x8A\x96\xE9\x9F\xB3-"},
        {"kuaishou", "\xE5\xBF\xAB\xE6\x89\x8B-"},
        {"tiktok", "TikTok-"},
        {"xigua", "\xE8\xA5\xBF\xE7\x93\x9C\xE8\xA7\x86\xE9\xA2\x91-"},
    };
    for (int index = 0; index < 4; ++index) {
        const Case& c = cases[index];
        SCOPED_TRACE(c.platform);
        std::string share_link = link("ok", "size=5000");
        ProgramRun result = run({"--platform", c.platform, "--dir", folder.path(), share_link});
        EXPECT_EQ(result.exit_code, 0) << result.errors;
        EXPECT_EQ(result.out, succeeded_text + "\n");
        // Plain progress lines end at the whole size.
        EXPECT_NE(result.errors.find("100.0%  5 kB / 5 kB"), std::string::npos) << result.errors;

        std::vector<std::string> names = folder.names();
        ASSERT_EQ(names.size(), 1u);
        EXPECT_TRUE(std::regex_match(names[0], std::regex(std::string(c.prefix) + "[0-9]{13}\\.mp4"))) << names[0];
        ByteArray expected_body = served_body(5000);
        EXPECT_EQ(read_all(folder.path() + "/" + names[0]), std::string(expected_body.begin(), expected_body.end()));
        unlink((folder.path() + "/" + names[0]).c_str());

        nlohmann::json log = service_log();
        ASSERT_TRUE(log.is_array());
        ASSERT_GE(log.size(), 1u);
        const nlohmann::json& parse = log[0];
        EXPECT_EQ(parse["method"], "GET");
        EXPECT_EQ(parse["path"], std::string(video_platform(index).service_path) + share_link);
        std::vector<std::string> ours;
        for (const auto& line : parse["headers"]) {
            std::string text = line.get<std::string>();
            for (const char* name : {"User-Agent:", "Accept:", "Referer:", "Accept-Language:"})
                if (text.rfind(name, 0) == 0) ours.push_back(text);
        }
        const std::vector<std::string> expected = {
            parse_user_agent_line().bytes(), "Accept: */*",
            "Referer: " + std::string(MIREVO_CLI_SERVICE_BASE) + video_platform(index).service_path + share_link,
            "Accept-Language: zh-cn"};
        EXPECT_EQ(ours, expected);
    }
}

TEST_F(CliProgram, FailuresPrintTheCommandsTextsAndExitWithOne) {
    struct Case {
        const char* name;  // the link's name for the service; empty: an empty link
        const std::string& text;
    };
    const Case cases[] = {
        {"fail", parse_failed_text}, {"msg-Yes", parse_failed_text}, {"not-json", parse_failed_text},
        {"url-404", failed_text},    {"url-drop", failed_text},      {"url-file", failed_text},
        {"", empty_link_text},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramRun result = run({"--dir", folder.path(), *c.name ? link(c.name) : std::string()});
        EXPECT_EQ(result.exit_code, 1);
        EXPECT_EQ(result.out, "");
        std::size_t at = result.errors.rfind(c.text + "\n");
        EXPECT_TRUE(at != std::string::npos && at + c.text.size() + 1 == result.errors.size()) << result.errors;
        EXPECT_TRUE(folder.names().empty());
    }
}

TEST_F(CliProgram, BadUsageExitsWithTwoAndHelpWithZero) {
    struct Case {
        std::vector<std::string> arguments;
        int exit_code;
        bool help_on_out;
    };
    const Case cases[] = {
        {{}, 2, false},
        {{"--platform", "youtube", "L"}, 2, false},
        {{"--dir", "", "L"}, 2, false},
        {{"L", "M"}, 2, false},
        {{"--help"}, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.exit_code);
        ProgramRun result = run(c.arguments);
        EXPECT_EQ(result.exit_code, c.exit_code);
        if (c.help_on_out) {
            EXPECT_EQ(
                result.out.rfind("Usage: mirevo-cli [--platform douyin|kuaishou|tiktok|xigua] [--dir DIR] LINK", 0),
                0u);
            EXPECT_NE(result.out.find("--dir DIR"), std::string::npos);
            EXPECT_EQ(result.errors, "");
        } else {
            EXPECT_EQ(result.out, "");
            EXPECT_NE(result.errors.find("Usage: mirevo-cli"), std::string::npos) << result.errors;
        }
    }
    EXPECT_TRUE(folder.names().empty());
}

TEST_F(CliProgram, WithoutDirTheVideoGoesIntoTheCurrentFolder) {
    ProgramRun result = run({link("ok", "size=1000")});
    EXPECT_EQ(result.exit_code, 0) << result.errors;
    std::vector<std::string> names = folder.names();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(std::regex_match(names[0], std::regex("\xE6\x8A\x96\xE9\x9F\xB3-[0-9]{13}\\.mp4"))) << names[0];
}

// Ctrl-C, or a termination request, stops a running download: the part file
// goes, the failure is printed, and the exit status says which signal it was.
TEST_F(CliProgram, CtrlCStopsTheDownloadAndRemovesThePartialFile) {
    struct Case {
        int signal_number;
        int exit_code;
    };
    const Case cases[] = {{SIGINT, 130}, {SIGTERM, 143}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.signal_number);
        pid_t pid = start({"--dir", folder.path(), link("ok", "size=30000000&ms=30000")});
        ASSERT_GT(pid, 0);
        // Wait for the part file, so that the signal lands mid-download.
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (folder.names().empty() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(folder.names().size(), 1u);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        auto signalled = std::chrono::steady_clock::now();
        kill(pid, c.signal_number);
        ProgramRun result = finish(pid);
        EXPECT_LT(std::chrono::steady_clock::now() - signalled, std::chrono::seconds(5));
        EXPECT_EQ(result.exit_code, c.exit_code);
        EXPECT_NE(result.errors.find(failed_text), std::string::npos) << result.errors;
        EXPECT_TRUE(folder.names().empty());
    }
}

}  // namespace
