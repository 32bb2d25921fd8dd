// Where the project's test server listens: its ports are in the file named by
// MIREVO_TEST_SERVER_ENV, as key=value lines.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>

#include "base/types.h"

// The base address of one listener, such as "http://localhost:8080" for scheme
// "http"; empty when unknown.
inline Text test_server_address(const std::string& scheme) {
    const char* file = std::getenv("MIREVO_TEST_SERVER_ENV");
    if (!file) return Text();
    std::ifstream lines(file);
    std::string line;
    std::string key = scheme + "_port=";
    while (std::getline(lines, line))
        if (line.rfind(key, 0) == 0) return Text(scheme + "://localhost:" + line.substr(key.size()));
    return Text();
}
