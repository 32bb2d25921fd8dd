// process_events on a real message queue: it dispatches what waits and leaves a
// quit request queued for the caller's own loop.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/system.h"

namespace {

int handled = 0;
constexpr UINT test_message = WM_APP + 7;

LRESULT CALLBACK count_messages(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == test_message) {
        ++handled;
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

TEST(ProcessEvents, DispatchesWaitingMessagesAndKeepsTheQuitRequest) {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = count_messages;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"MirevoProcessEventsTest";
    ASSERT_NE(RegisterClassW(&window_class), 0);
    HWND window = CreateWindowExW(0, window_class.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  window_class.hInstance, nullptr);
    ASSERT_NE(window, nullptr);

    handled = 0;
    for (int i = 0; i < 3; ++i) PostMessageW(window, test_message, 0, 0);
    PostQuitMessage(5);
    process_events();
    EXPECT_EQ(handled, 3);

    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 5u);
    DestroyWindow(window);
}

TEST(ProcessEvents, ReturnsAtOnceOnAnEmptyQueue) {
    DWORD begin = GetTickCount();
    process_events();
    EXPECT_LT(GetTickCount() - begin, 1000u);
}

}  // namespace
