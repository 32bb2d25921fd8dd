// Adds a DER certificate to the local machine's trusted root store, so that the test
// wine prefix trusts the project's test CA. Replaces an earlier copy of the same one.
// usage: trust_ca.exe CA_DER_FILE
#include <windows.h>
// After windows.h, whose types it uses.
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fputs("usage: trust_ca.exe CA_DER_FILE\n", stderr);
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    std::vector<BYTE> der((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (der.empty()) {
        std::fputs("trust_ca: cannot read the certificate\n", stderr);
        return 1;
    }
    HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
    if (!store) {
        std::fprintf(stderr, "trust_ca: cannot open the Root store (%lu)\n", GetLastError());
        return 1;
    }
    BOOL added = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()),
                                                  CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    DWORD error = GetLastError();
    CertCloseStore(store, 0);
    if (!added) {
        std::fprintf(stderr, "trust_ca: the certificate was not added (%lu)\n", error);
        return 1;
    }
    return 0;
}
