// A scripted stand-in for the main window: controls hold texts, the folder chooser
// answers from a script, and every operation is written to a shared call log so
// that tests can check what happened and in which order.
#pragma once

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/progress.h"
#include "app/window_operations.h"

using CallLog = std::vector<std::string>;

inline std::string printable(const Text& t) {
    std::ostringstream out;
    out << t;
    return out.str();
}

class FakeWindow : public WindowOperations {
public:
    explicit FakeWindow(CallLog& log) : log_(log) {}

    std::map<Control, Text> texts;
    std::map<Control, bool> disabled;
    int selected_index = 0;
    ProgressValues progress;
    // What the folder chooser answers, in order; empty means the user cancelled.
    std::vector<Text> folder_answers;
    std::vector<Text> message_texts;
    std::vector<int> message_icons;

    Text read_text(Control control) override { return texts[control]; }
    void write_text(Control control, const Text& text) override {
        log_.push_back("write_text " + std::to_string(control) + " " + printable(text));
        texts[control] = text;
    }
    void write_disabled(Control control, bool value) override { disabled[control] = value; }
    int read_selected_index(Control) override { return selected_index; }
    void write_progress(ProgressProperty property, int value) override { progress.write(property, value); }
    void message_box(const Text& text, int icon) override {
        log_.push_back("message_box " + std::to_string(icon) + " " + printable(text));
        message_texts.push_back(text);
        message_icons.push_back(icon);
    }
    Text browse_for_folder(const Text& title) override {
        log_.push_back("browse_for_folder " + printable(title));
        if (folder_answers.empty()) return Text();
        Text answer = folder_answers.front();
        folder_answers.erase(folder_answers.begin());
        return answer;
    }
    void set_clipboard_text(const Text& text) override { log_.push_back("set_clipboard_text " + printable(text)); }
    void open_url(const Text& address) override { log_.push_back("open_url " + printable(address)); }
    void process_events() override {}

private:
    CallLog& log_;
};
