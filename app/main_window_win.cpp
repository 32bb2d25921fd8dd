#include "app/main_window_win.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include "app/font_choice.h"
#include "base/codepage.h"
#include "base/system.h"

namespace {

const wchar_t window_class_name[] = L"MirevoMainWindow";
// A progress write from any thread, carried out on the window's thread:
// wParam is the ProgressProperty, lParam the value.
constexpr UINT progress_message = WM_APP + 1;

std::wstring wide(const Text& t) {
    std::u16string s = gbk_to_utf16(t);
    return std::wstring(s.begin(), s.end());
}

Text narrow(const wchar_t* s, std::size_t n) { return utf16_to_gbk(std::u16string(s, s + n)); }

// One control of the layout, in client coordinates. text is GBK.
struct ControlLayout {
    Control id;
    const wchar_t* window_class;
    DWORD style;
    DWORD extended_style;
    int x, y, width, height;
    const char* text;
    // Buttons use the 18-pixel face; everything else the 20-pixel one.
    bool button_font;
};

constexpr DWORD child = WS_CHILD | WS_VISIBLE;
constexpr DWORD edit_style = child | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;

// The layout at start. The drop-down list's height here is that of its open list;
// the closed box is brought to 28 pixels after creation.
const ControlLayout layouts[] = {
    // "视频平台：\r\n\r\n视频链接：\r\n\r\n保存目录："
    {caption_label, L"STATIC", child | SS_LEFT, 0, 8, 16, 100, 104,
     "\xCA\xD3\xC6\xB5\xC6\xBD\xCC\xA8\xA3\xBA\r\n\r\n\xCA\xD3\xC6\xB5\xC1\xB4\xBD\xD3\xA3\xBA\r\n\r\n"
     "\xB1\xA3\xB4\xE6\xC4\xBF\xC2\xBC\xA3\xBA",
     false},
    {platform_list, L"COMBOBOX", child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 104, 14, 216, 160, "", false},
    {link_box, L"EDIT", edit_style, WS_EX_CLIENTEDGE, 104, 52, 216, 32, "https://v.douyin.com/iYbQm3kT/", false},
    {directory_box, L"EDIT", edit_style, WS_EX_CLIENTEDGE, 104, 92, 216, 32, "", false},
    // "解析下载", "更改目录", "接口地址"
    {parse_button, L"BUTTON", child | WS_TABSTOP | BS_PUSHBUTTON, 0, 328, 6, 96, 36, "\xBD\xE2\xCE\xF6\xCF\xC2\xD4\xD8",
     true},
    {directory_button, L"BUTTON", child | WS_TABSTOP | BS_PUSHBUTTON, 0, 328, 48, 96, 36,
     "\xB8\xFC\xB8\xC4\xC4\xBF\xC2\xBC", true},
    {service_button, L"BUTTON", child | WS_TABSTOP | BS_PUSHBUTTON, 0, 328, 92, 96, 36,
     "\xBD\xD3\xBF\xDA\xB5\xD8\xD6\xB7", true},
    {progress_bar, PROGRESS_CLASSW, child, 0, 8, 136, 416, 32, "", false},
    // "TikTok视频不需要翻墙也可下载（只要有视频链接）"
    {hint_label, L"STATIC", child | SS_LEFT, 0, 8, 184, 416, 40,
     "TikTok\xCA\xD3\xC6\xB5\xB2\xBB\xD0\xE8\xD2\xAA\xB7\xAD\xC7\xBD\xD2\xB2\xBF\xC9\xCF\xC2\xD4\xD8\xA3\xA8\xD6\xBB"
     "\xD2\xAA\xD3\xD0\xCA\xD3\xC6\xB5\xC1\xB4\xBD\xD3\xA3\xA9",
     false},
};

// "抖音", "快手", "TikTok", "西瓜视频"
const char* const platform_names[] = {"\xB6\xB6\xD2\xF4", "\xBF\xEC\xCA\xD6", "TikTok",
                                      "\xCE\xF7\xB9\xCF\xCA\xD3\xC6\xB5"};

constexpr int closed_list_height = 28;

int CALLBACK collect_face(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM faces) {
    const wchar_t* name = font->lfFaceName;
    reinterpret_cast<TextArray*>(faces)->push_back(narrow(name, wcsnlen(name, LF_FACESIZE)));
    return 1;
}

TextArray installed_chinese_faces() {
    TextArray faces;
    HDC screen = GetDC(nullptr);
    if (!screen) return faces;
    LOGFONTW query{};
    query.lfCharSet = GB2312_CHARSET;
    EnumFontFamiliesExW(screen, &query, collect_face, reinterpret_cast<LPARAM>(&faces), 0);
    ReleaseDC(nullptr, screen);
    return faces;
}

HFONT make_font(const std::wstring& face, int character_height) {
    LOGFONTW font{};
    font.lfHeight = -character_height;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = GB2312_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    wcsncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return CreateFontIndirectW(&font);
}

bool is_label(Control id) { return id == caption_label || id == hint_label; }

// The folder chooser with its edit field needs OLE on the calling thread.
class ScopedOleInit {
public:
    ScopedOleInit() : ok_(SUCCEEDED(OleInitialize(nullptr))) {}
    ~ScopedOleInit() {
        if (ok_) OleUninitialize();
    }
    ScopedOleInit(const ScopedOleInit&) = delete;
    ScopedOleInit& operator=(const ScopedOleInit&) = delete;

private:
    bool ok_;
};

// Puts one clipboard format; the clipboard owns the memory once it accepts it.
void put_clipboard(UINT format, const void* data, std::size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory) return;
    void* target = GlobalLock(memory);
    if (!target) {
        GlobalFree(memory);
        return;
    }
    std::memcpy(target, data, size);
    GlobalUnlock(memory);
    if (!SetClipboardData(format, memory)) GlobalFree(memory);
}

}  // namespace

MainWindow::~MainWindow() {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
}

bool MainWindow::create(HINSTANCE instance) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = window_procedure;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // A real brush, so that the transparent labels can paint with it too.
    window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    window_class.lpszClassName = window_class_name;
    if (!RegisterClassExW(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

    int x = (GetSystemMetrics(SM_CXSCREEN) - main_window_width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - main_window_height) / 2;
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    HWND created = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_APPWINDOW, window_class_name, L"Mirevo", style, x, y,
                                   main_window_width, main_window_height, nullptr,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(0)), instance, this);
    return created != nullptr;
}

void MainWindow::show() {
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
}

HWND MainWindow::control(Control id) const { return GetDlgItem(window_, id); }

LRESULT CALLBACK MainWindow::window_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self ? self->handle_message(message, w, l) : DefWindowProcW(window, message, w, l);
}

LRESULT MainWindow::handle_message(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_CREATE:
            return create_controls() ? 0 : -1;
        case WM_COMMAND:
            if (HIWORD(w) == BN_CLICKED && l) clicked(reinterpret_cast<HWND>(l));
            return 0;
        case WM_CTLCOLORSTATIC:
            if (is_label(static_cast<Control>(GetDlgCtrlID(reinterpret_cast<HWND>(l))))) {
                SetBkMode(reinterpret_cast<HDC>(w), TRANSPARENT);
                // Whatever brush the window paints its background with, the skin's included.
                return GetClassLongPtrW(window_, GCLP_HBRBACKGROUND);
            }
            break;
        case progress_message:
            progress_.write(static_cast<ProgressProperty>(w), static_cast<int>(l));
            apply_progress();
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
            window_ = nullptr;
            break;
    }
    return DefWindowProcW(window_, message, w, l);
}

void MainWindow::create_fonts() {
    std::wstring face = wide(choose_font_face(installed_chinese_faces()));
    button_font_.reset(make_font(face, 18));
    text_font_.reset(make_font(face, 20));
}

bool MainWindow::create_controls() {
    create_fonts();
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
    for (const ControlLayout& layout : layouts) {
        HWND created = CreateWindowExW(layout.extended_style, layout.window_class, wide(layout.text).c_str(),
                                       layout.style, layout.x, layout.y, layout.width, layout.height, window_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)), instance, nullptr);
        if (!created) return false;
        HFONT font = layout.button_font ? button_font_.get() : text_font_.get();
        SendMessageW(created, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    HWND list = control(platform_list);
    for (const char* name : platform_names)
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(name).c_str()));
    SendMessageW(list, CB_SETCURSEL, 0, 0);
    // The closed box's height follows its selection field; size that field so the box is 28 pixels high.
    RECT box;
    GetWindowRect(list, &box);
    LRESULT field = SendMessageW(list, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    if (field != CB_ERR)
        SendMessageW(list, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                     field + closed_list_height - (box.bottom - box.top));
    // No length limit on the edit boxes.
    SendMessageW(control(link_box), EM_SETLIMITTEXT, 0, 0);
    SendMessageW(control(directory_box), EM_SETLIMITTEXT, 0, 0);
    apply_progress();
    return true;
}

void MainWindow::clicked(HWND button) {
    if (!events_) return;
    if (button == control(parse_button))
        events_->parse_clicked();
    else if (button == control(directory_button))
        events_->directory_clicked();
    else if (button == control(service_button))
        events_->service_clicked();
}

void MainWindow::apply_progress() {
    HWND bar = control(progress_bar);
    SendMessageW(bar, PBM_SETRANGE32, progress_.range_low(), progress_.range_high());
    SendMessageW(bar, PBM_SETPOS, progress_.shown_position(), 0);
}

Text MainWindow::read_text(Control id) {
    HWND box = control(id);
    LRESULT length = SendMessageW(box, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return Text();
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    LRESULT copied = SendMessageW(box, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return narrow(buffer.c_str(), static_cast<std::size_t>(copied < 0 ? 0 : copied));
}

void MainWindow::write_text(Control id, const Text& text) {
    SendMessageW(control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide(text).c_str()));
}

void MainWindow::write_disabled(Control id, bool disabled) { EnableWindow(control(id), disabled ? FALSE : TRUE); }

int MainWindow::read_selected_index(Control id) {
    LRESULT index = SendMessageW(control(id), CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<int>(index);
}

// SendMessage from another thread waits until the window's thread has handled the
// write, which happens while that thread processes events; so writes keep their order.
void MainWindow::write_progress(ProgressProperty property, int value) {
    SendMessageW(window_, progress_message, static_cast<WPARAM>(property), static_cast<LPARAM>(value));
}

void MainWindow::message_box(const Text& text, int icon) {
    UINT icon_flag = icon == icon_error ? MB_ICONHAND : (icon == icon_information ? MB_ICONASTERISK : 0);
    // "信息："
    MessageBoxW(nullptr, wide(text).c_str(), wide("\xD0\xC5\xCF\xA2\xA3\xBA").c_str(),
                MB_OK | MB_TASKMODAL | icon_flag);
}

Text MainWindow::browse_for_folder(const Text& title) {
    ScopedOleInit ole;
    std::wstring wide_title = wide(title);
    BROWSEINFOW info{};
    info.hwndOwner = GetActiveWindow();
    info.lpszTitle = wide_title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
    if (!item) return Text();
    wchar_t path[MAX_PATH] = {};
    bool ok = SHGetPathFromIDListW(item, path);
    CoTaskMemFree(item);
    return ok ? narrow(path, wcsnlen(path, MAX_PATH)) : Text();
}

// The text goes on as GBK bytes, the program's own ANSI text, and also as UTF-16
// so that programs on a machine with another ANSI code page read it right.
void MainWindow::set_clipboard_text(const Text& text) {
    if (!OpenClipboard(window_)) return;
    EmptyClipboard();
    put_clipboard(CF_TEXT, text.c_str(), static_cast<std::size_t>(text.length()) + 1);
    std::wstring unicode = wide(text);
    put_clipboard(CF_UNICODETEXT, unicode.c_str(), (unicode.size() + 1) * sizeof(wchar_t));
    CloseClipboard();
}

void MainWindow::open_url(const Text& address) {
    ShellExecuteW(nullptr, L"open", wide(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void MainWindow::process_events() { ::process_events(); }
