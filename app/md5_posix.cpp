// MD5 through OpenSSL's digest interface.
#include <openssl/evp.h>

#include <memory>

#include "app/md5.h"

namespace {

struct DigestContextDelete {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

}  // namespace

Text md5_hex(const ByteArray& bytes) {
    std::unique_ptr<EVP_MD_CTX, DigestContextDelete> context(EVP_MD_CTX_new());
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (!context || EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1 ||
        EVP_DigestUpdate(context.get(), bytes.data(), bytes.size()) != 1 ||
        EVP_DigestFinal_ex(context.get(), digest, &size) != 1)
        return Text();

    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < size; ++i) {
        hex += digits[digest[i] >> 4];
        hex += digits[digest[i] & 15];
    }
    return hex;
}
