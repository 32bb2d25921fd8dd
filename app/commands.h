// The commands behind the "更改目录" and "接口地址" buttons.
#pragma once

#include "app/window_operations.h"

// Lets the user pick the save directory; a cancelled or unusable choice falls
// back to the program's own directory. Always reports the directory now in use.
void change_directory(WindowOperations& window);

// Copies the service site address to the clipboard and opens it in the browser.
void open_service_site(WindowOperations& window);
