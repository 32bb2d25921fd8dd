// One JSON document and the queries on it. The document is a native value tree
// with JavaScript's semantics; it is never handed to a script engine, because
// it comes from the network and script evaluation would run whatever it holds.
//
// Texts cross the boundary as GBK: parsed text and paths are GBK, results are
// GBK, and characters GBK lacks come back as "?". Paths are relative to the
// document: "msg", "a.b", "[0]", "a[2]", "a.b[1].c"; a path that starts with the
// root name "da" is taken as starting at the root when it resolves so.
#pragma once

#include <memory>

#include "base/types.h"
#include "json/json_value.h"

class JsonObject {
public:
    // Type codes of type_of.
    static constexpr int type_missing = 0;  // null, undefined or a missing member
    static constexpr int type_boolean = 1;
    static constexpr int type_number = 2;
    static constexpr int type_object = 4;
    static constexpr int type_array = 5;
    static constexpr int type_string = 6;
    static constexpr int type_unknown = -1;  // the path itself failed

    // Starts with an empty object as the document.
    JsonObject();
    JsonObject(const JsonObject&) = delete;
    JsonObject& operator=(const JsonObject&) = delete;

    // The operations, in the order of their slots in the table of virtual operations.

    // Lets go of the document; afterwards every query gives its empty value and
    // parse gives false.
    virtual void destroy();
    // A new object sharing this one's document: changes through either show in both
    // until one of them parses (which gives that one a document of its own).
    virtual std::unique_ptr<JsonObject> copy() const;
    // Gives this object a fresh document, an empty object.
    virtual void initialise();
    // Replaces the document by text. With direct false a top-level string is read
    // once more as a document: an array, number, string, true or false inside it
    // becomes the document, an object's text fails. True when the document is
    // neither null nor undefined; a syntax error leaves it null.
    virtual bool parse(const Text& text, bool direct = false);
    // Makes the document an empty object.
    virtual bool clear();
    // Length of the array at path (not resolved: "da" is a member name here); 0 otherwise.
    virtual int member_count(const Text& path) const;
    // Stores value as a string at path, or with as_json reads it as JSON and merges
    // it into an object at path, or assigns it where there is no object.
    virtual bool set_value(const Text& path, const Text& value, bool as_json = false);
    // The value's JavaScript string form, or with as_json its compact JSON.
    // Empty for null and for missing members.
    virtual Text get_text(const Text& path, bool as_json = false) const;
    // One of the type codes above.
    virtual int type_of(const Text& path) const;
    // A new object holding its own copy of the value at path.
    virtual std::unique_ptr<JsonObject> get_object(const Text& path) const;
    // The whole document as compact JSON.
    virtual Text to_json_text() const;
    // True when the member name (a path below the root) exists and is not null.
    virtual bool has_member(const Text& name) const;
    // Rewrites path into a full expression from the root and says whether it
    // reaches a value that is neither null nor undefined.
    virtual bool resolve_path(Text& path) const;

    virtual ~JsonObject();

    const Text& root_name() const { return root_name_; }

private:
    explicit JsonObject(std::shared_ptr<JsonValue> shared);

    struct Found;
    Found evaluate(const Text& expression) const;
    bool is_present(const Text& expression) const;

    Text root_name_ = "da";
    // Empty after destroy.
    std::shared_ptr<JsonValue> document_;
};
