// What each event of the main window runs. The window layer calls these; nothing
// else of the window or its controls is handled.
#pragma once

#include "app/startup.h"
#include "app/window_operations.h"

class MainWindowEvents {
public:
    MainWindowEvents(WindowOperations& window, StartupPlatform& platform) : window_(window), platform_(platform) {}

    void created();
    // The parse-and-download command is not part of the program yet; the click is
    // accepted and does nothing visible.
    void parse_clicked() {}
    void directory_clicked();
    void service_clicked();

private:
    WindowOperations& window_;
    StartupPlatform& platform_;
};
