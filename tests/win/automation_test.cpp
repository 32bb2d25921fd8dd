// Automation access against the platform's own objects: the file-system object,
// the HTTP request object and the script control, driven by name.
#include "base/automation_win.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/system.h"

namespace {

// GBK texts used below.
const Text file_text_name = "\xCE\xC4\xBC\xFE.\xCE\xC4\xB1\xBE";   // 文件.文本
const Text text_extension = "\xCE\xC4\xB1\xBE";                    // 文本
const Text folder = "C:\\\xC4\xBF\xC2\xBC";                        // C:\目录
const Text leaf = "\xC3\xFB\xD7\xD6.txt";                          // 名字.txt
const Text joined = "C:\\\xC4\xBF\xC2\xBC\\\xC3\xFB\xD7\xD6.txt";  // C:\目录\名字.txt

// The object's current reference count, read without changing it.
ULONG reference_count(IDispatch* dispatch) {
    dispatch->AddRef();
    return dispatch->Release();
}

TEST(ScopedCom, UndoesEachInitialisationItMade) {
    {
        ScopedCom outer;
        EXPECT_TRUE(outer.initialised());
        ScopedCom inner;  // S_FALSE: already initialised, still needs balancing
        EXPECT_TRUE(inner.initialised());
    }
    // Any initialisation left over would keep the thread single-threaded.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    CoUninitialize();
}

TEST(ScopedCom, LeavesAnotherApartmentKindAlone) {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    {
        ScopedCom refused;
        EXPECT_FALSE(refused.initialised());
    }
    // Had the refused holder uninitialised, this would be a fresh S_OK.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
    CoUninitialize();
    CoUninitialize();
}

class Automation : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(com.initialised());
        ASSERT_TRUE(object_create(files, "scripting.FileSystemObject"));
        ASSERT_TRUE(object_create(request, "WinHttp.WinHttpRequest.5.1"));
        ASSERT_TRUE(object_create(script, "MSScriptControl.ScriptControl"));
        ASSERT_TRUE(object_set(script, "Language", "JScript"));
    }

    ScopedCom com;
    AutomationObject files;
    AutomationObject request;
    AutomationObject script;
};

TEST_F(Automation, CallsMembersByNameWithGbkTexts) {
    EXPECT_EQ(object_call_text(files, "GetExtensionName", {file_text_name}), text_extension);
    // Two arguments arrive in their order.
    EXPECT_EQ(object_call_text(files, "BuildPath", {folder, leaf}), joined);
    EXPECT_EQ(object_call_text(script, "Eval", {"'\xCE\xC4' + '\xB1\xBE'"}), text_extension);  // '文' + '本'

    Text temp_name = object_call_text(files, "GetTempName");
    ASSERT_GE(temp_name.length(), 5);
    EXPECT_EQ(temp_name.bytes().substr(temp_name.bytes().size() - 4), ".tmp");
}

TEST_F(Automation, ConvertsResultsToTheWantedKind) {
    EXPECT_EQ(object_call_real(files, "GetExtensionName", {"a.25"}), 25.0);  // text read as a number
    EXPECT_EQ(object_call_real(script, "Eval", {"1.5 * 2"}), 3.0);
    EXPECT_EQ(object_call_text(script, "Eval", {"0.5 + 1"}), Text("1.5"));  // same on every locale
    EXPECT_TRUE(object_call_logical(script, "Eval", {"1 < 2"}));
    EXPECT_FALSE(object_call_logical(script, "Eval", {"1 > 2"}));

    // An integer argument: special folder 2 is the temporary folder, read through
    // the folder object's default property.
    Text temp_folder = object_call_text(files, "GetSpecialFolder", {2});
    ASSERT_FALSE(temp_folder.empty());
    EXPECT_TRUE(object_call_logical(files, "FolderExists", {temp_folder}));
}

TEST_F(Automation, FindsAFileByItsGbkName) {
    Text path = object_call_text(files, "BuildPath", {object_call_text(files, "GetSpecialFolder", {2}), leaf});
    ASSERT_FALSE(path.empty());
    ASSERT_TRUE(write_file(path, {ByteArray{1, 2, 3}}));
    EXPECT_TRUE(object_call_logical(files, "FileExists", {path}));
    object_call(files, "DeleteFile", {path, true});
    EXPECT_FALSE(object_call_logical(files, "FileExists", {path}));
    delete_file(path);
}

TEST_F(Automation, ReadsAndWritesProperties) {
    EXPECT_EQ(object_get_text(script, "Language"), Text("JScript"));
    EXPECT_TRUE(object_set(script, "Language", "VBScript"));
    EXPECT_EQ(object_get_text(script, "Language"), Text("VBScript"));
    EXPECT_TRUE(object_set(script, "Timeout", 4321));
    EXPECT_EQ(object_get_real(script, "Timeout"), 4321.0);

    Variant drives = object_get_variant(files, "Drives");
    EXPECT_EQ(drives.get()->vt, VT_DISPATCH);
}

TEST_F(Automation, WritesAnIndexedProperty) {
    // The dictionary reads its items back, which shows the index and the value
    // arrive each in its place.
    AutomationObject dictionary;
    ASSERT_TRUE(object_create(dictionary, "Scripting.Dictionary"));
    EXPECT_TRUE(object_set(dictionary, "Item", 6, "six"));
    EXPECT_TRUE(object_set(dictionary, "Item", 7, false));
    EXPECT_EQ(object_call_text(dictionary, "Item", {6}), Text("six"));
    EXPECT_FALSE(object_call_logical(dictionary, "Item", {7}));
    EXPECT_EQ(object_call_real(dictionary, "Count"), 2.0);
    EXPECT_TRUE(object_set(dictionary, "Item", 6, "again"));
    EXPECT_EQ(object_call_text(dictionary, "Item", {6}), Text("again"));

    // The request object's options are written the same way (it cannot read them
    // back under every platform version); one it does not know is refused.
    constexpr int follow_redirects = 6;
    EXPECT_TRUE(object_set(request, "Option", follow_redirects, false));
    EXPECT_TRUE(object_set(request, "Option", follow_redirects, 0));
    EXPECT_FALSE(object_set(request, "Option", 999, 1));
}

TEST_F(Automation, PassesABorrowedVariant) {
    Variant name;
    name.get()->vt = VT_BSTR;
    name.get()->bstrVal = SysAllocString(L"a.txt");
    EXPECT_EQ(object_call_text(files, "GetExtensionName", {name}), Text("txt"));
    // The caller still owns its value.
    ASSERT_EQ(name.get()->vt, VT_BSTR);
    EXPECT_EQ(object_call_text(files, "GetExtensionName", {name}), Text("txt"));
}

TEST_F(Automation, FailuresGiveTheEmptyValueOfEachKind) {
    AutomationObject empty;
    struct Case {
        const char* label;
        const AutomationObject* obj;
        Text name;
        Text argument;
    } cases[] = {
        {"empty holder", &empty, "GetTempName", ""},
        {"missing member", &files, "NoSuchMember", ""},
        {"empty name", &files, "", ""},
        {"script error", &script, "Eval", "no_such_variable.x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const AutomationObject& obj = *c.obj;
        bool with_argument = !c.argument.empty();
        if (with_argument) {
            object_call(obj, c.name, {c.argument});
            EXPECT_EQ(object_call_text(obj, c.name, {c.argument}), Text());
            EXPECT_EQ(object_call_real(obj, c.name, {c.argument}), 0.0);
            EXPECT_FALSE(object_call_logical(obj, c.name, {c.argument}));
            continue;
        }
        object_call(obj, c.name);
        EXPECT_EQ(object_call_text(obj, c.name), Text());
        EXPECT_EQ(object_call_real(obj, c.name), 0.0);
        EXPECT_FALSE(object_call_logical(obj, c.name));
        EXPECT_EQ(object_get_text(obj, c.name), Text());
        EXPECT_EQ(object_get_real(obj, c.name), 0.0);
        EXPECT_TRUE(object_get_variant(obj, c.name).empty());
        EXPECT_FALSE(object_set(obj, c.name, "x"));
        EXPECT_FALSE(object_set(obj, c.name, 1, 2));
    }
}

TEST_F(Automation, ResultThatDoesNotConvertIsEmpty) {
    EXPECT_EQ(object_call_real(files, "GetExtensionName", {"a.txt"}), 0.0);
    EXPECT_FALSE(object_call_logical(files, "GetExtensionName", {"a.txt"}));
}

TEST_F(Automation, FailedCreateKeepsTheEarlierObject) {
    IDispatch* earlier = request.get();
    const Text progids[] = {"Mirevo.NoSuchObject.1", "", "\xB2\xE2\xCA\xD4"};  // 测试
    for (const Text& progid : progids) {
        SCOPED_TRACE(progid.bytes());
        EXPECT_FALSE(object_create(request, progid));
        EXPECT_EQ(request.get(), earlier);
    }
    EXPECT_TRUE(object_set(request, "Option", 6, true));
}

TEST_F(Automation, CreateReleasesTheEarlierReference) {
    IDispatch* earlier = request.get();
    earlier->AddRef();  // keep it alive to watch its count
    ULONG before = reference_count(earlier);
    ASSERT_TRUE(object_create(request, "WinHttp.WinHttpRequest.5.1"));
    EXPECT_NE(request.get(), earlier);
    EXPECT_EQ(reference_count(earlier), before - 1);
    earlier->Release();
}

TEST_F(Automation, CopiesShareAndReleasesEmpty) {
    IDispatch* raw = request.get();
    ULONG alone = reference_count(raw);
    {
        AutomationObject copy;
        object_copy(copy, request);
        EXPECT_EQ(copy.get(), raw);
        EXPECT_EQ(reference_count(raw), alone + 1);

        object_copy(copy, copy);  // copying onto itself keeps the one reference
        EXPECT_EQ(reference_count(raw), alone + 1);

        AutomationObject moved = std::move(copy);
        EXPECT_TRUE(object_is_empty(copy));
        EXPECT_EQ(reference_count(raw), alone + 1);

        // The copy still works once the original holder has let go.
        AutomationObject original_files = files;
        object_release(files);
        EXPECT_TRUE(object_is_empty(files));
        EXPECT_EQ(object_call_text(original_files, "GetExtensionName", {"a.b"}), Text("b"));
        EXPECT_TRUE(object_set(moved, "Option", 6, true));
    }
    EXPECT_EQ(reference_count(raw), alone);

    // Copying an empty holder empties the destination and drops its reference.
    AutomationObject empty;
    AutomationObject other = request;
    object_copy(other, empty);
    EXPECT_TRUE(object_is_empty(other));
    EXPECT_EQ(reference_count(raw), alone);
    EXPECT_FALSE(object_is_empty(request));
}

TEST(VariantBytes, RoundTripKeepsEveryByte) {
    ByteArray large(70000);
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<std::uint8_t>(i * 7);
    const ByteArray cases[] = {{}, {0}, {0, 0, 0}, {1, 0, 255, 0x80, 0}, large};
    for (const ByteArray& bytes : cases) {
        SCOPED_TRACE(bytes.size());
        Variant v;
        ASSERT_TRUE(variant_from_bytes(v, bytes));
        EXPECT_EQ(v.get()->vt, VT_ARRAY | VT_UI1);
        EXPECT_EQ(variant_to_bytes(v), bytes);

        // The same array seen through a reference, as some objects hand it out.
        Variant by_reference;
        by_reference.get()->vt = VT_BYREF | VT_ARRAY | VT_UI1;
        by_reference.get()->pparray = &v.get()->parray;
        EXPECT_EQ(variant_to_bytes(by_reference), bytes);

        variant_clear(v);
        EXPECT_TRUE(v.empty());
        EXPECT_TRUE(variant_to_bytes(v).empty());
    }
}

TEST(VariantBytes, FromBytesReplacesTheEarlierValue) {
    Variant v;
    ASSERT_TRUE(variant_from_bytes(v, {1, 2, 3}));
    ASSERT_TRUE(variant_from_bytes(v, {9}));
    EXPECT_EQ(variant_to_bytes(v), ByteArray{9});
}

TEST(VariantBytes, AnythingButAByteArrayGivesNoBytes) {
    Variant text;
    text.get()->vt = VT_BSTR;
    text.get()->bstrVal = SysAllocString(L"abc");

    Variant integer;
    integer.get()->vt = VT_I4;
    integer.get()->lVal = 5;

    Variant integers;
    integers.get()->vt = VT_ARRAY | VT_I4;
    integers.get()->parray = SafeArrayCreateVector(VT_I4, 0, 3);

    Variant two_dimensions;
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
    two_dimensions.get()->vt = VT_ARRAY | VT_UI1;
    two_dimensions.get()->parray = SafeArrayCreate(VT_UI1, 2, bounds);

    Variant no_array;
    no_array.get()->vt = VT_ARRAY | VT_UI1;  // parray stays null

    Variant null_reference;
    null_reference.get()->vt = VT_BYREF | VT_ARRAY | VT_UI1;  // pparray stays null

    struct Case {
        const char* label;
        const Variant* v;
    } cases[] = {{"empty", nullptr},
                 {"text", &text},
                 {"integer", &integer},
                 {"integers", &integers},
                 {"two dimensions", &two_dimensions},
                 {"null array", &no_array},
                 {"null reference", &null_reference}};
    Variant empty;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_TRUE(variant_to_bytes(c.v ? *c.v : empty).empty());
    }
}

}  // namespace
