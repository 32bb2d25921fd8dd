// The main window on Windows: its nine controls, its events and the window
// operations over the real controls.
#pragma once

#include <windows.h>

#include "app/events.h"
#include "app/progress.h"
#include "app/window_operations.h"

// Outer size of the main window in pixels.
constexpr int main_window_width = 442;
constexpr int main_window_height = 270;

// Owns one font handle.
class ScopedFont {
public:
    ScopedFont() = default;
    ~ScopedFont() { reset(); }
    ScopedFont(const ScopedFont&) = delete;
    ScopedFont& operator=(const ScopedFont&) = delete;
    void reset(HFONT font = nullptr) {
        if (font_) DeleteObject(font_);
        font_ = font;
    }
    HFONT get() const { return font_; }

private:
    HFONT font_ = nullptr;
};

class MainWindow : public WindowOperations {
public:
    MainWindow() = default;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    ~MainWindow() override;

    // Creates the window and its controls, centred and hidden; false on failure.
    bool create(HINSTANCE instance);
    // Clicks reach these events once set; before that they do nothing.
    void set_events(MainWindowEvents* events) { events_ = events; }
    void show();
    HWND handle() const { return window_; }
    HWND control(Control id) const;

    Text read_text(Control control) override;
    void write_text(Control control, const Text& text) override;
    void write_disabled(Control control, bool disabled) override;
    int read_selected_index(Control control) override;
    void write_progress(ProgressProperty property, int value) override;
    void message_box(const Text& text, int icon) override;
    Text browse_for_folder(const Text& title) override;
    void set_clipboard_text(const Text& text) override;
    void open_url(const Text& address) override;
    void process_events() override;

private:
    static LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT handle_message(UINT message, WPARAM w, LPARAM l);
    bool create_controls();
    void create_fonts();
    void clicked(HWND button);
    void apply_progress();

    HWND window_ = nullptr;
    MainWindowEvents* events_ = nullptr;
    ProgressValues progress_;
    ScopedFont button_font_;
    ScopedFont text_font_;
};
