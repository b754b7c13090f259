#!/usr/bin/env python3
"""Posts standard input to /norda/dbcommit.php of HOST:PORT over TLS, the
certificate checked against AUTHORITY (a PEM file) and HOST, with exactly
the TLS version given. Writes the reply's status line's code, a line end and
the body to standard output; when the handshake fails, writes why to
standard error and exits 3.

Usage: tls_post.py HOST PORT AUTHORITY VERSION   (VERSION: 1.1, 1.2 or 1.3)
"""
import http.client
import ssl
import sys
import warnings

# Asking for TLS 1.1 is the point of one check, not a mistake to be warned of.
warnings.filterwarnings("ignore", category=DeprecationWarning)

VERSIONS = {
    "1.1": ssl.TLSVersion.TLSv1_1,
    "1.2": ssl.TLSVersion.TLSv1_2,
    "1.3": ssl.TLSVersion.TLSv1_3,
}
HANDSHAKE_FAILED = 3


def context(authority, version):
    tls = ssl.SSLContext(ssl.PROTOCOL_TLS_CLIENT)
    tls.load_verify_locations(authority)
    # The client would offer an old version only at the lowest security
    # level; whether the server takes it is what is asked.
    tls.set_ciphers("DEFAULT:@SECLEVEL=0")
    tls.minimum_version = tls.maximum_version = VERSIONS[version]
    return tls


def main():
    host, port, authority, version = sys.argv[1:5]
    body = sys.stdin.buffer.read()
    connection = http.client.HTTPSConnection(host, int(port), context=context(authority, version), timeout=30)
    try:
        connection.request("POST", "/norda/dbcommit.php", body,
                           {"Content-Type": "application/x-www-form-urlencoded"})
        reply = connection.getresponse()
        sys.stdout.buffer.write(b"%d\n" % reply.status + reply.read())
    except ssl.SSLError as error:
        print(f"handshake refused: {error}", file=sys.stderr)
        sys.exit(HANDSHAKE_FAILED)


if __name__ == "__main__":
    main()
