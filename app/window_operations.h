// The window and platform operations that the commands and the start-up sequence
// use. The window layer implements them over the real controls; tests put a
// scripted fake in their place.
#pragma once

#include "app/controls.h"
#include "base/types.h"

class WindowOperations {
public:
    virtual ~WindowOperations() = default;

    // Property reads and writes. Control contents are read afresh on every call;
    // nothing keeps a copy of them.
    virtual Text read_text(Control control) = 0;
    virtual void write_text(Control control, const Text& text) = 0;
    virtual void write_disabled(Control control, bool disabled) = 0;
    // 0-based index of the selected item of platform_list, -1 when none.
    virtual int read_selected_index(Control control) = 0;
    // The one write that may come from another thread: it is carried out on the
    // user-interface thread and returns once done, so writes keep their order.
    virtual void write_progress(ProgressProperty property, int value) = 0;

    // A modal box with caption "信息：" and one OK button; icon is a MessageIcon.
    virtual void message_box(const Text& text, int icon) = 0;
    // The chosen folder's path, or empty when cancelled or not a file-system folder.
    virtual Text browse_for_folder(const Text& title) = 0;
    virtual void set_clipboard_text(const Text& text) = 0;
    virtual void open_url(const Text& address) = 0;
    virtual void process_events() = 0;
};
