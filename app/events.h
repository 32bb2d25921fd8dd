// What each event of the main window runs. The window layer calls these; nothing
// else of the window or its controls is handled.
#pragma once

#include "app/parse_command.h"
#include "app/startup.h"
#include "app/window_operations.h"

class MainWindowEvents {
public:
    MainWindowEvents(WindowOperations& window, StartupPlatform& platform, ParsePlatform& parse_platform)
        : window_(window), platform_(platform), parse_platform_(parse_platform) {}

    void created();
    void parse_clicked();
    void directory_clicked();
    void service_clicked();

private:
    WindowOperations& window_;
    StartupPlatform& platform_;
    ParsePlatform& parse_platform_;
};
