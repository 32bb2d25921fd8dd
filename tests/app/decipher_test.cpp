// The routines that recover the engine library's name: MD5, hex decoding and the
// check value. They run natively and, in the Windows build, over CryptoAPI.
#include <gtest/gtest.h>

#include "app/md5.h"
#include "app/startup.h"
#include "base/text.h"

namespace {

TEST(Md5Hex, MatchesKnownDigests) {
    struct Case {
        const char* input;
        const char* digest;
    } cases[] = {
        // The test suite of RFC 1321, the empty input included.
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
        // 55, 56 and 64 bytes: the lengths around the padding and block boundaries.
        {"0123456789012345678901234567890123456789012345678901234", "6e7a4fc92eb1c3f6e652425bcc8d44b5"},
        {"01234567890123456789012345678901234567890123456789012345", "8af270b2847610e742b0791b53648c09"},
        {"0123456789012345678901234567890123456789012345678901234567890123", "7f7bfd348709deeaace19e3f535f8c54"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(md5_hex(to_bytes(Text(c.input))), Text(c.digest));
    }
}

TEST(Md5Hex, HashesZeroAndHighBytes) {
    EXPECT_EQ(md5_hex(ByteArray{0x00, 0xFF, 0x80}), Text("4fd64cb80c3f86e1e9d0f559af8b370f"));
}

TEST(HexValue, ReadsDigitsOfEitherCaseAndCountsOthersAsMinusTwo) {
    struct Case {
        Text text;
        std::int32_t value;
    } cases[] = {
        {"1f", 31},
        {"1F", 31},
        {"", 0},
        {"7fffffff", 0x7fffffff},
        {"FFFFFFFF", -1},
        // Wraps at 32 bits instead of overflowing.
        {"123456789", 0x23456789},
        // "g" is no digit: 1 * 16 + (-2).
        {"1g", 14},
        {"g", -2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(hex_value(c.text), c.value);
    }
}

TEST(HexToBytes, TakesPairsAndLetsAnOddLastDigitStandAlone) {
    struct Case {
        Text text;
        ByteArray bytes;
    } cases[] = {
        {"", {}},
        {"414", {0x41, 0x04}},
        {"00ff7A", {0x00, 0xFF, 0x7A}},
        // A pair with a non-digit keeps only the low 8 bits of its value: 16 * 4 - 2.
        {"4z", {0x3E}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(hex_to_bytes(c.text), c.bytes);
    }
}

TEST(DecipherName, RecoversTheEngineFileName) {
    EXPECT_EQ(decipher_name(enciphered_engine_name()), Text("Qor_SkinH_EL.dll"));
    EXPECT_EQ(text_length(enciphered_engine_name()), 41);
    EXPECT_EQ(text_length(engine_name_key()), 9);
}

TEST(DecipherName, GivesEmptyWhenTheCheckValueDoesNotMatch) {
    const Text stored = enciphered_engine_name();
    const Text body = text_left(stored, 32);
    const Text check = text_right(stored, 9);
    struct Case {
        const char* name;
        Text text;
    } cases[] = {
        {"check value in lower case", text_concat(body, text_lower(check))},
        {"check value changed", text_concat(body, text_replace(check, text_left(check, 1), "X", 1, 1))},
        {"shorter than nine bytes", text_left(check, 8)},
        {"empty", Text()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decipher_name(c.text), Text());
    }
}

TEST(DecipherName, ExclusiveOrsEachByteWithTheLowByteOf5985) {
    // 0x30 ^ 0x61 is "Q"; the zero byte from "61" ends the name.
    const Text check = text_right(enciphered_engine_name(), 9);
    EXPECT_EQ(decipher_name(text_concat("30", check)), Text("Q"));
    EXPECT_EQ(decipher_name(text_concat("306130", check)), Text("Q"));
}

}  // namespace
