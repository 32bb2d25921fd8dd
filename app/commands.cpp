#include "app/commands.h"

#include "app/service.h"
#include "base/system.h"
#include "base/text.h"

void change_directory(WindowOperations& window) {
    // "更改保存目录："
    Text chosen = window.browse_for_folder("\xB8\xFC\xB8\xC4\xB1\xA3\xB4\xE6\xC4\xBF\xC2\xBC\xA3\xBA");
    // A drive root already ends in a backslash and keeps it: the appended one makes
    // two, which the file system reads as one.
    Text directory = chosen.empty() ? text_concat(run_directory(), "\\") : text_concat(chosen, "\\");
    window.write_text(directory_box, directory);
    // "已更改成功！保存目录："
    window.message_box(
        text_concat("\xD2\xD1\xB8\xFC\xB8\xC4\xB3\xC9\xB9\xA6\xA3\xA1\xB1\xA3\xB4\xE6\xC4\xBF\xC2\xBC\xA3\xBA",
                    window.read_text(directory_box)),
        icon_none);
}

void open_service_site(WindowOperations& window) {
    window.set_clipboard_text(service_site_address());
    window.open_url(service_site_address());
    // "已把链接复制到剪辑版！"
    window.message_box("\xD2\xD1\xB0\xD1\xC1\xB4\xBD\xD3\xB8\xB4\xD6\xC6\xB5\xBD\xBC\xF4\xBC\xAD\xB0\xE6\xA3\xA1",
                       icon_information);
}
