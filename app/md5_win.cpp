// MD5 through the platform's cryptographic service.
#include "app/md5_win.h"

#include <algorithm>
#include <string>

#include "app/md5.h"
#include "base/text.h"

namespace {

// Hashes with an acquired context; destroys the hash object on every path.
Text hash_with_context(const CryptoCalls& calls, HCRYPTPROV context, const ByteArray& bytes) {
    HCRYPTHASH hash = 0;
    if (!calls.create_hash(context, CALG_MD5, 0, 0, &hash)) return Text();
    BYTE value[16] = {};
    DWORD value_size = sizeof value;
    // CryptHashData takes a DWORD count: feed very large inputs in pieces.
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        ok = calls.hash_data(hash, bytes.data() + done, chunk, 0);
        done += chunk;
    }
    ok = ok && calls.get_hash_param(hash, HP_HASHVAL, value, &value_size, 0) && value_size == sizeof value;
    calls.destroy_hash(hash);
    if (!ok) return Text();
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (BYTE b : value) {
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    return text_lower(hex);
}

}  // namespace

const CryptoCalls& platform_crypto_calls() {
    static const CryptoCalls calls = {CryptAcquireContextW, CryptCreateHash,  CryptHashData,
                                      CryptGetHashParam,    CryptDestroyHash, CryptReleaseContext};
    return calls;
}

Text md5_hex_with(const CryptoCalls& calls, const ByteArray& bytes) {
    HCRYPTPROV context = 0;
    if (!calls.acquire_context(&context, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT) &&
        !calls.acquire_context(&context, nullptr, nullptr, PROV_RSA_FULL, 0))
        return Text();
    Text hex = hash_with_context(calls, context, bytes);
    calls.release_context(context, 0);
    return hex;
}

Text md5_hex(const ByteArray& bytes) { return md5_hex_with(platform_crypto_calls(), bytes); }
