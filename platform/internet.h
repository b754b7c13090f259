// The programs' internet access: a session, an HTTP connection made from it,
// HTTP files (requests) made from the connection, and files opened from a
// URL.
// Each object owns one WinINet handle and closes it when it is destroyed, so
// every handle is released on every path, also when an exception leaves.
// Texts (user agent, server, object names, URLs, headers) are Shift-JIS;
// bodies travel as the bytes given, unconverted.
//
// Failures of the internet layer (no session, a name that cannot be
// resolved, a server that cannot be reached, a request that cannot be sent
// or read) are thrown as CInternetException. An HTTP status other than 200
// is not a failure of the layer: callers ask for it with QueryInfoStatusCode.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>

// The WinINet values the programs pass, under WinINet's own names, so that
// code above the platform layer need not include <wininet.h>. <wininet.h>
// defines the same names as macros with the same values; the guards keep
// both orders of inclusion working.
#ifndef INTERNET_FLAG_RELOAD
constexpr unsigned long INTERNET_FLAG_RELOAD = 0x80000000UL;  // always fetch from the server
#endif
#ifndef INTERNET_FLAG_NO_CACHE_WRITE
constexpr unsigned long INTERNET_FLAG_NO_CACHE_WRITE = 0x04000000UL;  // never store in the local cache
#endif
#ifndef INTERNET_FLAG_SECURE
constexpr unsigned long INTERNET_FLAG_SECURE = 0x00800000UL;  // HTTPS, the server's certificate checked
#endif
#ifndef INTERNET_FLAG_NO_AUTO_REDIRECT
constexpr unsigned long INTERNET_FLAG_NO_AUTO_REDIRECT = 0x00200000UL;  // a redirect is answered, not followed
#endif
#ifndef INTERNET_FLAG_TRANSFER_ASCII
constexpr unsigned long INTERNET_FLAG_TRANSFER_ASCII = 0x00000001UL;
#endif
#ifndef INTERNET_FLAG_TRANSFER_BINARY
constexpr unsigned long INTERNET_FLAG_TRANSFER_BINARY = 0x00000002UL;  // FTP: bytes as they are (TYPE I)
#endif
#ifndef INTERNET_OPEN_TYPE_PRECONFIG
constexpr unsigned long INTERNET_OPEN_TYPE_PRECONFIG = 0;  // the system's proxy settings
#endif
#ifndef INTERNET_DEFAULT_HTTP_PORT
constexpr unsigned short INTERNET_DEFAULT_HTTP_PORT = 80;
#endif
#ifndef INTERNET_DEFAULT_HTTPS_PORT
constexpr unsigned short INTERNET_DEFAULT_HTTPS_PORT = 443;
#endif
#ifndef HTTP_STATUS_OK
constexpr unsigned long HTTP_STATUS_OK = 200;
#endif

namespace platform {

// Thrown when a call of the internet layer fails.
class CInternetException : public std::runtime_error {
 public:
  explicit CInternetException(unsigned long errorCode);

  // True when a secure connection was refused before anything of the
  // request was sent: the server's certificate did not check out (an
  // unknown issuer, another host's name, out of its dates, revoked) or no
  // secure channel could be set up with the server.
  bool SecureConnectionRefused() const;

  // True when the server did not answer in time: no connection within the
  // session's connect timeout, or no bytes within its receive timeout, or
  // the connection dropped in the middle of the exchange.
  bool TimedOut() const;

  // The platform's error code of the failed call (12001..12999 are the
  // internet layer's own, e.g. 12029 for a server that cannot be reached).
  unsigned long errorCode;
};

// A file of the internet layer: the body of an opened address, to be read.
// OpenURL makes one; for HTTP and HTTPS addresses it is a CHttpFile, which
// also answers the reply's status.
class CInternetFile {
 public:
  explicit CInternetFile(void* handle);  // takes ownership of the handle
  virtual ~CInternetFile();
  CInternetFile(const CInternetFile&) = delete;
  CInternetFile& operator=(const CInternetFile&) = delete;

  // Reads up to `size` bytes of the body into `buffer` and returns how many
  // arrived; 0 only at the end of the body. A read may return fewer bytes
  // than asked before the end.
  std::size_t Read(void* buffer, std::size_t size);

  // Closes the file now, from any thread: a call of another thread blocked
  // on it ends with a CInternetException where the system aborts it (under
  // Wine it ends at its next bytes or its timeout). The handle is closed
  // once only, whichever of Close and the destructor comes first.
  void Close();

 protected:
  void* Handle() const { return handle.load(); }

 private:
  std::atomic<void*> handle;
};

// One HTTP request and its reply: made by CHttpConnection::OpenRequest (then
// sent with SendRequest) or by CInternetSession::OpenURL (already sent).
class CHttpFile : public CInternetFile {
 public:
  using CInternetFile::CInternetFile;

  // Sends the request with the extra header lines `headers` (nullptr or ""
  // for none; lines separated by CR LF) and `length` bytes of `body`.
  void SendRequest(const char* headers, const void* body, std::size_t length);

  // The HTTP status code of the reply (200, 404, ...).
  unsigned long QueryInfoStatusCode();

  // The body length the server announced (Content-Length), or -1 when it
  // announced none; lets a reader tell a complete body from a cut one.
  long long QueryInfoContentLength();
};

// How long a server may take (CInternetSession::SetTimeouts); 0: the
// system's own.
struct CInternetTimeouts {
  unsigned long connectMs = 0;
  unsigned long transferMs = 0;
};

// An HTTP connection to one server; it must not outlive its session.
class CHttpConnection {
 public:
  // Takes ownership of the handle; its requests get `timeouts`.
  CHttpConnection(void* handle, std::uintptr_t context, const CInternetTimeouts& timeouts = {});
  ~CHttpConnection();
  CHttpConnection(const CHttpConnection&) = delete;
  CHttpConnection& operator=(const CHttpConnection&) = delete;

  // Opens a request for `objectName` (a path under the server's root) with
  // the verb `verb` and the INTERNET_FLAG_ values `flags`: no referrer, no
  // list of accepted types, the platform's default HTTP version and the
  // connection's context value. The file must not outlive the connection.
  std::unique_ptr<CHttpFile> OpenRequest(const char* verb, const char* objectName,
                                         unsigned long flags);

 private:
  void* handle;
  std::uintptr_t context;
  CInternetTimeouts timeouts;
};

// An internet session: the root of every connection and URL file.
class CInternetSession {
 public:
  // Opens a session with the user agent `userAgent`, the context value given
  // to the connections and files made from it, the access type (proxy
  // settings) and the INTERNET_FLAG_ values `flags`; no proxy name and no
  // bypass list.
  explicit CInternetSession(const char* userAgent, std::uintptr_t context = 1,
                            unsigned long accessType = INTERNET_OPEN_TYPE_PRECONFIG,
                            unsigned long flags = 0);

  // Limits every connection and request made from the session afterwards: a
  // server must accept the connection within `connectMs` milliseconds, and
  // take the request and send the reply's bytes with no pause longer than
  // `transferMs`; beyond, the call fails with TimedOut.
  void SetTimeouts(unsigned long connectMs, unsigned long transferMs);

  // The number of connections the internet layer opens to one server at a
  // time, for the whole process (the system's own limit can be lower than
  // the exchanges a program runs side by side).
  static void SetConnectionsPerServer(unsigned long count);

  // Starts loading, on a thread of its own, the system's trusted root
  // certificates and its engine of certificate chains, which the process's
  // first secure connection checks the server's certificate with. The
  // system readies them once a process, and under Wine that takes a few
  // hundred milliseconds: a program that will talk HTTPS calls this when
  // its window opens so that its first exchange need not wait. Returns at
  // once; calls after the first do nothing.
  static void PrepareSecureConnections();
  ~CInternetSession();
  CInternetSession(const CInternetSession&) = delete;
  CInternetSession& operator=(const CInternetSession&) = delete;

  // Connects to `server` (host name or dotted IPv4 address) on `port`, with
  // no user name and no password. The connection must not outlive the session.
  std::unique_ptr<CHttpConnection> GetHttpConnection(const char* server,
                                                     unsigned short port = INTERNET_DEFAULT_HTTP_PORT);

  // Opens `url` (an absolute address: "http://host/path/file",
  // "ftp://host/file" ...) with the INTERNET_FLAG_ values `flags` and
  // returns it ready to read: a CHttpFile, its status to query, for HTTP and
  // HTTPS; a plain CInternetFile for the other kinds, which have no status.
  // The file must not outlive the session.
  std::unique_ptr<CInternetFile> OpenURL(const char* url, unsigned long flags = INTERNET_FLAG_TRANSFER_ASCII);

 private:
  void* handle;
  std::uintptr_t context;
  CInternetTimeouts timeouts;
};

}  // namespace platform
