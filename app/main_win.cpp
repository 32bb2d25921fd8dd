// The program: creates the main window, runs its created event, and handles
// window events until the window is closed. It takes no command-line arguments.
#include <windows.h>

#include <commctrl.h>

#include "app/events.h"
#include "app/main_window_win.h"
#include "app/parse_platform_win.h"
#include "app/startup_platform_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    MainWindow window;
    if (!window.create(instance)) return 1;
    WindowsStartupPlatform platform;
    WindowsParsePlatform parse_platform(window);
    MainWindowEvents events(window, platform, parse_platform);
    window.set_events(&events);
    events.created();
    window.show();

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
