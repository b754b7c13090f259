#include "platform/internet.h"

#include <windows.h>
#include <wincrypt.h>
#include <wininet.h>

#include <algorithm>
#include <iterator>
#include <limits>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "platform/wide_text.h"

namespace platform {

namespace {

// Throws the layer's error when a WinINet call has failed.
[[noreturn]] void ThrowLastError() {
  throw CInternetException(GetLastError());
}

void CloseInternetHandle(void* handle) {
  if (handle != nullptr) InternetCloseHandle(static_cast<HINTERNET>(handle));
}

// True for the handle of an HTTP or HTTPS request, the kind that has a status.
// Sets `timeouts` on a handle of the internet layer, every handle a
// session makes: Windows hands a session's timeouts down to its connections
// and requests, Wine only a connection's to its requests. A handle that
// takes none keeps those it inherited.
void ApplyTimeouts(void* target, const CInternetTimeouts& timeouts) {
  if (timeouts.connectMs == 0 && timeouts.transferMs == 0) return;
  const std::pair<DWORD, DWORD> options[] = {{INTERNET_OPTION_CONNECT_TIMEOUT, timeouts.connectMs},
                                             {INTERNET_OPTION_SEND_TIMEOUT, timeouts.transferMs},
                                             {INTERNET_OPTION_RECEIVE_TIMEOUT, timeouts.transferMs}};
  for (auto [option, value] : options) {
    InternetSetOptionW(static_cast<HINTERNET>(target), option, &value, sizeof(value));
  }
}

bool IsHttpRequest(HINTERNET handle) {
  DWORD type = 0;
  DWORD size = sizeof(type);
  return InternetQueryOptionW(handle, INTERNET_OPTION_HANDLE_TYPE, &type, &size) &&
         type == INTERNET_HANDLE_TYPE_HTTP_REQUEST;
}

// The errors of a secure connection that the layer refused: its checks of
// the server's certificate, and the secure channel itself.
constexpr unsigned long SECURE_CONNECTION_ERRORS[] = {
    ERROR_INTERNET_SEC_CERT_DATE_INVALID, ERROR_INTERNET_SEC_CERT_CN_INVALID, ERROR_INTERNET_INVALID_CA,
    ERROR_INTERNET_SEC_CERT_ERRORS,       ERROR_INTERNET_SEC_CERT_NO_REV,     ERROR_INTERNET_SEC_CERT_REV_FAILED,
    ERROR_INTERNET_SEC_INVALID_CERT,      ERROR_INTERNET_SEC_CERT_REVOKED,    ERROR_INTERNET_SECURITY_CHANNEL_ERROR,
};

// Opening the root store loads it for the whole process, and checking the
// chain of one of its certificates readies the system's chain engine, which
// every secure connection asks; what they give back is not needed.
void LoadTrustedRoots() {
  HCERTSTORE roots = CertOpenSystemStoreW(0, L"ROOT");
  if (roots == nullptr) return;
  PCCERT_CONTEXT root = CertEnumCertificatesInStore(roots, nullptr);
  if (root != nullptr) {
    CERT_CHAIN_PARA parameters = {};
    parameters.cbSize = sizeof(parameters);
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (CertGetCertificateChain(nullptr, root, nullptr, nullptr, &parameters, 0, nullptr, &chain)) {
      CertFreeCertificateChain(chain);
    }
    CertFreeCertificateContext(root);
  }
  CertCloseStore(roots, 0);
}

}  // namespace

CInternetException::CInternetException(unsigned long errorCode)
    : std::runtime_error("internet error " + std::to_string(errorCode)), errorCode(errorCode) {}

bool CInternetException::SecureConnectionRefused() const {
  return std::find(std::begin(SECURE_CONNECTION_ERRORS), std::end(SECURE_CONNECTION_ERRORS), errorCode) !=
         std::end(SECURE_CONNECTION_ERRORS);
}

bool CInternetException::TimedOut() const {
  // Windows reports the timeout itself; Wine abandons the connection and
  // reports that instead.
  return errorCode == ERROR_INTERNET_TIMEOUT || errorCode == ERROR_INTERNET_CONNECTION_ABORTED;
}

CInternetFile::CInternetFile(void* handle) : handle(handle) {}

CInternetFile::~CInternetFile() { Close(); }

void CInternetFile::Close() { CloseInternetHandle(handle.exchange(nullptr)); }

std::size_t CInternetFile::Read(void* buffer, std::size_t size) {
  DWORD wanted = size > std::numeric_limits<DWORD>::max() ? std::numeric_limits<DWORD>::max()
                                                          : static_cast<DWORD>(size);
  DWORD arrived = 0;
  if (!InternetReadFile(static_cast<HINTERNET>(Handle()), buffer, wanted, &arrived)) ThrowLastError();
  return arrived;
}

void CHttpFile::SendRequest(const char* headers, const void* body, std::size_t length) {
  if (length > std::numeric_limits<DWORD>::max()) throw CInternetException(ERROR_INVALID_PARAMETER);
  std::wstring wideHeaders = ToWide(headers);
  BOOL sent = HttpSendRequestW(static_cast<HINTERNET>(Handle()),
                               wideHeaders.empty() ? nullptr : wideHeaders.c_str(),
                               static_cast<DWORD>(wideHeaders.size()), const_cast<void*>(body),
                               static_cast<DWORD>(length));
  if (!sent) ThrowLastError();
}

unsigned long CHttpFile::QueryInfoStatusCode() {
  DWORD status = 0;
  DWORD size = sizeof(status);
  if (!HttpQueryInfoW(static_cast<HINTERNET>(Handle()), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                      &size, nullptr)) {
    ThrowLastError();
  }
  return status;
}

long long CHttpFile::QueryInfoContentLength() {
  DWORD length = 0;
  DWORD size = sizeof(length);
  if (HttpQueryInfoW(static_cast<HINTERNET>(Handle()), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length,
                     &size, nullptr)) {
    return length;
  }
  if (GetLastError() == ERROR_HTTP_HEADER_NOT_FOUND) return -1;
  ThrowLastError();
}

CHttpConnection::CHttpConnection(void* handle, std::uintptr_t context, const CInternetTimeouts& timeouts)
    : handle(handle), context(context), timeouts(timeouts) {}

CHttpConnection::~CHttpConnection() { CloseInternetHandle(handle); }

std::unique_ptr<CHttpFile> CHttpConnection::OpenRequest(const char* verb, const char* objectName,
                                                        unsigned long flags) {
  std::wstring wideVerb = ToWide(verb);
  std::wstring wideObject = ToWide(objectName);
  HINTERNET request = HttpOpenRequestW(static_cast<HINTERNET>(handle), wideVerb.c_str(), wideObject.c_str(),
                                       nullptr, nullptr, nullptr, flags, context);
  if (request == nullptr) ThrowLastError();
  auto made = std::make_unique<CHttpFile>(request);
  ApplyTimeouts(request, timeouts);
  return made;
}

CInternetSession::CInternetSession(const char* userAgent, std::uintptr_t context, unsigned long accessType,
                                   unsigned long flags)
    : handle(nullptr), context(context) {
  std::wstring wideAgent = ToWide(userAgent);
  handle = InternetOpenW(wideAgent.c_str(), accessType, nullptr, nullptr, flags);
  if (handle == nullptr) ThrowLastError();
}

CInternetSession::~CInternetSession() { CloseInternetHandle(handle); }

void CInternetSession::SetTimeouts(unsigned long connectMs, unsigned long transferMs) {
  timeouts = {connectMs, transferMs};
  ApplyTimeouts(handle, timeouts);
}

void CInternetSession::SetConnectionsPerServer(unsigned long count) {
  DWORD value = count;
  InternetSetOptionW(nullptr, INTERNET_OPTION_MAX_CONNS_PER_SERVER, &value, sizeof(value));
  InternetSetOptionW(nullptr, INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER, &value, sizeof(value));
}

void CInternetSession::PrepareSecureConnections() {
  static std::once_flag started;
  std::call_once(started, [] { std::thread(LoadTrustedRoots).detach(); });
}

std::unique_ptr<CHttpConnection> CInternetSession::GetHttpConnection(const char* server, unsigned short port) {
  std::wstring wideServer = ToWide(server);
  HINTERNET connection = InternetConnectW(static_cast<HINTERNET>(handle), wideServer.c_str(), port, nullptr,
                                          nullptr, INTERNET_SERVICE_HTTP, 0, context);
  if (connection == nullptr) ThrowLastError();
  auto made = std::make_unique<CHttpConnection>(connection, context, timeouts);
  ApplyTimeouts(connection, timeouts);
  return made;
}

std::unique_ptr<CInternetFile> CInternetSession::OpenURL(const char* url, unsigned long flags) {
  std::wstring wideUrl = ToWide(url);
  HINTERNET file = InternetOpenUrlW(static_cast<HINTERNET>(handle), wideUrl.c_str(), nullptr, 0, flags, context);
  if (file == nullptr) ThrowLastError();
  if (IsHttpRequest(file)) return std::make_unique<CHttpFile>(file);
  return std::make_unique<CInternetFile>(file);
}

}  // namespace platform
