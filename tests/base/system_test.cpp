// File, directory and environment primitives against the real file system of
// whichever platform runs the test. Paths are GBK Texts with Chinese names.
#include "base/system.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/codepage.h"
#include "base/text.h"

namespace {

// "下载" in GBK: a directory name that only survives an explicit code-page conversion.
const char* const chinese_name = "\xCF\xC2\xD4\xD8";

std::filesystem::path native(const Text& t) { return std::filesystem::path(gbk_to_utf16(t)); }

class SystemTest : public testing::Test {
protected:
    void SetUp() override {
        Text base = run_directory();
        ASSERT_FALSE(base.empty());
        separator_ = text_find(base, "\\") > 0 ? "\\" : "/";
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        root_ = path({base, text_concat("system_test_", info->name())});
        std::filesystem::remove_all(native(root_));
        ASSERT_TRUE(create_directory(root_));
    }
    void TearDown() override { std::filesystem::remove_all(native(root_)); }

    Text path(std::initializer_list<Text> parts) const {
        Text out;
        for (const Text& part : parts) out = out.empty() ? part : text_concat(out, separator_, part);
        return out;
    }

    Text separator_;
    Text root_;
};

TEST_F(SystemTest, RunDirectoryHoldsThisProgramWithoutTrailingSeparator) {
    Text dir = run_directory();
    EXPECT_NE(text_right(dir, 1), separator_);
    EXPECT_TRUE(std::filesystem::is_directory(native(dir)));
}

TEST_F(SystemTest, CreateDirectoryNeedsAParentAndFailsWhenPresent) {
    Text dir = path({root_, chinese_name});
    EXPECT_TRUE(create_directory(dir));
    EXPECT_TRUE(std::filesystem::is_directory(native(dir)));
    EXPECT_FALSE(create_directory(dir));
    EXPECT_FALSE(create_directory(path({root_, "missing", "child"})));
    EXPECT_FALSE(create_directory(Text()));
}

TEST_F(SystemTest, WriteFileTruncatesAndJoinsPieces) {
    ASSERT_TRUE(create_directory(path({root_, chinese_name})));
    Text file = path({root_, chinese_name, "file.bin"});
    ASSERT_TRUE(write_file(file, {ByteArray{1, 2, 3, 4, 5, 6}}));
    EXPECT_EQ(read_file(file), (ByteArray{1, 2, 3, 4, 5, 6}));
    ASSERT_TRUE(write_file(file, {ByteArray{'a', 0}, ByteArray{}, ByteArray{'b'}}));
    EXPECT_EQ(read_file(file), (ByteArray{'a', 0, 'b'}));
    EXPECT_TRUE(delete_file(file));
    EXPECT_FALSE(std::filesystem::exists(native(file)));
    EXPECT_FALSE(delete_file(file));
}

TEST_F(SystemTest, WriteFileFailsWithoutAPlaceToWrite) {
    EXPECT_FALSE(write_file(Text(), {ByteArray{1}}));
    EXPECT_FALSE(write_file(path({root_, "missing", "f"}), {ByteArray{1}}));
    EXPECT_FALSE(write_file(root_, {ByteArray{1}}));  // a directory is no file
    EXPECT_TRUE(read_file(path({root_, "missing"})).empty());
}

TEST(Environment, VariablesSetAndUnset) {
    EXPECT_EQ(env_variable("MIREVO_SURELY_UNSET_VARIABLE"), Text());
    EXPECT_EQ(env_variable(Text()), Text());
    EXPECT_FALSE(env_variable("PATH").empty());
}

}  // namespace
