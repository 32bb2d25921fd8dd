// The start-up sequence's Windows side: MD5 over CryptoAPI when its calls fail,
// the hardened load of the skin engine, and starts against a real tool directory.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../fake_window.h"
#include "app/md5_win.h"
#include "app/payload_win.h"
#include "app/skin_loader_win.h"
#include "app/startup_platform_win.h"
#include "base/codepage.h"
#include "base/system.h"
#include "base/text.h"

namespace {

std::wstring wide(const Text& t) {
    std::u16string s = gbk_to_utf16(t);
    return std::wstring(s.begin(), s.end());
}

// --- MD5 when the cryptographic service fails -------------------------------

// Records the calls and fails the one named; the rest go to the platform.
struct CryptoScript {
    std::vector<DWORD> acquire_flags;
    int acquire_failures = 0;
    bool fail_hash_data = false;
    bool fail_create_hash = false;
    int destroyed = 0;
    int released = 0;
};
CryptoScript* script = nullptr;

BOOL WINAPI scripted_acquire(HCRYPTPROV* context, LPCWSTR container, LPCWSTR provider, DWORD type, DWORD flags) {
    script->acquire_flags.push_back(flags);
    if (script->acquire_failures > 0) {
        --script->acquire_failures;
        return FALSE;
    }
    return CryptAcquireContextW(context, container, provider, type, CRYPT_VERIFYCONTEXT);
}
BOOL WINAPI scripted_create(HCRYPTPROV context, ALG_ID algorithm, HCRYPTKEY key, DWORD flags, HCRYPTHASH* hash) {
    return script->fail_create_hash ? FALSE : CryptCreateHash(context, algorithm, key, flags, hash);
}
BOOL WINAPI scripted_hash(HCRYPTHASH hash, const BYTE* data, DWORD length, DWORD flags) {
    return script->fail_hash_data ? FALSE : CryptHashData(hash, data, length, flags);
}
BOOL WINAPI scripted_destroy(HCRYPTHASH hash) {
    ++script->destroyed;
    return CryptDestroyHash(hash);
}
BOOL WINAPI scripted_release(HCRYPTPROV context, DWORD flags) {
    ++script->released;
    return CryptReleaseContext(context, flags);
}

const CryptoCalls scripted_calls = {scripted_acquire,  scripted_create,  scripted_hash,
                                    CryptGetHashParam, scripted_destroy, scripted_release};

TEST(Md5HexWin, FailuresGiveEmptyAndReleaseWhatWasAcquired) {
    const std::vector<DWORD> both_attempts = {CRYPT_VERIFYCONTEXT, 0};
    const std::vector<DWORD> first_attempt = {CRYPT_VERIFYCONTEXT};
    struct Case {
        const char* name;
        int acquire_failures;
        bool fail_create_hash;
        bool fail_hash_data;
        Text digest;
        std::vector<DWORD> acquire_flags;
        int destroyed;
        int released;
    } cases[] = {
        {"no context at all", 2, false, false, Text(), both_attempts, 0, 0},
        {"context on the second attempt", 1, false, false, "900150983cd24fb0d6963f7d28e17f72", both_attempts, 1, 1},
        {"hash object refused", 0, true, false, Text(), first_attempt, 0, 1},
        {"hashing fails", 0, false, true, Text(), first_attempt, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CryptoScript s;
        s.acquire_failures = c.acquire_failures;
        s.fail_create_hash = c.fail_create_hash;
        s.fail_hash_data = c.fail_hash_data;
        script = &s;
        EXPECT_EQ(md5_hex_with(scripted_calls, to_bytes(Text("abc"))), c.digest);
        EXPECT_EQ(s.acquire_flags, c.acquire_flags);
        EXPECT_EQ(s.destroyed, c.destroyed);
        EXPECT_EQ(s.released, c.released);
        script = nullptr;
    }
}

// --- A tool directory of the test's own --------------------------------------

class ToolDirectoryTest : public testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        // The all-users folder of the test: "共享" in GBK, so paths go through the code page.
        app_data_ = text_concat(utf16_to_gbk(std::u16string(temp, temp + wcslen(temp))), "mirevo_", info->name(),
                                "_\xB9\xB2\xCF\xED\\");
        remove_tree(app_data_);
        ASSERT_TRUE(create_directory(text_left(app_data_, text_length(app_data_) - 1)));
        // The all-users application-data folder is looked up in the environment first.
        SetEnvironmentVariableW(L"common appdata", wide(text_left(app_data_, text_length(app_data_) - 1)).c_str());
        tool_directory_ = text_concat(app_data_, "Qor_Tools\\");
        library_path_ = text_concat(tool_directory_, "Qor_SkinH_EL.dll");
        ASSERT_GT(carried_skin_engine().size(), 2u);
    }
    void TearDown() override {
        // The engine may still be mapped into this process; the next run's SetUp clears it.
        remove_tree(app_data_);
    }

    static void remove_tree(const Text& directory) {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(wide(directory)), ignored);
    }

    static bool engine_in_process() { return GetModuleHandleW(L"Qor_SkinH_EL.dll") != nullptr; }

    Text app_data_;
    Text tool_directory_;
    Text library_path_;
};

ByteArray tampered() {
    ByteArray bytes = carried_skin_engine();
    bytes[bytes.size() / 2] ^= 0x5A;
    return bytes;
}

TEST_F(ToolDirectoryTest, LoaderTakesOnlyTheLibraryItCarries) {
    ASSERT_TRUE(create_directory(tool_directory_));
    struct Case {
        const char* name;
        ByteArray file;
        SkinEngineLoad status;
    } cases[] = {
        {"a changed byte", tampered(), SkinEngineLoad::refused},
        {"one byte short", ByteArray(carried_skin_engine().begin(), carried_skin_engine().end() - 1),
         SkinEngineLoad::refused},
        {"an empty file", ByteArray(), SkinEngineLoad::refused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(write_file(library_path_, {c.file}));
        SkinEngine engine = load_skin_engine(tool_directory_, "Qor_SkinH_EL.dll", carried_skin_engine());
        EXPECT_EQ(engine.status, c.status);
        EXPECT_EQ(engine.module, nullptr);
        EXPECT_FALSE(engine_in_process());
    }
    // Our own bytes, last, as a loaded library cannot be overwritten.
    ASSERT_TRUE(write_file(library_path_, {carried_skin_engine()}));
    SkinEngine engine = load_skin_engine(tool_directory_, "Qor_SkinH_EL.dll", carried_skin_engine());
    EXPECT_EQ(engine.status, SkinEngineLoad::loaded);
    EXPECT_NE(engine.attach, nullptr);
    EXPECT_TRUE(engine_in_process());
}

TEST_F(ToolDirectoryTest, LoaderRefusesWhatItCannotRead) {
    // A directory under the library's name cannot be read, so it cannot be vouched for.
    ASSERT_TRUE(create_directory(tool_directory_));
    ASSERT_TRUE(create_directory(library_path_));
    SkinEngine engine = load_skin_engine(tool_directory_, "Qor_SkinH_EL.dll", carried_skin_engine());
    EXPECT_EQ(engine.status, SkinEngineLoad::refused);
    EXPECT_FALSE(engine_in_process());
}

TEST_F(ToolDirectoryTest, LoaderReportsMissingWhenNoLibraryIsAnywhere) {
    SkinEngine engine = load_skin_engine(tool_directory_, "Qor_SkinH_EL.dll", carried_skin_engine());
    EXPECT_EQ(engine.status, SkinEngineLoad::missing);
    EXPECT_FALSE(engine_in_process());
}

struct StartOutcome {
    CallLog log;
    std::vector<Text> messages;
    Text directory_box_text;
};

StartOutcome start_once() {
    StartOutcome outcome;
    FakeWindow window(outcome.log);
    window.texts[directory_box] = "X:\\left\\over\\";
    WindowsStartupPlatform platform;
    on_main_window_created(window, platform);
    outcome.messages = window.message_texts;
    outcome.directory_box_text = window.texts[directory_box];
    return outcome;
}

TEST_F(ToolDirectoryTest, FirstStartMakesTheToolDirectoryAndAttachesTheSkin) {
    StartOutcome outcome = start_once();
    EXPECT_EQ(read_file(library_path_), carried_skin_engine());
    EXPECT_TRUE(engine_in_process());
    // Once the engine is in, later loads by bare name no longer look in the tool directory.
    wchar_t dll_directory[MAX_PATH] = {};
    EXPECT_EQ(GetDllDirectoryW(MAX_PATH, dll_directory), 0u);
    EXPECT_TRUE(outcome.messages.empty());
    EXPECT_EQ(outcome.directory_box_text, text_concat(run_directory(), "\\"));
}

TEST_F(ToolDirectoryTest, SecondStartRewritesTheLibraryInTheExistingDirectory) {
    // What an earlier run of an older program left behind.
    ASSERT_TRUE(create_directory(tool_directory_));
    ASSERT_TRUE(write_file(library_path_, {to_bytes(Text("MZ from an earlier run"))}));
    StartOutcome outcome = start_once();
    EXPECT_EQ(read_file(library_path_), carried_skin_engine());
    EXPECT_TRUE(engine_in_process());
    EXPECT_TRUE(outcome.messages.empty());
    EXPECT_EQ(outcome.directory_box_text, text_concat(run_directory(), "\\"));
}

TEST_F(ToolDirectoryTest, TamperedLibraryThatCannotBeReplacedIsNotLoaded) {
    ASSERT_TRUE(create_directory(tool_directory_));
    ASSERT_TRUE(write_file(library_path_, {tampered()}));
    // Held open for reading only, as by another process: the start cannot rewrite it.
    HANDLE hold = CreateFileW(wide(library_path_).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(hold, INVALID_HANDLE_VALUE);
    StartOutcome outcome = start_once();
    CloseHandle(hold);
    EXPECT_FALSE(engine_in_process());
    // The program goes on without the skin and says nothing about it.
    EXPECT_TRUE(outcome.messages.empty());
    EXPECT_EQ(outcome.directory_box_text, text_concat(run_directory(), "\\"));
    EXPECT_EQ(read_file(library_path_), tampered());
}

}  // namespace
