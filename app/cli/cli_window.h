// The window operations of the command line: the link, the folder and the
// platform come from the arguments, and message boxes become printed lines.
#pragma once

#include <cstdio>

#include "app/cli/cli_options.h"
#include "app/window_operations.h"

class CliWindow : public WindowOperations {
public:
    // Outcome texts go to out, as UTF-8; error texts (icon 16) to errors.
    CliWindow(const CliOptions& options, std::FILE* out, std::FILE* errors);

    Text read_text(Control control) override;
    void write_text(Control control, const Text& text) override;
    void write_disabled(Control, bool) override {}
    int read_selected_index(Control control) override;
    // The progress goes to the terminal through the download's monitor instead.
    void write_progress(ProgressProperty, int) override {}
    void message_box(const Text& text, int icon) override;
    Text browse_for_folder(const Text&) override { return Text(); }
    void set_clipboard_text(const Text&) override {}
    void open_url(const Text&) override {}
    void process_events() override;

    // True when a message was shown and none of them was an error.
    bool succeeded() const { return messages_ > 0 && !error_shown_; }

private:
    Text link_;
    Text directory_;
    int platform_index_;
    std::FILE* out_;
    std::FILE* errors_;
    int messages_ = 0;
    bool error_shown_ = false;
};
