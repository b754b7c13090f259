#!/usr/bin/env python3
"""Writes the installed report template: the source template with the chart
library's style sheet and script put inline, so the page the viewer writes
into %TEMP% draws its charts with no file beside it and no network.

The source template links the library's two files by name, one line each:

    <link rel="stylesheet" type="text/css" href="dygraph.min.css">
    <script type="text/javascript" src="dygraph.min.js"></script>

Each line becomes a <style> or <script> element holding the file, preceded by
the library's licence notice. Every other byte of the template is kept as it
is, Shift-JIS included. What is put in is made safe for the page and for the
viewer's merge, or refused:

- characters outside ASCII are written as \\uXXXX escapes (the library has
  them only inside string literals), so nothing depends on Shift-JIS;
- the merge markers "@data" and "@values", a closing tag of the element, NUL and Ctrl-Z
  (which ends a text-mode read on Windows) are refused;
- CR LF becomes LF, and a trailing source-map reference is dropped (the map
  is not installed).

Usage: inline_chart_library.py TEMPLATE LIBRARY_DIR NOTICE OUT
Exits 1 with a message naming the problem; OUT is then not written.
"""
import re
import sys

MERGE_MARKERS = (b"@data", b"@values")  # the table rows' marker first
SCRIPT_FILE = "dygraph.min.js"
STYLE_FILE = "dygraph.min.css"
SOURCE_MAP = re.compile(rb"\n?(//# sourceMappingURL=[^\n]*|/\*# sourceMappingURL=[^\n]*\*/)\s*$")
FORBIDDEN_BYTES = {b"\x00": "a NUL byte", b"\x1a": "a Ctrl-Z byte (it ends a text-mode read)"}
CLOSING_TAGS = (b"</script", b"</style")  # either would end the inline element early


class Refused(Exception):
    pass


def ascii_escaped(text, what):
    """The text with every character outside ASCII as a \\uXXXX escape."""
    def escape(match):
        code = ord(match.group(0))
        if code > 0xFFFF:
            raise Refused("%s holds a character outside the basic plane (U+%X)" % (what, code))
        return "\\u%04x" % code
    return re.sub(r"[^\x00-\x7f]", escape, text).encode("ascii")


def prepared(raw, what):
    """The bytes of a library file or notice, ready to stand inside the page."""
    for byte, name in FORBIDDEN_BYTES.items():
        if byte in raw:
            raise Refused("%s holds %s" % (what, name))
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError as error:
        raise Refused("%s is not UTF-8 text: %s" % (what, error))
    body = ascii_escaped(text.replace("\r\n", "\n"), what)
    for marker in MERGE_MARKERS:
        if marker in body:
            raise Refused("%s holds the merge marker %s" % (what, marker.decode()))
    for tag in CLOSING_TAGS:
        if tag in body.lower():
            raise Refused("%s holds %s, which would end its element early" % (what, tag.decode()))
    return body


def notice_comment(notice):
    if b"*/" in notice:
        raise Refused("the licence notice holds */, which would end its comment")
    return b"/*!\n" + notice.rstrip(b"\n") + b"\n*/\n"


def inline_element(library, notice, name, tag, opening):
    with open("%s/%s" % (library, name), "rb") as source:
        raw = SOURCE_MAP.sub(b"", source.read())
    body = prepared(raw, name)
    return opening + b"\n" + notice_comment(notice) + body.rstrip(b"\n") + b"\n</" + tag + b">"


def replace_line(template, line, element, name):
    found = template.count(line + b"\n")
    if found != 1:
        raise Refused("the template links %s on %d lines instead of one: %s" % (name, found, line.decode()))
    return template.replace(line + b"\n", element + b"\n")


def installed_template(template, library, notice_path):
    if MERGE_MARKERS[0] not in template:
        raise Refused("the template holds no merge marker %s" % MERGE_MARKERS[0].decode())
    with open(notice_path, "rb") as source:
        notice = prepared(source.read(), "the licence notice")
    style = inline_element(library, notice, STYLE_FILE, b"style", b'<style type="text/css">')
    script = inline_element(library, notice, SCRIPT_FILE, b"script", b'<script type="text/javascript">')
    page = replace_line(template, b'<link rel="stylesheet" type="text/css" href="%s">' % STYLE_FILE.encode(),
                        style, STYLE_FILE)
    page = replace_line(page, b'<script type="text/javascript" src="%s"></script>' % SCRIPT_FILE.encode(),
                        script, SCRIPT_FILE)
    for marker in MERGE_MARKERS:
        if page.count(marker) != template.count(marker):
            raise Refused("the page would hold the merge marker %s more often than the template" % marker.decode())
    return page


def main(argv):
    if len(argv) != 5:
        print("usage: %s TEMPLATE LIBRARY_DIR NOTICE OUT" % argv[0], file=sys.stderr)
        return 2
    template_path, library, notice_path, out_path = argv[1:]
    try:
        with open(template_path, "rb") as source:
            page = installed_template(source.read(), library, notice_path)
    except (Refused, OSError) as error:
        print("inline_chart_library: %s" % error, file=sys.stderr)
        return 1
    with open(out_path, "wb") as out:
        out.write(page)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
