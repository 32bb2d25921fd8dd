// IDispatch by name: GetIDsOfNames, then Invoke with the arguments in the reversed
// order that DISPPARAMS wants, and results converted with VariantChangeTypeEx.
#include "base/automation_win.h"

#include <cstring>
#include <string>
#include <vector>

#include "base/codepage.h"

namespace {

// Conversions of results (a number read as text, a text read as a number) follow
// the invariant locale, so "1.5" means the same on every user's machine.
constexpr LCID conversion_locale = LOCALE_INVARIANT;

// A BSTR for the Text; null when it cannot be allocated.
BSTR text_to_bstr(const Text& t) {
    std::u16string wide = gbk_to_utf16(t);
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()), static_cast<UINT>(wide.size()));
}

Text bstr_to_text(BSTR s) {
    if (!s) return Text();
    return utf16_to_gbk(std::u16string_view(reinterpret_cast<const char16_t*>(s), SysStringLen(s)));
}

bool find_member(IDispatch* dispatch, const Text& name, DISPID& id) {
    if (!dispatch || name.empty()) return false;
    std::u16string wide = gbk_to_utf16(name);
    auto* member = reinterpret_cast<LPOLESTR>(wide.data());
    return SUCCEEDED(dispatch->GetIDsOfNames(IID_NULL, &member, 1, LOCALE_USER_DEFAULT, &id));
}

// Invokes the member. For a property write, value is the new value and goes first
// in the array under the named argument DISPID_PROPERTYPUT; the other arguments
// follow from last to first, as DISPPARAMS orders them. The VARIANTs are shallow
// copies: the callee must not free [in] arguments, and their owners clear them.
bool invoke(const AutomationObject& obj, const Text& name, WORD flags, AutomationArguments arguments,
            const AutomationArgument* value, Variant* result) {
    DISPID id = DISPID_UNKNOWN;
    if (!find_member(obj.get(), name, id)) return false;

    std::vector<VARIANTARG> ordered;
    ordered.reserve(arguments.size() + 1);
    if (value) ordered.push_back(value->value());
    for (auto it = std::rbegin(arguments); it != std::rend(arguments); ++it) ordered.push_back(it->value());

    DISPID put_id = DISPID_PROPERTYPUT;
    DISPPARAMS parameters{};
    parameters.rgvarg = ordered.empty() ? nullptr : ordered.data();
    parameters.cArgs = static_cast<UINT>(ordered.size());
    if (value) {
        parameters.rgdispidNamedArgs = &put_id;
        parameters.cNamedArgs = 1;
    }
    Variant ignored;
    HRESULT hr = obj.get()->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters,
                                   result ? result->get() : ignored.get(), nullptr, nullptr);
    if (FAILED(hr) && result) variant_clear(*result);
    return SUCCEEDED(hr);
}

// Converts v in place to the wanted type; false (v then untouched) when it cannot.
bool change_type(Variant& v, VARTYPE wanted) {
    return SUCCEEDED(VariantChangeTypeEx(v.get(), v.get(), conversion_locale, 0, wanted));
}

Text to_text(Variant v) { return change_type(v, VT_BSTR) ? bstr_to_text(v.get()->bstrVal) : Text(); }

double to_real(Variant v) { return change_type(v, VT_R8) ? v.get()->dblVal : 0.0; }

bool to_logical(Variant v) { return change_type(v, VT_BOOL) && v.get()->boolVal != VARIANT_FALSE; }

constexpr WORD call_flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

Variant call(const AutomationObject& obj, const Text& name, AutomationArguments arguments) {
    Variant result;
    invoke(obj, name, call_flags, arguments, nullptr, &result);
    return result;
}

}  // namespace

AutomationObject::AutomationObject(const AutomationObject& other) : dispatch_(other.dispatch_) {
    if (dispatch_) dispatch_->AddRef();
}

// AddRef before Release, so that assigning a holder to itself (or to a copy of
// itself) never drops the last reference.
AutomationObject& AutomationObject::operator=(const AutomationObject& other) {
    if (other.dispatch_) other.dispatch_->AddRef();
    reset(other.dispatch_);
    return *this;
}

AutomationObject& AutomationObject::operator=(AutomationObject&& other) noexcept {
    if (this != &other) {
        reset(other.dispatch_);
        other.dispatch_ = nullptr;
    }
    return *this;
}

void AutomationObject::reset(IDispatch* adopted) {
    IDispatch* earlier = dispatch_;
    dispatch_ = adopted;
    if (earlier) earlier->Release();
}

Variant::Variant(Variant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }

Variant& Variant::operator=(Variant&& other) noexcept {
    if (this != &other) {
        VariantClear(&value_);
        value_ = other.value_;
        VariantInit(&other.value_);
    }
    return *this;
}

// A Text that cannot be allocated stays an empty Variant, which the callee refuses
// or reads as empty, rather than a null BSTR that stands for "".
AutomationArgument::AutomationArgument(const Text& text) {
    BSTR s = text_to_bstr(text);
    if (!s) return;
    owned_.get()->vt = VT_BSTR;
    owned_.get()->bstrVal = s;
}

AutomationArgument::AutomationArgument(int integer) {
    owned_.get()->vt = VT_I4;
    owned_.get()->lVal = integer;
}

AutomationArgument::AutomationArgument(bool logical) {
    owned_.get()->vt = VT_BOOL;
    owned_.get()->boolVal = logical ? VARIANT_TRUE : VARIANT_FALSE;
}

bool object_create(AutomationObject& obj, const Text& progid) {
    if (progid.empty()) return false;
    std::u16string wide = gbk_to_utf16(progid);
    CLSID class_id;
    if (FAILED(CLSIDFromProgID(reinterpret_cast<LPCOLESTR>(wide.c_str()), &class_id))) return false;
    IDispatch* dispatch = nullptr;
    HRESULT hr = CoCreateInstance(class_id, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                  reinterpret_cast<void**>(&dispatch));
    if (FAILED(hr) || !dispatch) return false;
    obj.reset(dispatch);
    return true;
}

void object_call(const AutomationObject& obj, const Text& name, AutomationArguments arguments) {
    invoke(obj, name, call_flags, arguments, nullptr, nullptr);
}

Text object_call_text(const AutomationObject& obj, const Text& name, AutomationArguments arguments) {
    return to_text(call(obj, name, arguments));
}

double object_call_real(const AutomationObject& obj, const Text& name, AutomationArguments arguments) {
    return to_real(call(obj, name, arguments));
}

bool object_call_logical(const AutomationObject& obj, const Text& name, AutomationArguments arguments) {
    return to_logical(call(obj, name, arguments));
}

Text object_get_text(const AutomationObject& obj, const Text& name) { return to_text(object_get_variant(obj, name)); }

double object_get_real(const AutomationObject& obj, const Text& name) { return to_real(object_get_variant(obj, name)); }

Variant object_get_variant(const AutomationObject& obj, const Text& name) {
    Variant result;
    invoke(obj, name, DISPATCH_PROPERTYGET, {}, nullptr, &result);
    return result;
}

bool object_set(const AutomationObject& obj, const Text& name, const AutomationArgument& value) {
    return invoke(obj, name, DISPATCH_PROPERTYPUT, {}, &value, nullptr);
}

bool object_set(const AutomationObject& obj, const Text& name, int index, const AutomationArgument& value) {
    return invoke(obj, name, DISPATCH_PROPERTYPUT, {index}, &value, nullptr);
}

void object_release(AutomationObject& obj) { obj.reset(); }

void object_copy(AutomationObject& dst, const AutomationObject& src) { dst = src; }

bool object_is_empty(const AutomationObject& obj) { return obj.get() == nullptr; }

bool variant_from_bytes(Variant& v, const ByteArray& b) {
    variant_clear(v);
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(b.size()));
    if (!array) return false;
    if (!b.empty()) {
        void* data = nullptr;
        if (FAILED(SafeArrayAccessData(array, &data))) {
            SafeArrayDestroy(array);
            return false;
        }
        std::memcpy(data, b.data(), b.size());
        SafeArrayUnaccessData(array);
    }
    v.get()->vt = VT_ARRAY | VT_UI1;
    v.get()->parray = array;
    return true;
}

ByteArray variant_to_bytes(const Variant& v) {
    const VARIANT* value = v.get();
    SAFEARRAY* array = nullptr;
    if (value->vt == (VT_ARRAY | VT_UI1))
        array = value->parray;
    else if (value->vt == (VT_BYREF | VT_ARRAY | VT_UI1) && value->pparray)
        array = *value->pparray;
    if (!array || SafeArrayGetDim(array) != 1 || SafeArrayGetElemsize(array) != 1) return ByteArray();

    LONG lower = 0;
    LONG upper = -1;
    if (FAILED(SafeArrayGetLBound(array, 1, &lower)) || FAILED(SafeArrayGetUBound(array, 1, &upper)) || upper < lower)
        return ByteArray();
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) return ByteArray();
    auto* bytes = static_cast<const std::uint8_t*>(data);
    auto count = static_cast<std::size_t>(static_cast<long long>(upper) - lower + 1);
    ByteArray out(bytes, bytes + count);
    SafeArrayUnaccessData(array);
    return out;
}

void variant_clear(Variant& v) {
    VariantClear(v.get());
    VariantInit(v.get());
}
