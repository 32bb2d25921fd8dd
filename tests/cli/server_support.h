// What the native tests of the libcurl backends share: the running test server's
// addresses, the echoed request split into its parts, scoped environment
// variables and a scratch folder.
#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/system.h"
#include "base/text.h"

// Makes the libcurl backends of this process, and the programs it starts, trust
// the test CA that signed the test servers' certificates.
inline void trust_test_ca() { setenv("MIREVO_CA_FILE", MIREVO_TEST_CA_FILE, 1); }

// The ports and credentials that the running test server wrote to its file
// (MIREVO_TEST_SERVER_ENV, key=value lines).
class TestServer {
public:
    TestServer() {
        const char* file = std::getenv("MIREVO_TEST_SERVER_ENV");
        if (!file) return;
        for (const Text& line : text_split(to_text(read_file(Text(file))), "\n")) {
            int equals = text_find(line, "=");
            if (equals > 0) values_[text_left(line, equals - 1).bytes()] = text_mid(line, equals + 1, line.length());
        }
    }
    bool running() const { return values_.count("https_port") > 0 && values_.count("http_port") > 0; }
    Text value(const std::string& key) const {
        auto found = values_.find(key);
        return found == values_.end() ? Text() : found->second;
    }
    // "https://localhost:PORT/path" for the named listener ("https", "http", ...).
    Text url(const std::string& listener, const char* path) const {
        bool plain = listener == "http" || listener == "proxy" || listener == "stalled_connect";
        return text_concat(plain ? "http" : "https", "://localhost:", value(listener + "_port"), path);
    }

private:
    std::map<std::string, Text> values_;
};

// An echoed request: request line, header lines, body.
struct Echo {
    Text request_line;
    TextArray header_lines;
    ByteArray body;
};

inline Echo parse_echo(const ByteArray& answer) {
    Echo echo;
    std::string text(answer.begin(), answer.end());
    std::size_t end = text.find("\r\n\r\n");
    if (end == std::string::npos) return echo;
    TextArray lines = text_split(Text(text.substr(0, end)), "\r\n");
    if (lines.empty()) return echo;
    echo.request_line = lines.front();
    echo.header_lines.assign(lines.begin() + 1, lines.end());
    echo.body.assign(answer.begin() + static_cast<std::ptrdiff_t>(end + 4), answer.end());
    return echo;
}

// The echoed line for a header name (ASCII case ignored), or empty.
inline Text header_line(const Echo& echo, const Text& name) {
    Text prefix = text_concat(name, ":");
    for (const Text& line : echo.header_lines)
        if (text_compare_mbcs(text_left(line, prefix.length()), prefix, false) == 0) return line;
    return Text();
}

// The body that the server's download paths send: byte i is i % 251.
inline ByteArray served_body(std::size_t size) {
    ByteArray out(size);
    for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<std::uint8_t>(i % 251);
    return out;
}

// Sets (or, with nullopt, unsets) an environment variable for the holder's life.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~ScopedEnvironment() {
        if (old_)
            setenv(name_.c_str(), old_->c_str(), 1);
        else
            unsetenv(name_.c_str());
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

// A fresh folder, removed with its files (one level) afterwards.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::getenv("TMPDIR") ? std::string(std::getenv("TMPDIR")) : "/tmp") + "/mirevo-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data())) path_ = buffer.data();
    }
    ~ScratchFolder() {
        for (const std::string& name : names()) {
            std::string path = path_ + "/" + name;
            struct stat info {};
            if (lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
                rmdir(path.c_str());
            else
                unlink(path.c_str());
        }
        if (!path_.empty()) rmdir(path_.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool valid() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    // The folder's entries (UTF-8 names), sorted.
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        if (DIR* dir = opendir(path_.c_str())) {
            while (dirent* entry = readdir(dir)) {
                std::string name = entry->d_name;
                if (name != "." && name != "..") out.push_back(name);
            }
            closedir(dir);
        }
        std::sort(out.begin(), out.end());
        return out;
    }

private:
    std::string path_;
};
