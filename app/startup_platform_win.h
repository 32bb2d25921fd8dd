// The start-up sequence's platform steps on Windows.
#pragma once

#include "app/skin_loader_win.h"
#include "app/startup.h"

class WindowsStartupPlatform : public StartupPlatform {
public:
    Text common_app_data_folder() override;
    bool create_directory(const Text& path) override;
    void set_dll_directory(const Text& path) override;
    bool write_file(const Text& path, const ByteArray& bytes) override;
    const ByteArray& engine_library() override;
    SkinAttach attach_skin(const ByteArray& skin, std::int32_t size, const Text& password, std::int32_t hue,
                           std::int32_t saturation, std::int32_t brightness) override;
    void set_process_dpi_aware() override;
    void end_program(int exit_code) override;

private:
    Text dll_directory_;
    SkinEngine engine_;
    bool engine_tried_ = false;
};
