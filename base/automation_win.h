// Late-bound access to the platform's automation objects (IDispatch): an object is
// made from its ProgID and its members are named by Text at run time.
//
// Texts cross the boundary as UTF-16, converted from and to GBK with code page 936
// whatever the process's ANSI code page. Every failure is silent and yields the
// empty value of the wanted kind: nothing, false, 0, an empty Text or an empty
// Variant. The calling thread must have initialised COM (see ScopedCom).
#pragma once

// Before the platform headers: their global typedef "byte" would otherwise make a
// local name in types.h a shadowing error.
#include "base/types.h"

#include <oaidl.h>
#include <windows.h>

#include <initializer_list>

// Initialises COM for the calling thread as a single-threaded apartment for its
// lifetime. It balances only an initialisation that succeeded (S_OK or S_FALSE):
// when the thread is already in another apartment kind, nothing is undone.
class ScopedCom {
public:
    ScopedCom() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ScopedCom() {
        if (initialised_) CoUninitialize();
    }
    ScopedCom(const ScopedCom&) = delete;
    ScopedCom& operator=(const ScopedCom&) = delete;

    bool initialised() const { return initialised_; }

private:
    bool initialised_;
};

// Empty, or one counted reference to an automation object. Copies share the object
// (one more reference each); the reference is released when the holder goes.
class AutomationObject {
public:
    AutomationObject() = default;
    ~AutomationObject() { reset(); }
    AutomationObject(const AutomationObject& other);
    AutomationObject& operator=(const AutomationObject& other);
    AutomationObject(AutomationObject&& other) noexcept : dispatch_(other.dispatch_) { other.dispatch_ = nullptr; }
    AutomationObject& operator=(AutomationObject&& other) noexcept;

    // The object itself, still owned by the holder; null when empty.
    IDispatch* get() const { return dispatch_; }
    // Takes over the caller's reference (no AddRef) and releases the earlier one.
    void reset(IDispatch* adopted = nullptr);

private:
    IDispatch* dispatch_ = nullptr;
};

// Owns one automation value; VariantClear runs when the holder goes.
class Variant {
public:
    Variant() { VariantInit(&value_); }
    ~Variant() { VariantClear(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    Variant(Variant&& other) noexcept;
    Variant& operator=(Variant&& other) noexcept;

    VARIANT* get() { return &value_; }
    const VARIANT* get() const { return &value_; }
    bool empty() const { return value_.vt == VT_EMPTY; }

private:
    VARIANT value_;
};

// One argument of a call or the value of a property write: a Text, an integer, a
// logical, or a Variant (which is borrowed, not copied, so it must outlive the call).
class AutomationArgument {
public:
    AutomationArgument(const Text& text);
    // Without it a string literal would turn into a logical.
    AutomationArgument(const char* text) : AutomationArgument(Text(text)) {}
    AutomationArgument(int integer);
    AutomationArgument(bool logical);
    AutomationArgument(const Variant& borrowed) : borrowed_(&borrowed) {}

    // The value as the callee sees it; the holder keeps ownership.
    const VARIANT& value() const { return borrowed_ ? *borrowed_->get() : *owned_.get(); }

private:
    Variant owned_;
    const Variant* borrowed_ = nullptr;
};

using AutomationArguments = std::initializer_list<AutomationArgument>;

// Makes the object named by progid. True when it was made; obj then holds it and
// its earlier reference is released. On failure obj is unchanged.
bool object_create(AutomationObject& obj, const Text& progid);

// Calls the member as a method (or reads it as a property with the arguments as its
// indexes) and converts the result to the wanted kind.
void object_call(const AutomationObject& obj, const Text& name, AutomationArguments arguments = {});
Text object_call_text(const AutomationObject& obj, const Text& name, AutomationArguments arguments = {});
double object_call_real(const AutomationObject& obj, const Text& name, AutomationArguments arguments = {});
bool object_call_logical(const AutomationObject& obj, const Text& name, AutomationArguments arguments = {});

// Reads a property.
Text object_get_text(const AutomationObject& obj, const Text& name);
double object_get_real(const AutomationObject& obj, const Text& name);
Variant object_get_variant(const AutomationObject& obj, const Text& name);

// Writes a property, optionally an indexed one (obj.name(index) = value); true on success.
bool object_set(const AutomationObject& obj, const Text& name, const AutomationArgument& value);
bool object_set(const AutomationObject& obj, const Text& name, int index, const AutomationArgument& value);

// Empties the holder.
void object_release(AutomationObject& obj);
// Makes dst share src's object (or empties dst when src is empty).
void object_copy(AutomationObject& dst, const AutomationObject& src);
bool object_is_empty(const AutomationObject& obj);

// Replaces v by a one-dimensional byte array (VT_ARRAY | VT_UI1) holding b; false
// (and v empty) when the array cannot be made.
bool variant_from_bytes(Variant& v, const ByteArray& b);
// The bytes of a one-dimensional byte array held directly or by reference; an empty
// array for anything else.
ByteArray variant_to_bytes(const Variant& v);
void variant_clear(Variant& v);
