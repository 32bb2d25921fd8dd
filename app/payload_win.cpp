#include "app/payload_win.h"

#include <windows.h>

#include "app/resources/resource_ids.h"

namespace {

ByteArray load_resource(int id) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (!found) return {};
    HGLOBAL loaded = LoadResource(nullptr, found);
    DWORD size = SizeofResource(nullptr, found);
    const auto* bytes = static_cast<const std::uint8_t*>(loaded ? LockResource(loaded) : nullptr);
    return bytes ? ByteArray(bytes, bytes + size) : ByteArray();
}

}  // namespace

const ByteArray& carried_skin_engine() {
    static const ByteArray bytes = load_resource(MIREVO_SKIN_ENGINE);
    return bytes;
}
