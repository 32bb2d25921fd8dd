#include "app/startup.h"

#include "app/md5.h"
#include "app/skin_data.h"
#include "base/system.h"
#include "base/text.h"

Text enciphered_engine_name() { return "300E133E320A080F293E242D4F050D0D0F092CE0E"; }
Text engine_name_key() { return "Mv7#qTr!e"; }

Text tool_directory(StartupPlatform& platform) {
    return text_concat(platform.common_app_data_folder(), tool_folder_name());
}

void on_main_window_created(WindowOperations& window, StartupPlatform& platform) {
    platform.create_directory(tool_directory(platform));
    platform.set_dll_directory(tool_directory(platform));
    Text name = decipher_name(enciphered_engine_name());
    platform.write_file(text_concat(tool_directory(platform), name), platform.engine_library());

    const ByteArray& skin = skin_data();
    if (platform.attach_skin(skin, bytes_length(skin), Text(), 150, 0, 0) == SkinAttach::missing) {
        // "找不到库文件 Qor_SkinH_EL.dll 中的函数 SkinH_AttachRes，程序无法继续运行。"
        window.message_box(
            text_concat("\xD5\xD2\xB2\xBB\xB5\xBD\xBF\xE2\xCE\xC4\xBC\xFE ", skin_engine_file_name(),
                        " \xD6\xD0\xB5\xC4\xBA\xAF\xCA\xFD ", skin_engine_function_name(),
                        "\xA3\xAC\xB3\xCC\xD0\xF2\xCE\xDE\xB7\xA8\xBC\xCC\xD0\xF8\xD4\xCB\xD0\xD0\xA1\xA3"),
            icon_error);
        platform.end_program(1);
        return;
    }
    platform.set_process_dpi_aware();
    window.write_text(directory_box, text_concat(run_directory(), "\\"));
}

Text decipher_name(const Text& text) {
    Text key = engine_name_key();
    Text check = text_right(text, 9);
    Text digest = md5_hex(to_bytes(key));
    Text expected = text_upper(text_mid(digest, 3, 9));
    if (text_compare(check, expected) != 0) return Text();
    ByteArray bytes = hex_to_bytes(text_left(text, text_length(text) - 9));
    for (std::uint8_t& b : bytes) b = to_byte(bit_xor({b, 5985}));
    return to_text(bytes);
}

ByteArray hex_to_bytes(const Text& text) {
    ByteArray out;
    for (int position = 1; position <= text_length(text); position += 2) {
        out.push_back(to_byte(hex_value(text_mid(text, position, 2))));
        process_events();
    }
    return out;
}

std::int32_t hex_value(const Text& text) {
    // Unsigned arithmetic so that a long text wraps instead of overflowing.
    std::uint32_t value = 0;
    for (int position = 1; position <= text_length(text); ++position) {
        int digit = text_find("0123456789ABCDEF", text_upper(text_mid(text, position, 1))) - 1;
        value = value * 16u + static_cast<std::uint32_t>(digit);
    }
    return static_cast<std::int32_t>(value);
}
