#include "app/parse_command.h"

#include "app/controls.h"
#include "app/service.h"
#include "base/system.h"
#include "base/text.h"
#include "base/time.h"
#include "json/json_object.h"

namespace {

// "视频链接不能为空！"
const char* const empty_link_message = "\xCA\xD3\xC6\xB5\xC1\xB4\xBD\xD3\xB2\xBB\xC4\xDC\xCE\xAA\xBF\xD5\xA3\xA1";
// "视频解析失败！请检查视频链接是否输入正确！"
const char* const parse_failed_message =
    "\xCA\xD3\xC6\xB5\xBD\xE2\xCE\xF6\xCA\xA7\xB0\xDC\xA3\xA1\xC7\xEB\xBC\xEC\xB2\xE9\xCA\xD3\xC6\xB5\xC1\xB4\xBD\xD3"
    "\xCA\xC7\xB7\xF1\xCA\xE4\xC8\xEB\xD5\xFD\xC8\xB7\xA3\xA1";
// "下载成功！"
const char* const download_succeeded_message = "\xCF\xC2\xD4\xD8\xB3\xC9\xB9\xA6\xA3\xA1";
// "下载失败！"
const char* const download_failed_message = "\xCF\xC2\xD4\xD8\xCA\xA7\xB0\xDC\xA3\xA1";

const VideoPlatform video_platforms[video_platform_count] = {
    {"/api/dywsyjx?url=", "\xB6\xB6\xD2\xF4-"},                 // Douyin, "抖音-"
    {"/api/kswsyjx?url=", "\xBF\xEC\xCA\xD6-"},                 // Kuaishou, "快手-"
    {"/api/tiktokwsyjx?url=", "TikTok-"},                       // TikTok
    {"/api/xgspjx?url=", "\xCE\xF7\xB9\xCF\xCA\xD3\xC6\xB5-"},  // Xigua Video, "西瓜视频-"
};

// The controls that could start the command again, in the order they are
// disabled and enabled.
const Control guarded_controls[] = {parse_button, directory_button, link_box, directory_box};

void set_guarded_controls_disabled(WindowOperations& window, bool disabled) {
    for (Control control : guarded_controls) window.write_disabled(control, disabled);
}

// Asks the service about the link for one platform and downloads what it names.
void run_platform_steps(int index, WindowOperations& window, ParsePlatform& platform, JsonObject& json) {
    const VideoPlatform& row = video_platform(index);
    Text address = text_concat(service_base_address(), row.service_path, window.read_text(link_box));
    json.parse(utf8_to_text(platform.request(address, parse_user_agent_line())));
    if (text_compare(json.get_text("msg"), "yes") != 0) {
        window.message_box(parse_failed_message, icon_error);
        return;
    }
    Text url = json.get_text("url");
    DateTime now = platform.current_time();  // the milliseconds are read after it
    Text stamp = timestamp_text(now, false, false, platform.current_milliseconds());
    Text file_name = text_concat(window.read_text(directory_box), row.file_prefix, stamp, ".mp4");
    if (platform.download(url, file_name, main_window_id, progress_bar, true))
        window.message_box(download_succeeded_message, icon_none);
    else
        window.message_box(download_failed_message, icon_error);
}

// Everything between disabling and enabling the controls. Each platform test
// reads the list afresh, so a platform chosen during a download with a higher
// index runs next.
void run_command(WindowOperations& window, ParsePlatform& platform, JsonObject& json) {
    if (window.read_text(link_box).empty()) {
        window.message_box(empty_link_message, icon_error);
        return;
    }
    if (window.read_text(directory_box).empty()) {
        window.write_text(directory_box, text_concat(run_directory(), "\\"));
        return;
    }
    for (int index = 0; index < video_platform_count; ++index)
        if (window.read_selected_index(platform_list) == index) run_platform_steps(index, window, platform, json);
}

}  // namespace

const VideoPlatform& video_platform(int index) { return video_platforms[index]; }

Text parse_user_agent_line() {
    return "User-Agent: Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
           "Chrome/98.0.4758.139 Qor Tazu/537.36";
}

void parse_and_download(WindowOperations& window, ParsePlatform& platform) {
    JsonObject json;
    set_guarded_controls_disabled(window, true);
    run_command(window, platform, json);
    set_guarded_controls_disabled(window, false);
    json.destroy();
}

// The seconds count is 64 bits wide: a 32-bit count would turn negative in
// January 2038 and the names would start again from "-2147483648".
Text timestamp_text(const DateTime& time, bool seconds_only, bool pad_seconds, int milliseconds) {
    std::int64_t seconds = time_diff_seconds_wide(time, to_time("1970-01-01 08:00:00"));
    Text s = to_text(static_cast<double>(seconds));
    if (pad_seconds) s = pad_left_zeros(s, 10);
    if (seconds_only) return text_left(s, 10);
    return text_concat(s, pad_left_zeros(to_text(milliseconds), 3));
}

Text pad_left_zeros(const Text& t, int width) { return text_concat(text_repeat(width - text_length(t), "0"), t); }
