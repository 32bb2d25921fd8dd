// Native build: UTF-8 file names, the C library's environment, no window system.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <string>

#include "base/codepage.h"
#include "base/system.h"
#include "base/text.h"
#include "base/time.h"

namespace {

std::string native_path(const Text& path) { return utf16_to_utf8(gbk_to_utf16(path)); }

Text from_native(const std::string& s) { return utf8_to_text(ByteArray(s.begin(), s.end())); }

bool write_all(int fd, const ByteArray& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

Text run_directory() {
    std::string buffer(4096, '\0');
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) return Text();
    buffer.resize(static_cast<std::size_t>(n));
    return from_native(buffer.substr(0, buffer.rfind('/')));
}

Text env_variable(const Text& name) {
    if (name.empty()) return Text();
    const char* value = std::getenv(native_path(name).c_str());
    return value ? from_native(value) : Text();
}

bool create_directory(const Text& path) { return !path.empty() && ::mkdir(native_path(path).c_str(), 0777) == 0; }

bool delete_file(const Text& path) { return !path.empty() && ::unlink(native_path(path).c_str()) == 0; }

bool write_file(const Text& path, std::initializer_list<ByteArray> pieces) {
    if (path.empty()) return false;
    int fd = ::open(native_path(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = true;
    for (const ByteArray& piece : pieces) ok = ok && write_all(fd, piece);
    return ::close(fd) == 0 && ok;
}

ByteArray read_file(const Text& path) {
    if (path.empty()) return {};
    int fd = ::open(native_path(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    ByteArray out;
    std::uint8_t buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) out.insert(out.end(), buffer, buffer + n);
    ::close(fd);
    return n == 0 ? out : ByteArray();
}

void process_events() {}

int current_milliseconds() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<int>(now.tv_nsec / 1000000);
}

DateTime current_time() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}
