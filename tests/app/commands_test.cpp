// The two small commands against the scripted window.
#include "app/commands.h"

#include <gtest/gtest.h>

#include "app/service.h"
#include "base/system.h"
#include "base/text.h"
#include "fake_window.h"

namespace {

// "已更改成功！保存目录："
const Text changed_message = "\xD2\xD1\xB8\xFC\xB8\xC4\xB3\xC9\xB9\xA6\xA3\xA1\xB1\xA3\xB4\xE6\xC4\xBF\xC2\xBC\xA3\xBA";
// "更改保存目录："
const Text chooser_title = "\xB8\xFC\xB8\xC4\xB1\xA3\xB4\xE6\xC4\xBF\xC2\xBC\xA3\xBA";

TEST(ChangeDirectory, SetsTheChosenFolderWithOneBackslashAndReportsIt) {
    const Text own_directory = text_concat(run_directory(), "\\");
    struct Case {
        const char* name;
        Text chosen;
        Text expected;
    } cases[] = {
        {"cancelled", Text(), own_directory},
        {"folder", "C:\\Users\\mei\\Videos", "C:\\Users\\mei\\Videos\\"},
        // "视频" in GBK: the path is passed on as bytes.
        {"chinese folder", "D:\\\xCA\xD3\xC6\xB5", "D:\\\xCA\xD3\xC6\xB5\\"},
        {"drive root", "C:\\", "C:\\\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CallLog log;
        FakeWindow window(log);
        window.texts[directory_box] = "E:\\previous\\";
        if (!c.chosen.empty()) window.folder_answers.push_back(c.chosen);

        change_directory(window);

        EXPECT_EQ(window.texts[directory_box], c.expected);
        ASSERT_EQ(log.size(), 3u);
        EXPECT_EQ(log[0], "browse_for_folder " + printable(chooser_title));
        EXPECT_EQ(log[1], "write_text " + std::to_string(directory_box) + " " + printable(c.expected));
        ASSERT_EQ(window.message_texts.size(), 1u);
        EXPECT_EQ(window.message_texts[0], text_concat(changed_message, c.expected));
        EXPECT_EQ(window.message_icons[0], icon_none);
    }
}

// The message shows what the box holds after the write, read back from it.
class NormalisingWindow : public FakeWindow {
public:
    using FakeWindow::FakeWindow;
    Text read_text(Control control) override { return text_upper(FakeWindow::read_text(control)); }
};

TEST(ChangeDirectory, ReportsTheTextReadBackFromTheBox) {
    CallLog log;
    NormalisingWindow window(log);
    window.folder_answers.push_back("c:\\videos");
    change_directory(window);
    ASSERT_EQ(window.message_texts.size(), 1u);
    EXPECT_EQ(window.message_texts[0], text_concat(changed_message, "C:\\VIDEOS\\"));
}

TEST(OpenServiceSite, CopiesOpensAndReportsInThatOrder) {
    CallLog log;
    FakeWindow window(log);
    open_service_site(window);
    const std::string site = printable(service_site_address());
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], "set_clipboard_text " + site);
    EXPECT_EQ(log[1], "open_url " + site);
    // "已把链接复制到剪辑版！"
    EXPECT_EQ(log[2],
              "message_box 64 " + printable("\xD2\xD1\xB0\xD1\xC1\xB4\xBD\xD3\xB8\xB4\xD6\xC6\xB5\xBD\xBC\xF4\xBC"
                                            "\xAD\xB0\xE6\xA3\xA1"));
}

TEST(ServiceAddresses, SiteIsTheHttpsBaseFollowedByOneSlash) {
    Text base = service_base_address();
    EXPECT_TRUE(text_starts_with(base, "https://"));
    EXPECT_EQ(text_find(text_mid(base, 9, text_length(base)), "/"), -1);
    EXPECT_EQ(service_site_address(), text_concat(base, "/"));
}

}  // namespace
