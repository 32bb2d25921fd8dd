// The command behind the "解析下载" button: asks the parsing service about the
// share link and downloads the video it names into the save directory.
#pragma once

#include <cstdint>

#include "app/window_operations.h"
#include "base/types.h"

// The platform steps the command uses. Windows serves them with web_request and
// download_with_progress; tests script them.
class ParsePlatform {
public:
    virtual ~ParsePlatform() = default;
    // A GET of address with one extra header line and the default ones; the
    // response body, empty when nothing was received.
    virtual ByteArray request(const Text& address, const Text& header_line) = 0;
    // Downloads url into file_name, driving the progress bar named by the two
    // identifiers when show_progress is set; true on success.
    virtual bool download(const Text& url, const Text& file_name, std::int32_t window_id, std::int32_t control_id,
                          bool show_progress) = 0;
    // The local clock: the date and time to the second, and the milliseconds field.
    virtual DateTime current_time() = 0;
    virtual int current_milliseconds() = 0;
};

// One row of the platform table, by the index of platform_list.
struct VideoPlatform {
    const char* service_path;
    const char* file_prefix;  // GBK
};
constexpr int video_platform_count = 4;
const VideoPlatform& video_platform(int index);

// The one request header line the command supplies.
Text parse_user_agent_line();

// Runs the command once on the user-interface thread. It disables the four
// controls that could start it again and enables them however it ends.
void parse_and_download(WindowOperations& window, ParsePlatform& platform);

// Seconds from the local clock reading 1970-01-01 08:00:00 to time, then (unless
// seconds_only) the milliseconds as three digits. With pad_seconds the seconds
// are padded to 10 digits; seconds_only keeps the first 10 bytes.
Text timestamp_text(const DateTime& time, bool seconds_only, bool pad_seconds, int milliseconds);

// t preceded by "0" characters up to width bytes; unchanged when long enough.
Text pad_left_zeros(const Text& t, int width);
