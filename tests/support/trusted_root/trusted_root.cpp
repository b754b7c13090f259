// trusted_root.exe: puts a certificate authority into the local machine's
// trusted root store of the Wine prefix it runs in, or takes it out again.
// The internet layer checks every server certificate against that store, so
// the HTTPS tests trust their own test authority this way while they run,
// without touching the host's certificates.
//
// Usage: trusted_root add|remove CERTIFICATE.pem
// Both first remove every certificate of the store with the same subject
// name, so a test authority left by an interrupted run goes too. Exit code 0
// on success; otherwise a line on standard error and 1.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32.h"
#include <wincrypt.h>

namespace {

constexpr wchar_t ROOT_STORE[] = L"Root";
constexpr size_t READ_BLOCK_SIZE = 4096;

int Fail(const char* what) {
  std::fprintf(stderr, "trusted_root: %s (error %lu)\n", what, GetLastError());
  return 1;
}

// The DER bytes of the first certificate of a PEM file; empty on failure.
std::vector<BYTE> ReadCertificate(const char* path) {
  std::string pem;
  if (std::FILE* file = std::fopen(path, "rb")) {
    char block[READ_BLOCK_SIZE];
    size_t count;
    while ((count = std::fread(block, 1, sizeof block, file)) > 0) pem.append(block, count);
    std::fclose(file);
  }
  DWORD size = 0;
  if (!CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr)) return {};
  std::vector<BYTE> der(size);
  if (!CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr, nullptr)) return {};
  der.resize(size);
  return der;
}

// Removes every certificate of `store` whose subject is `certificate`'s.
bool RemoveSameSubject(HCERTSTORE store, PCCERT_CONTEXT certificate) {
  const CERT_NAME_BLOB& subject = certificate->pCertInfo->Subject;
  while (PCCERT_CONTEXT found =
             CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_SUBJECT_NAME, &subject, nullptr)) {
    if (!CertDeleteCertificateFromStore(found)) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (std::string(argv[1]) != "add" && std::string(argv[1]) != "remove")) {
    std::fprintf(stderr, "usage: trusted_root add|remove CERTIFICATE.pem\n");
    return 2;
  }
  bool adding = std::string(argv[1]) == "add";
  std::vector<BYTE> der = ReadCertificate(argv[2]);
  if (der.empty()) return Fail("no certificate in the file");
  PCCERT_CONTEXT certificate = CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), der.size());
  if (certificate == nullptr) return Fail("the certificate cannot be read");
  // The registry store itself: removals from the system store's collection
  // view were not kept.
  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, ROOT_STORE);
  if (store == nullptr) return Fail("the root store cannot be opened");
  bool done = RemoveSameSubject(store, certificate) &&
              (!adding || CertAddCertificateContextToStore(store, certificate, CERT_STORE_ADD_NEW, nullptr));
  int status = done ? 0 : Fail(adding ? "the certificate cannot be added" : "the certificate cannot be removed");
  CertFreeCertificateContext(certificate);
  CertCloseStore(store, 0);
  return status;
}
