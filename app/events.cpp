#include "app/events.h"

#include "app/commands.h"

void MainWindowEvents::created() { on_main_window_created(window_, platform_); }
void MainWindowEvents::parse_clicked() { parse_and_download(window_, parse_platform_); }
void MainWindowEvents::directory_clicked() { change_directory(window_); }
void MainWindowEvents::service_clicked() { open_service_site(window_); }
