// Where the project's test server listens: its ports are in the file named by
// MIREVO_TEST_SERVER_ENV, as key=value lines.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>

#include "base/types.h"

// The plain-HTTP base address, such as "http://localhost:8080"; empty when unknown.
inline Text test_server_http() {
    const char* file = std::getenv("MIREVO_TEST_SERVER_ENV");
    if (!file) return Text();
    std::ifstream lines(file);
    std::string line;
    while (std::getline(lines, line))
        if (line.rfind("http_port=", 0) == 0) return Text("http://localhost:" + line.substr(10));
    return Text();
}
