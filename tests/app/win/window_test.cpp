// The real main window in this process: its layout, fonts, styles, property
// reads and writes, progress writes from another thread, and the message box.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window_win.h"
#include "base/codepage.h"
#include "base/system.h"
#include "base/text.h"

namespace {

// Wine draws some controls a little differently; positions and sizes may differ
// by this much.
constexpr int tolerance = 2;

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        ASSERT_TRUE(window_.create(GetModuleHandleW(nullptr)));
        window_.show();
        window_.process_events();
    }

    RECT client_rect_of(Control id) {
        RECT r{};
        GetWindowRect(window_.control(id), &r);
        MapWindowPoints(nullptr, window_.handle(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    MainWindow window_;
};

TEST_F(MainWindowTest, ControlsStandWhereTheLayoutPutsThem) {
    struct Case {
        const char* name;
        Control id;
        const wchar_t* window_class;
        int x, y, width, height;
    } cases[] = {
        {"caption_label", caption_label, L"Static", 8, 16, 100, 104},
        {"platform_list", platform_list, L"ComboBox", 104, 14, 216, 28},
        {"link_box", link_box, L"Edit", 104, 52, 216, 32},
        {"directory_box", directory_box, L"Edit", 104, 92, 216, 32},
        {"parse_button", parse_button, L"Button", 328, 6, 96, 36},
        {"directory_button", directory_button, L"Button", 328, 48, 96, 36},
        {"service_button", service_button, L"Button", 328, 92, 96, 36},
        {"progress_bar", progress_bar, L"msctls_progress32", 8, 136, 416, 32},
        {"hint_label", hint_label, L"Static", 8, 184, 416, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND control = window_.control(c.id);
        ASSERT_NE(control, nullptr);
        wchar_t class_name[64] = {};
        GetClassNameW(control, class_name, 64);
        EXPECT_EQ(_wcsicmp(class_name, c.window_class), 0);
        EXPECT_TRUE(IsWindowVisible(control));
        RECT r = client_rect_of(c.id);
        EXPECT_NEAR(r.left, c.x, tolerance);
        EXPECT_NEAR(r.top, c.y, tolerance);
        EXPECT_NEAR(r.right - r.left, c.width, tolerance);
        EXPECT_NEAR(r.bottom - r.top, c.height, tolerance);
    }
}

TEST_F(MainWindowTest, WindowIsAFixedCentredDialogFrameWithMinimiseOnly) {
    RECT r{};
    GetWindowRect(window_.handle(), &r);
    EXPECT_EQ(r.right - r.left, main_window_width);
    EXPECT_EQ(r.bottom - r.top, main_window_height);
    EXPECT_NEAR(r.left, (GetSystemMetrics(SM_CXSCREEN) - main_window_width) / 2, 1);
    EXPECT_NEAR(r.top, (GetSystemMetrics(SM_CYSCREEN) - main_window_height) / 2, 1);

    LONG_PTR style = GetWindowLongPtrW(window_.handle(), GWL_STYLE);
    LONG_PTR extended = GetWindowLongPtrW(window_.handle(), GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(extended & WS_EX_DLGMODALFRAME);
    EXPECT_FALSE(extended & WS_EX_TOPMOST);
    EXPECT_EQ(GetMenu(window_.handle()), nullptr);

    wchar_t caption[32] = {};
    GetWindowTextW(window_.handle(), caption, 32);
    EXPECT_STREQ(caption, L"Mirevo");
}

TEST_F(MainWindowTest, ControlsShowTheirTextsAtStart) {
    auto text_of = [&](Control id) {
        wchar_t buffer[256] = {};
        GetWindowTextW(window_.control(id), buffer, 256);
        return utf16_to_gbk(std::u16string(buffer, buffer + wcslen(buffer)));
    };
    // "视频平台：\r\n\r\n视频链接：\r\n\r\n保存目录："
    EXPECT_EQ(text_of(caption_label),
              Text("\xCA\xD3\xC6\xB5\xC6\xBD\xCC\xA8\xA3\xBA\r\n\r\n\xCA\xD3\xC6\xB5\xC1\xB4\xBD\xD3\xA3\xBA\r\n\r\n"
                   "\xB1\xA3\xB4\xE6\xC4\xBF\xC2\xBC\xA3\xBA"));
    EXPECT_EQ(text_of(parse_button), Text("\xBD\xE2\xCE\xF6\xCF\xC2\xD4\xD8"));      // "解析下载"
    EXPECT_EQ(text_of(directory_button), Text("\xB8\xFC\xB8\xC4\xC4\xBF\xC2\xBC"));  // "更改目录"
    EXPECT_EQ(text_of(service_button), Text("\xBD\xD3\xBF\xDA\xB5\xD8\xD6\xB7"));    // "接口地址"
    // "TikTok视频不需要翻墙也可下载（只要有视频链接）"
    EXPECT_EQ(text_of(hint_label), Text("TikTok\xCA\xD3\xC6\xB5\xB2\xBB\xD0\xE8\xD2\xAA\xB7\xAD\xC7\xBD\xD2\xB2\xBF"
                                        "\xC9\xCF\xC2\xD4\xD8\xA3\xA8\xD6\xBB\xD2\xAA\xD3\xD0\xCA\xD3\xC6\xB5\xC1\xB4"
                                        "\xBD\xD3\xA3\xA9"));
    EXPECT_TRUE(text_starts_with(window_.read_text(link_box), "https://"));
    EXPECT_EQ(window_.read_text(directory_box), Text());

    // "抖音", "快手", "TikTok", "西瓜视频", the first selected.
    const Text items[] = {"\xB6\xB6\xD2\xF4", "\xBF\xEC\xCA\xD6", "TikTok", "\xCE\xF7\xB9\xCF\xCA\xD3\xC6\xB5"};
    HWND list = window_.control(platform_list);
    ASSERT_EQ(SendMessageW(list, CB_GETCOUNT, 0, 0), 4);
    for (int i = 0; i < 4; ++i) {
        wchar_t item[32] = {};
        SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        EXPECT_EQ(utf16_to_gbk(std::u16string(item, item + wcslen(item))), items[i]);
    }
    EXPECT_EQ(window_.read_selected_index(platform_list), 0);
    EXPECT_EQ(GetWindowLongPtrW(list, GWL_STYLE) & CBS_DROPDOWNLIST, CBS_DROPDOWNLIST);
}

TEST_F(MainWindowTest, FontsAreAKaiFaceThatHasTheChineseGlyphs) {
    const Control controls[] = {caption_label, platform_list,    link_box,       directory_box,
                                parse_button,  directory_button, service_button, hint_label};
    for (Control id : controls) {
        SCOPED_TRACE(id);
        bool button = id == parse_button || id == directory_button || id == service_button;
        auto font = reinterpret_cast<HFONT>(SendMessageW(window_.control(id), WM_GETFONT, 0, 0));
        ASSERT_NE(font, nullptr);
        LOGFONTW logical{};
        ASSERT_GT(GetObjectW(font, sizeof logical, &logical), 0);
        EXPECT_EQ(logical.lfHeight, button ? -18 : -20);
        EXPECT_EQ(logical.lfWeight, FW_NORMAL);
        EXPECT_EQ(logical.lfCharSet, GB2312_CHARSET);

        // The face actually used draws "视频" from glyphs of its own, not boxes.
        HDC dc = GetDC(window_.control(id));
        HGDIOBJ old = SelectObject(dc, font);
        WORD glyphs[2] = {};
        DWORD found = GetGlyphIndicesW(dc, L"\x89C6\x9891", 2, glyphs, GGI_MARK_NONEXISTING_GLYPHS);
        wchar_t face[LF_FACESIZE] = {};
        GetTextFaceW(dc, LF_FACESIZE, face);
        SelectObject(dc, old);
        ReleaseDC(window_.control(id), dc);
        EXPECT_EQ(found, 2u);
        EXPECT_NE(glyphs[0], 0xFFFF);
        EXPECT_NE(glyphs[1], 0xFFFF);
        // The test prefix offers the Kai face under its own name and as "楷体".
        std::wstring used(face);
        EXPECT_TRUE(used == L"\x6977\x4F53" || used.find(L"Kai") != std::wstring::npos)
            << Text(utf16_to_gbk(std::u16string(used.begin(), used.end())));
    }
}

TEST_F(MainWindowTest, TextAndDisabledWritesReachTheControls) {
    const Text path = "D:\\\xCA\xD3\xC6\xB5\\";  // "视频" in GBK
    window_.write_text(directory_box, path);
    EXPECT_EQ(window_.read_text(directory_box), path);
    window_.write_text(link_box, Text());
    EXPECT_EQ(window_.read_text(link_box), Text());

    window_.write_disabled(parse_button, true);
    EXPECT_FALSE(IsWindowEnabled(window_.control(parse_button)));
    window_.write_disabled(parse_button, false);
    EXPECT_TRUE(IsWindowEnabled(window_.control(parse_button)));
}

TEST_F(MainWindowTest, ProgressBarHoldsValuesWithinLimitsAndRange) {
    HWND bar = window_.control(progress_bar);
    struct Case {
        const char* name;
        int minimum, maximum, position;
        int low, high, shown;
    } cases[] = {
        {"past the maximum shows full", 0, 1000, 1500, 0, 1000, 1000},
        {"negative shows empty", 0, 1000, -5, 0, 1000, 0},
        {"bounds the wrong way round and above the limit", 40000, 200, 100, 200, 32767, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window_.write_progress(ProgressProperty::minimum, c.minimum);
        window_.write_progress(ProgressProperty::maximum, c.maximum);
        window_.write_progress(ProgressProperty::position, c.position);
        PBRANGE range{};
        SendMessageW(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
        EXPECT_EQ(range.iLow, c.low);
        EXPECT_EQ(range.iHigh, c.high);
        EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), c.shown);
    }
}

TEST_F(MainWindowTest, ProgressWritesFromAnotherThreadTakeEffectInOrderOnTheWindowThread) {
    HWND bar = window_.control(progress_bar);
    window_.write_progress(ProgressProperty::minimum, 0);
    window_.write_progress(ProgressProperty::maximum, 1000);
    std::atomic<bool> done{false};
    std::vector<int> seen;
    std::thread worker([&] {
        for (int position = 0; position <= 1000; position += 10) {
            window_.write_progress(ProgressProperty::position, position);
            // Read straight after the write returns: it must already show.
            seen.push_back(static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0)));
        }
        done = true;
    });
    DWORD begin = GetTickCount();
    while (!done && GetTickCount() - begin < 30000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT | QS_SENDMESSAGE);
        window_.process_events();
    }
    worker.join();
    ASSERT_EQ(seen.size(), 101u);
    for (std::size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i], static_cast<int>(i) * 10) << i;
}

// Watches for the message box from another thread, reads it, and presses OK.
struct SeenBox {
    std::wstring text;
    HWND owner = nullptr;
    bool main_window_enabled = true;
    bool found = false;
};

TEST_F(MainWindowTest, MessageBoxHasTheCaptionNoOwnerAndBlocksTheWholeProgram) {
    SeenBox seen;
    HWND main = window_.handle();
    std::thread watcher([&] {
        for (int tries = 0; tries < 200 && !seen.found; ++tries) {
            // "信息：", of this process: other programs may show boxes of that name.
            HWND box = nullptr;
            while ((box = FindWindowExW(nullptr, box, L"#32770", L"\x4FE1\x606F\xFF1A")) != nullptr) {
                DWORD owner = 0;
                GetWindowThreadProcessId(box, &owner);
                if (owner == GetCurrentProcessId()) break;
            }
            if (!box) {
                Sleep(50);
                continue;
            }
            seen.found = true;
            wchar_t text[256] = {};
            GetWindowTextW(GetDlgItem(box, 0xFFFF), text, 256);
            seen.text = text;
            seen.owner = GetWindow(box, GW_OWNER);
            seen.main_window_enabled = IsWindowEnabled(main);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
    });
    // "已把链接复制到剪辑版！"
    window_.message_box("\xD2\xD1\xB0\xD1\xC1\xB4\xBD\xD3\xB8\xB4\xD6\xC6\xB5\xBD\xBC\xF4\xBC\xAD\xB0\xE6\xA3\xA1",
                        icon_information);
    watcher.join();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.text, L"\x5DF2\x628A\x94FE\x63A5\x590D\x5236\x5230\x526A\x8F91\x7248\xFF01");
    EXPECT_EQ(seen.owner, nullptr);
    EXPECT_FALSE(seen.main_window_enabled);
    EXPECT_TRUE(IsWindowEnabled(main));
}

TEST_F(MainWindowTest, ClipboardHoldsTheTextAsAnsiAndUnicode) {
    const Text address = "https://parse.mirevo.example/";
    window_.set_clipboard_text(address);
    ASSERT_TRUE(OpenClipboard(window_.handle()));
    HANDLE ansi = GetClipboardData(CF_TEXT);
    ASSERT_NE(ansi, nullptr);
    Text stored(static_cast<const char*>(GlobalLock(ansi)));
    GlobalUnlock(ansi);
    HANDLE unicode = GetClipboardData(CF_UNICODETEXT);
    ASSERT_NE(unicode, nullptr);
    std::wstring stored_wide(static_cast<const wchar_t*>(GlobalLock(unicode)));
    GlobalUnlock(unicode);
    CloseClipboard();
    EXPECT_EQ(stored, address);
    EXPECT_EQ(stored_wide, L"https://parse.mirevo.example/");
}

}  // namespace
