// Registry reads through the wide API. String values are turned into GBK with
// code page 936, the bytes the ANSI API gives on a GBK system, whatever the
// machine's own code page.
#include "download/registry_win.h"

#include <string>

#include "base/codepage.h"
#include "base/text.h"
#include "download/special_folder.h"

namespace {

struct RootKey {
    const char* name;
    HKEY key;
};

HKEY root_key_named(const Text& name) {
    static const RootKey roots[] = {
        {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},     {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},   {"HKEY_USERS", HKEY_USERS},
        {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
    };
    Text upper = text_upper(name);
    for (const RootKey& root : roots)
        if (upper == Text(root.name)) return root.key;
    return nullptr;
}

std::wstring wide(const Text& t) {
    std::u16string s = gbk_to_utf16(t);
    return std::wstring(s.begin(), s.end());
}

// UTF-16 string data as GBK bytes. Zero characters are kept as zero bytes, so a
// multi-string keeps its separators and its final terminator.
ByteArray string_value_as_gbk(const ByteArray& raw) {
    std::u16string units(raw.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) units[i] = static_cast<char16_t>(raw[2 * i] | (raw[2 * i + 1] << 8));
    ByteArray out;
    std::size_t start = 0;
    while (start < units.size()) {
        std::size_t end = units.find(u'\0', start);
        if (end == std::u16string::npos) end = units.size();
        Text piece = utf16_to_gbk(std::u16string_view(units).substr(start, end - start));
        out.insert(out.end(), piece.bytes().begin(), piece.bytes().end());
        if (end < units.size()) out.push_back(0);
        start = end + 1;
    }
    return out;
}

class AutoCloseKey {
public:
    explicit AutoCloseKey(HKEY key) : key_(key) {}
    ~AutoCloseKey() {
        if (key_) RegCloseKey(key_);
    }
    AutoCloseKey(const AutoCloseKey&) = delete;
    AutoCloseKey& operator=(const AutoCloseKey&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_;
};

}  // namespace

HKEY open_registry_key(const Text& key_path) {
    int slash = text_find(key_path, "\\");
    if (slash < 1) return nullptr;
    HKEY root = root_key_named(text_left(key_path, slash - 1));
    if (!root) return nullptr;
    HKEY key = nullptr;
    std::wstring sub_key = wide(text_mid(key_path, slash + 1, key_path.length()));
    if (RegCreateKeyW(root, sub_key.c_str(), &key) != ERROR_SUCCESS) return nullptr;
    return key;
}

ByteArray read_registry_bytes(const Text& key_path, const Text& value_name, std::uint32_t* value_type) {
    AutoCloseKey key(open_registry_key(key_path));
    if (!key.get()) return {};
    std::wstring name = wide(value_name);
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
    ByteArray raw(size, 0);
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, raw.data(), &size) != ERROR_SUCCESS) return {};
    raw.resize(size);
    if (value_type) *value_type = type;
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) return string_value_as_gbk(raw);
    return raw;
}
