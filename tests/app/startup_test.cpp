// The start-up sequence against a recording platform and the scripted window.
#include "app/startup.h"

#include <gtest/gtest.h>

#include "app/skin_data.h"
#include "base/system.h"
#include "base/text.h"
#include "fake_window.h"

namespace {

class FakePlatform : public StartupPlatform {
public:
    explicit FakePlatform(CallLog& log) : log_(log) {}

    Text app_data = "C:\\ProgramData\\";
    bool directory_exists = false;
    SkinAttach attach_result = SkinAttach::attached;
    ByteArray engine = {'M', 'Z', 0x90, 0x00, 0x03};
    ByteArray skin_seen;

    Text common_app_data_folder() override { return app_data; }
    bool create_directory(const Text& path) override {
        log_.push_back("create_directory " + printable(path));
        bool created = !directory_exists;
        directory_exists = true;
        return created;
    }
    void set_dll_directory(const Text& path) override { log_.push_back("set_dll_directory " + printable(path)); }
    bool write_file(const Text& path, const ByteArray& bytes) override {
        log_.push_back("write_file " + printable(path) + " " + std::to_string(bytes.size()));
        return true;
    }
    const ByteArray& engine_library() override { return engine; }
    SkinAttach attach_skin(const ByteArray& skin, std::int32_t size, const Text& password, std::int32_t hue,
                           std::int32_t saturation, std::int32_t brightness) override {
        skin_seen = skin;
        log_.push_back("attach_skin " + std::to_string(size) + " " + printable(password) + " " + std::to_string(hue) +
                       " " + std::to_string(saturation) + " " + std::to_string(brightness));
        return attach_result;
    }
    void set_process_dpi_aware() override { log_.push_back("set_process_dpi_aware"); }
    void end_program(int exit_code) override { log_.push_back("end_program " + std::to_string(exit_code)); }

private:
    CallLog& log_;
};

std::string preset_directory_entry() {
    return "write_text " + std::to_string(directory_box) + " " + printable(text_concat(run_directory(), "\\"));
}

TEST(Startup, RunsItsStepsInOrderWhateverTheEarlierStepsGave) {
    struct Case {
        const char* name;
        Text app_data;
        bool directory_exists;
        SkinAttach attach_result;
        Text tool_directory;
    } cases[] = {
        {"first start", "C:\\ProgramData\\", false, SkinAttach::attached, "C:\\ProgramData\\Qor_Tools\\"},
        {"second start", "C:\\ProgramData\\", true, SkinAttach::attached, "C:\\ProgramData\\Qor_Tools\\"},
        // No all-users folder: a folder at the root of the current drive.
        {"no app-data folder", "\\", false, SkinAttach::attached, "\\Qor_Tools\\"},
        // A library file that is not ours was refused: the program goes on without the skin.
        {"engine refused", "C:\\ProgramData\\", true, SkinAttach::refused, "C:\\ProgramData\\Qor_Tools\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CallLog log;
        FakeWindow window(log);
        FakePlatform platform(log);
        platform.app_data = c.app_data;
        platform.directory_exists = c.directory_exists;
        platform.attach_result = c.attach_result;

        on_main_window_created(window, platform);

        const std::string dir = printable(c.tool_directory);
        const CallLog expected = {
            "create_directory " + dir,
            "set_dll_directory " + dir,
            "write_file " + printable(text_concat(c.tool_directory, "Qor_SkinH_EL.dll")) + " 5",
            "attach_skin 3949 \"\" 150 0 0",
            "set_process_dpi_aware",
            preset_directory_entry(),
        };
        EXPECT_EQ(log, expected);
        ASSERT_EQ(platform.skin_seen.size(), 3949u);
        EXPECT_EQ(to_text(bytes_mid(platform.skin_seen, 1, 4)), Text(".SHE"));
        EXPECT_TRUE(window.message_texts.empty());
    }
}

TEST(Startup, PresetsTheSaveDirectoryOnEveryStart) {
    CallLog log;
    FakeWindow window(log);
    FakePlatform platform(log);
    const Text own_directory = text_concat(run_directory(), "\\");
    for (const Text& before : {Text(), Text("D:\\elsewhere\\"), own_directory}) {
        SCOPED_TRACE(printable(before));
        window.texts[directory_box] = before;
        on_main_window_created(window, platform);
        EXPECT_EQ(window.texts[directory_box], own_directory);
    }
}

TEST(Startup, MissingEngineEndsTheProgramNamingFileAndFunction) {
    CallLog log;
    FakeWindow window(log);
    FakePlatform platform(log);
    platform.attach_result = SkinAttach::missing;

    on_main_window_created(window, platform);

    ASSERT_EQ(window.message_texts.size(), 1u);
    EXPECT_GT(text_find(window.message_texts[0], "Qor_SkinH_EL.dll"), 0);
    EXPECT_GT(text_find(window.message_texts[0], "SkinH_AttachRes"), 0);
    EXPECT_EQ(window.message_icons[0], icon_error);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log.back(), "end_program 1");
    EXPECT_EQ(log[log.size() - 3], "attach_skin 3949 \"\" 150 0 0");
}

}  // namespace
