#include "app/startup_platform_win.h"

#include <windows.h>

#include <string>

#include "app/payload_win.h"
#include "base/codepage.h"
#include "base/system.h"
#include "download/special_folder.h"

namespace {

using AttachResource = int(__stdcall*)(const unsigned char* skin, int size, const char* password, int hue,
                                       int saturation, int brightness);

}  // namespace

Text WindowsStartupPlatform::common_app_data_folder() { return get_special_folder(special_folder_common_app_data); }

bool WindowsStartupPlatform::create_directory(const Text& path) { return ::create_directory(path); }

void WindowsStartupPlatform::set_dll_directory(const Text& path) {
    dll_directory_ = path;
    std::u16string directory = gbk_to_utf16(path);
    SetDllDirectoryW(reinterpret_cast<const wchar_t*>(directory.c_str()));
}

bool WindowsStartupPlatform::write_file(const Text& path, const ByteArray& bytes) {
    return ::write_file(path, {bytes});
}

const ByteArray& WindowsStartupPlatform::engine_library() { return carried_skin_engine(); }

SkinAttach WindowsStartupPlatform::attach_skin(const ByteArray& skin, std::int32_t size, const Text& password,
                                               std::int32_t hue, std::int32_t saturation, std::int32_t brightness) {
    // The engine is loaded at the first call only.
    if (!engine_tried_) {
        engine_tried_ = true;
        engine_ = load_skin_engine(dll_directory_, skin_engine_file_name(), engine_library());
        // The tool directory may be writable by others: once the engine is in,
        // libraries loaded later by bare name are no longer looked for there.
        SetDllDirectoryW(nullptr);
    }
    if (engine_.status == SkinEngineLoad::refused) return SkinAttach::refused;
    if (engine_.status == SkinEngineLoad::missing) return SkinAttach::missing;
    // The engine reads at most size bytes; never more than there are.
    if (size < 0 || static_cast<std::size_t>(size) > skin.size()) size = static_cast<std::int32_t>(skin.size());
    auto attach = reinterpret_cast<AttachResource>(reinterpret_cast<void*>(engine_.attach));
    attach(skin.data(), size, password.c_str(), hue, saturation, brightness);
    return SkinAttach::attached;
}

void WindowsStartupPlatform::set_process_dpi_aware() { SetProcessDPIAware(); }

void WindowsStartupPlatform::end_program(int exit_code) { ExitProcess(static_cast<UINT>(exit_code)); }
