# Sourced by the scripts that run the reference server: sets `native` to the
# native build folder holding server/norda_server and sample/: TARVEX_NATIVE_DIR;
# when that is empty, the test build folder TARVEX_BUILD_DIR if it holds the
# server (a native ctest run); else build/native of this checkout.
native=${TARVEX_NATIVE_DIR:-}
if [ -z "$native" ]; then
  if [ -n "${TARVEX_BUILD_DIR:-}" ] && [ -x "$TARVEX_BUILD_DIR/server/norda_server" ]; then
    native=$TARVEX_BUILD_DIR
  else
    native=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/build/native
  fi
fi
[ -x "$native/server/norda_server" ] || { echo "no server at $native/server/norda_server (build the native preset first)" >&2; exit 2; }
