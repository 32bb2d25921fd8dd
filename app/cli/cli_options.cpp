#include "app/cli/cli_options.h"

#include "app/parse_command.h"
#include "base/codepage.h"
#include "base/text.h"

namespace {

const char* const platform_names[video_platform_count] = {"douyin", "kuaishou", "tiktok", "xigua"};

Text from_utf8(const std::string& s) { return utf8_to_text(ByteArray(s.begin(), s.end())); }

CliArguments bad_usage(const std::string& error) {
    CliArguments out;
    out.request = CliRequest::usage_error;
    out.error = error;
    return out;
}

int platform_index(const std::string& name) {
    for (int i = 0; i < video_platform_count; ++i)
        if (name == platform_names[i]) return i;
    return -1;
}

// The option's value from "--name=value" or from the next argument.
bool option_value(const std::vector<std::string>& arguments, std::size_t& at, const std::string& name,
                  std::string& value, bool& matched) {
    const std::string& argument = arguments[at];
    matched = false;
    if (argument == name) {
        matched = true;
        if (at + 1 >= arguments.size()) return false;
        value = arguments[++at];
        return true;
    }
    if (argument.rfind(name + "=", 0) == 0) {
        matched = true;
        value = argument.substr(name.size() + 1);
        return true;
    }
    return true;
}

}  // namespace

const char* cli_platform_name(int index) {
    return index >= 0 && index < video_platform_count ? platform_names[index] : nullptr;
}

CliArguments parse_cli_arguments(const std::vector<std::string>& arguments) {
    CliArguments out;
    out.request = CliRequest::run;
    std::vector<std::string> links;
    bool options_ended = false;
    for (std::size_t at = 0; at < arguments.size(); ++at) {
        const std::string& argument = arguments[at];
        if (options_ended || argument.empty() || argument[0] != '-' || argument == "-") {
            links.push_back(argument);
            continue;
        }
        if (argument == "--") {
            options_ended = true;
            continue;
        }
        if (argument == "--help" || argument == "-h") {
            out.request = CliRequest::help;
            return out;
        }
        std::string value;
        bool matched = false;
        if (!option_value(arguments, at, "--platform", value, matched)) return bad_usage("--platform needs a value");
        if (matched) {
            out.options.platform_index = platform_index(value);
            if (out.options.platform_index < 0) return bad_usage("unknown platform: " + value);
            continue;
        }
        if (!option_value(arguments, at, "--dir", value, matched)) return bad_usage("--dir needs a value");
        if (matched) {
            if (value.empty()) return bad_usage("--dir must not be empty");
            Text directory = from_utf8(value);
            // A name that does not survive the trip to GBK and back would name another folder.
            if (utf16_to_utf8(gbk_to_utf16(directory)) != value)
                return bad_usage("--dir holds characters the program cannot keep: " + value);
            out.options.directory = value.back() == '/' ? directory : text_concat(directory, "/");
            continue;
        }
        return bad_usage("unknown option: " + argument);
    }
    if (links.size() != 1) return bad_usage(links.empty() ? "no LINK given" : "more than one LINK given");
    out.options.link = from_utf8(links.front());
    return out;
}

std::string cli_help_text() {
    return "Usage: mirevo-cli [--platform douyin|kuaishou|tiktok|xigua] [--dir DIR] LINK\n"
           "\n"
           "Asks the parsing service about the share LINK of a short video and downloads\n"
           "the video without watermark into DIR, named after the platform and the time,\n"
           "e.g. \"\xE6\x8A\x96\xE9\x9F\xB3-1700000000123.mp4\". The outcome is printed as the program's window shows "
           "it.\n"
           "\n"
           "Options:\n"
           "  --platform NAME  the platform the link comes from (default: douyin)\n"
           "  --dir DIR        the folder to save into; it must exist (default: the current folder)\n"
           "  -h, --help       show this help and exit\n"
           "\n"
           "Progress goes to standard error: one updating line on a terminal, plain lines\n"
           "otherwise. Ctrl-C (or SIGTERM) stops the download and removes the partial file.\n"
           "\n"
           "Exit status: 0 downloaded; 1 the link could not be parsed or the download\n"
           "failed; 2 bad usage; 130 stopped with Ctrl-C (143 with SIGTERM).\n";
}
