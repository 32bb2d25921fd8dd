// The command line of mirevo-cli:
//   mirevo-cli [--platform douyin|kuaishou|tiktok|xigua] [--dir DIR] LINK
#pragma once

#include <string>
#include <vector>

#include "base/types.h"

// What the command line asks for. Texts are GBK, as the command reads them.
struct CliOptions {
    int platform_index = 0;  // index into the platform table; douyin by default
    Text directory = "./";   // ends in "/"; the current folder by default
    Text link;
};

enum class CliRequest { run, help, usage_error };

struct CliArguments {
    CliRequest request = CliRequest::usage_error;
    CliOptions options;
    std::string error;  // why the usage is bad, in English, for the terminal
};

// Reads the arguments after the program name (UTF-8, as the terminal gives
// them). "--name value" and "--name=value" are both accepted, "--" ends the
// options. DIR gets a trailing "/" unless it has one. A DIR that GBK cannot
// hold, or that is empty, is bad usage: the file would go somewhere else.
CliArguments parse_cli_arguments(const std::vector<std::string>& arguments);

// The text --help prints.
std::string cli_help_text();

// The platform's name on the command line, by index; null outside the table.
const char* cli_platform_name(int index);
