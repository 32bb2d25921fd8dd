#include "app/cli/cli_window.h"

#include "base/codepage.h"
#include "base/system.h"

CliWindow::CliWindow(const CliOptions& options, std::FILE* out, std::FILE* errors)
    : link_(options.link),
      directory_(options.directory),
      platform_index_(options.platform_index),
      out_(out),
      errors_(errors) {}

Text CliWindow::read_text(Control control) {
    if (control == link_box) return link_;
    if (control == directory_box) return directory_;
    return Text();
}

void CliWindow::write_text(Control control, const Text& text) {
    if (control == link_box) link_ = text;
    if (control == directory_box) directory_ = text;
}

int CliWindow::read_selected_index(Control control) { return control == platform_list ? platform_index_ : -1; }

void CliWindow::message_box(const Text& text, int icon) {
    ++messages_;
    bool error = icon == icon_error;
    error_shown_ = error_shown_ || error;
    std::FILE* stream = error ? errors_ : out_;
    std::fprintf(stream, "%s\n", utf16_to_utf8(gbk_to_utf16(text)).c_str());
    std::fflush(stream);
}

void CliWindow::process_events() { ::process_events(); }
