#!/usr/bin/env python3
"""The installed report template: tools/build/inline_chart_library.py puts the
chart library inline into the real template, keeps every other byte of it,
and refuses library code that the page or the viewer's merge could not take.
"""
import os
import re
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
TOOL = os.path.join(ROOT, "tools", "build", "inline_chart_library.py")
TEMPLATE = os.path.join(ROOT, "viewer", "report", "output.html")
LIBRARY = "/usr/share/javascript/dygraphs"
NOTICE = "/usr/share/doc/libjs-dygraphs/copyright"
STYLE_LINE = b'<link rel="stylesheet" type="text/css" href="dygraph.min.css">\n'
SCRIPT_LINE = b'<script type="text/javascript" src="dygraph.min.js"></script>\n'
INLINE_ELEMENT = re.compile(rb'<(style|script) type="text/(?:css|javascript)">\n/\*!\n.*?</\1>\n', re.S)


def run_tool(template, library, notice, out):
    return subprocess.run([sys.executable, TOOL, template, library, notice, out], capture_output=True)


class RealLibrary(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        out = os.path.join(cls.folder.name, "output.html")
        result = run_tool(TEMPLATE, LIBRARY, NOTICE, out)
        assert result.returncode == 0, result.stderr.decode()
        with open(out, "rb") as page, open(TEMPLATE, "rb") as template:
            cls.page, cls.template = page.read(), template.read()
        cls.inserted = [match.group(0) for match in INLINE_ELEMENT.finditer(cls.page)
                        if b"Permission is hereby granted" in match.group(0)]

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def test_every_byte_of_the_template_but_the_two_links_stays(self):
        self.assertEqual(1, self.template.count(STYLE_LINE))
        self.assertEqual(1, self.template.count(SCRIPT_LINE))
        without_links = self.template.replace(STYLE_LINE, b"").replace(SCRIPT_LINE, b"")
        without_library = self.page
        for element in self.inserted:
            without_library = without_library.replace(element, b"")
        self.assertEqual(without_links, without_library)

    def test_the_style_sheet_and_the_script_come_inline_with_the_notice(self):
        self.assertEqual(2, len(self.inserted))
        self.assertTrue(self.inserted[0].startswith(b'<style type="text/css">'))
        self.assertTrue(self.inserted[1].startswith(b'<script type="text/javascript">'))
        self.assertIn(b"Dygraph", self.inserted[1])
        self.assertNotIn(b'src="dygraph.min.js"', self.page)
        self.assertNotIn(b"sourceMappingURL", self.page)

    def test_the_inserted_text_is_ascii_and_the_merge_marker_stays_the_templates_one(self):
        for element in self.inserted:
            self.assertTrue(all(byte < 0x80 for byte in element))
            self.assertNotIn(b"\x1a", element)
        self.assertIn(b"\\u00b5", self.inserted[1])  # the library's micro sign, escaped
        self.assertEqual(1, self.page.count(b"@data"))
        self.assertEqual(1, self.page.count(b"@values"))

    def test_the_page_still_declares_shift_jis_and_keeps_its_japanese(self):
        self.assertIn(b"charset=Shift_JIS", self.page)
        self.assertIn("気象観測データ表".encode("cp932"), self.page)
        self.assertIn("最多風向".encode("cp932"), self.page)


class Refusals(unittest.TestCase):
    """Each case: the library's files and the template as given; the tool
    must answer 1, name the problem and write nothing."""

    SCRIPT = b"var Dygraph = function () { return '\xc2\xb5'; };\n"
    STYLE = b".dygraph-legend { position: absolute; }\n"
    NOTICE_TEXT = b"Copyright (c) the authors\nPermission is hereby granted\n"
    TEMPLATE_TEXT = (b"<html><head>\n" + STYLE_LINE + b"</head><body><table>\n@data\n</table>\n" + SCRIPT_LINE +
                     b"</body></html>\n")

    CASES = [
        # name, script, style, notice, template, expected message
        ("merge marker in the script", b"var marker = '@data';\n", STYLE, NOTICE_TEXT, TEMPLATE_TEXT,
         "merge marker"),
        ("merge marker in the notice", SCRIPT, STYLE, b"mail @data.example\n", TEMPLATE_TEXT, "merge marker"),
        ("values marker in the script", b"var marker = '@values';\n", STYLE, NOTICE_TEXT, TEMPLATE_TEXT,
         "merge marker @values"),
        ("script end tag in the script", b"document.write('</SCRIPT>');\n", STYLE, NOTICE_TEXT, TEMPLATE_TEXT,
         "</script"),
        ("style end tag in the style sheet", SCRIPT, b"/* </style> */\n", NOTICE_TEXT, TEMPLATE_TEXT, "</style"),
        ("Ctrl-Z in the script", b"var end = '\x1a';\n", STYLE, NOTICE_TEXT, TEMPLATE_TEXT, "Ctrl-Z"),
        ("NUL in the style sheet", SCRIPT, b"a{}\x00\n", NOTICE_TEXT, TEMPLATE_TEXT, "NUL"),
        ("comment end in the notice", SCRIPT, STYLE, b"see */ here\n", TEMPLATE_TEXT, "*/"),
        ("script not UTF-8", b"var s = '\x83\x65';\n", STYLE, NOTICE_TEXT, TEMPLATE_TEXT, "UTF-8"),
        ("template without the script link", SCRIPT, STYLE, NOTICE_TEXT, TEMPLATE_TEXT.replace(SCRIPT_LINE, b""),
         "dygraph.min.js on 0 lines"),
        ("template linking the style sheet twice", SCRIPT, STYLE, NOTICE_TEXT,
         TEMPLATE_TEXT.replace(STYLE_LINE, STYLE_LINE * 2), "dygraph.min.css on 2 lines"),
        ("template without the merge marker", SCRIPT, STYLE, NOTICE_TEXT, TEMPLATE_TEXT.replace(b"@data", b""),
         "no merge marker"),
    ]

    def write(self, folder, name, data):
        path = os.path.join(folder, name)
        with open(path, "wb") as file:
            file.write(data)
        return path

    def test_each_case_is_refused_with_its_reason_and_nothing_written(self):
        for name, script, style, notice, template, message in self.CASES:
            with self.subTest(name), tempfile.TemporaryDirectory() as folder:
                self.write(folder, "dygraph.min.js", script)
                self.write(folder, "dygraph.min.css", style)
                out = os.path.join(folder, "output.html")
                result = run_tool(self.write(folder, "template.html", template), folder,
                                  self.write(folder, "copyright", notice), out)
                self.assertEqual(1, result.returncode, result.stderr)
                self.assertIn(message, result.stderr.decode())
                self.assertFalse(os.path.exists(out))

    def test_a_sound_library_is_taken_with_its_other_characters_escaped(self):
        with tempfile.TemporaryDirectory() as folder:
            self.write(folder, "dygraph.min.js", self.SCRIPT.replace(b"\n", b"\r\n"))
            self.write(folder, "dygraph.min.css", self.STYLE + b"/*# sourceMappingURL=dygraph.min.css.map */\n")
            out = os.path.join(folder, "output.html")
            result = run_tool(self.write(folder, "template.html", self.TEMPLATE_TEXT), folder,
                              self.write(folder, "copyright", self.NOTICE_TEXT), out)
            self.assertEqual(0, result.returncode, result.stderr)
            with open(out, "rb") as page:
                self.assertEqual(
                    b"<html><head>\n<style type=\"text/css\">\n/*!\n" + self.NOTICE_TEXT + b"*/\n" +
                    self.STYLE + b"</style>\n</head><body><table>\n@data\n</table>\n"
                    b"<script type=\"text/javascript\">\n/*!\n" + self.NOTICE_TEXT + b"*/\n"
                    b"var Dygraph = function () { return '\\u00b5'; };\n</script>\n</body></html>\n", page.read())


if __name__ == "__main__":
    unittest.main()
