// What runs once the main window and its controls exist: the tool directory, the
// skin engine, DPI awareness and the preset save directory. Also the routines that
// recover the engine library's file name from its stored, enciphered form.
#pragma once

#include <cstdint>

#include "app/window_operations.h"
#include "base/types.h"

// The file name under which the engine library is declared and loaded.
inline Text skin_engine_file_name() { return "Qor_SkinH_EL.dll"; }
// The one function the program calls in it.
inline Text skin_engine_function_name() { return "SkinH_AttachRes"; }
// Sub-folder of the all-users application-data folder that holds the library.
inline Text tool_folder_name() { return "Qor_Tools\\"; }

// The engine library file name as stored: hex digits of the name's bytes, each
// exclusive-ored with the low byte of 5985 (0x61), then a 9-character check value
// made from the key.
Text enciphered_engine_name();
Text engine_name_key();

enum class SkinAttach {
    attached,
    // A library file was there but its bytes are not the ones the program carries.
    refused,
    // No library with the function could be found anywhere.
    missing,
};

// The platform steps of the start-up sequence. Windows implements them for real;
// tests record the calls.
class StartupPlatform {
public:
    virtual ~StartupPlatform() = default;
    // The all-users application-data folder with a trailing backslash.
    virtual Text common_app_data_folder() = 0;
    virtual bool create_directory(const Text& path) = 0;
    // Later loads by bare file name look in this directory first.
    virtual void set_dll_directory(const Text& path) = 0;
    virtual bool write_file(const Text& path, const ByteArray& bytes) = 0;
    // The engine library bytes that the program carries.
    virtual const ByteArray& engine_library() = 0;
    // Loads the engine on its first call and hands it the skin.
    virtual SkinAttach attach_skin(const ByteArray& skin, std::int32_t size, const Text& password, std::int32_t hue,
                                   std::int32_t saturation, std::int32_t brightness) = 0;
    virtual void set_process_dpi_aware() = 0;
    // Ends the program at once with the exit code.
    virtual void end_program(int exit_code) = 0;
};

// The tool directory, computed afresh: the all-users folder, then "Qor_Tools\".
Text tool_directory(StartupPlatform& platform);

// The start-up sequence. Each step ignores how the one before it went; only an
// engine that cannot be found at all ends the program, with a message naming the
// library file and the function.
void on_main_window_created(WindowOperations& window, StartupPlatform& platform);

// The file name hidden in text, or empty when its check value does not match.
Text decipher_name(const Text& text);

// Pairs of hex digits to bytes; an odd last digit stands alone. Handles waiting
// window events after each byte.
ByteArray hex_to_bytes(const Text& text);

// The value of hex digits of either case. A character that is not a hex digit
// counts as the digit -2 and the conversion goes on; the value wraps at 32 bits.
std::int32_t hex_value(const Text& text);
