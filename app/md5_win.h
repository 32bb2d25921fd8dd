// The CryptoAPI calls behind md5_hex, gathered so that tests can make each fail.
#pragma once

#include <windows.h>
// After windows.h, which it builds on.
#include <wincrypt.h>

#include "base/types.h"

struct CryptoCalls {
    decltype(&CryptAcquireContextW) acquire_context;
    decltype(&CryptCreateHash) create_hash;
    decltype(&CryptHashData) hash_data;
    decltype(&CryptGetHashParam) get_hash_param;
    decltype(&CryptDestroyHash) destroy_hash;
    decltype(&CryptReleaseContext) release_context;
};

const CryptoCalls& platform_crypto_calls();

Text md5_hex_with(const CryptoCalls& calls, const ByteArray& bytes);
