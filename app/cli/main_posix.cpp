// mirevo-cli: the parse-and-download command without a window. It runs the same
// command as the window's "解析下载" button, with the link, the folder and the
// platform taken from the command line and every message printed.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/cli_options.h"
#include "app/cli/cli_platform_posix.h"
#include "app/cli/cli_window.h"

namespace {

constexpr int exit_succeeded = 0;
constexpr int exit_failed = 1;
constexpr int exit_bad_usage = 2;
// A download stopped by a signal ends as the shell reports a program the signal
// ended: 128 and the signal's number (130 for Ctrl-C).
constexpr int exit_signalled = 128;

StopSignal* stop_signal = nullptr;

// During a download Ctrl-C (or a termination request) asks the download to
// stop, so that it removes its part file; at any other time there is nothing to
// undo and the program ends at once, the default way.
void on_stop_signal(int signal_number) {
    if (stop_signal && stop_signal->downloading) {
        stop_signal->stop_requested = signal_number;
        return;
    }
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

}  // namespace

int main(int argc, char** argv) {
    CliArguments arguments = parse_cli_arguments(std::vector<std::string>(argv + 1, argv + argc));
    if (arguments.request == CliRequest::help) {
        std::fputs(cli_help_text().c_str(), stdout);
        return exit_succeeded;
    }
    if (arguments.request == CliRequest::usage_error) {
        std::fprintf(stderr, "mirevo-cli: %s\n%s", arguments.error.c_str(),
                     "Usage: mirevo-cli [--platform douyin|kuaishou|tiktok|xigua] [--dir DIR] LINK\n"
                     "Try 'mirevo-cli --help' for more information.\n");
        return exit_bad_usage;
    }

    StopSignal stop;
    stop_signal = &stop;
    struct sigaction action {};
    action.sa_handler = on_stop_signal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A closed output pipe must not end the program halfway; writes just fail.
    std::signal(SIGPIPE, SIG_IGN);

    TerminalProgress progress(stderr, isatty(STDERR_FILENO) != 0);
    CliWindow window(arguments.options, stdout, stderr);
    CliParsePlatform platform(progress, stop);
    parse_and_download(window, platform);

    if (platform.stopped()) return exit_signalled + stop.stop_requested;
    return window.succeeded() ? exit_succeeded : exit_failed;
}
