#!/usr/bin/env python3
"""The generator of the reference manual refuses what would lose a page, and writes the
same bytes for the same sources. Run: test_build_manual.py [cmark]"""

import importlib.util
import pathlib
import sys
import tempfile
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]
source = importlib.util.spec_from_file_location("build_manual", ROOT / "tools/manual/build-manual.py")
build_manual = importlib.util.module_from_spec(source)
source.loader.exec_module(build_manual)
CMARK = "cmark"


def page(title, body="Text.\n"):
    return f"---\ntitle: {title}\nkeywords: {title} keyword\n---\n{body}"


class Generator(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.docs = pathlib.Path(self.tmp.name) / "docs"
        self.out = pathlib.Path(self.tmp.name) / "project"
        self.write("manual.css", "body {}\n")
        self.write("overview.md", page("Overview", "See [the class](cls/index.md).\n\n| A | B |\n|---|---|\n| `x` | 1 |\n"))
        self.write("cls/index.md", page("cls class"))
        self.write("cls/Member.md", page("Member method", "Back to [cls](index.md).\n"))
        self.write("tools/index.md", page("Tools"))
        self.write("contents.txt", "Overview | overview.md\n  cls class | cls/index.md\n    Member | cls/Member.md\n"
                                   "  Tools | tools/index.md\n")
        self.write("ContextIds.h", "#define IDH_overview 1\n#define IDH_cls 2\n#define IDH_cls_Member 3\n"
                                   "#define IDH_tools 9000\n")

    def tearDown(self):
        self.tmp.cleanup()

    def write(self, rel, text):
        path = self.docs / rel
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_text(text)

    def build(self):
        build_manual.build(self.docs, self.out, CMARK)
        return (self.out / "Morvel10.hhp").read_text()

    def refused(self, message):
        with self.assertRaises(build_manual.ManualError) as caught:
            self.build()
        self.assertIn(message, str(caught.exception))

    def test_project_pages_links_tables_and_ids(self):
        hhp = self.build()
        self.assertIn("[ALIAS]\nIDH_overview=overview.htm\nIDH_cls=cls/index.htm\nIDH_cls_Member=cls/Member.htm", hhp)
        self.assertIn("#define IDH_cls_Member 3", hhp)
        overview = (self.out / "overview.htm").read_text()
        self.assertIn('href="cls/index.htm"', overview)
        self.assertIn("<tr><td><code>x</code></td><td>1</td></tr>", overview)
        self.assertIn('href="../manual.css"', (self.out / "cls/Member.htm").read_text())
        index = (self.out / "Morvel10.hhk").read_text()
        self.assertIn('value="Member method keyword"', index)

    def test_same_sources_same_bytes(self):
        self.build()
        first = {p: p.read_bytes() for p in self.out.rglob("*") if p.is_file()}
        self.out.rename(self.out.with_name("first"))
        self.build()
        second = {p: p.read_bytes() for p in self.out.rglob("*") if p.is_file()}
        self.assertEqual(first, second)

    def test_tool_pages_join_the_tools_book(self):
        self.write("tools/Checker.md", page("Checker tool"))
        self.write("ContextIds.h", (self.docs / "ContextIds.h").read_text() + "#define IDH_tools_Checker 9001\n")
        self.build()
        contents = (self.out / "Morvel10.hhc").read_text()
        self.assertLess(contents.index('value="tools/index.htm"'), contents.index('value="tools/Checker.htm"'))

    def test_refuses_a_page_outside_the_contents(self):
        self.write("cls/Other.md", page("Other method"))
        self.refused("pages missing from contents.txt: cls/Other.md")

    def test_refuses_a_page_without_a_context_id(self):
        self.write("ContextIds.h", "#define IDH_overview 1\n#define IDH_cls 2\n#define IDH_tools 9000\n")
        self.refused("IDH_cls_Member")

    def test_refuses_an_id_without_a_page_and_a_number_used_twice(self):
        self.write("ContextIds.h", (self.docs / "ContextIds.h").read_text() + "#define IDH_gone 4\n")
        self.refused("naming no page: IDH_gone")
        self.write("ContextIds.h", "#define IDH_overview 1\n#define IDH_cls 1\n")
        self.refused("1 is also IDH_overview")

    def test_refuses_a_link_to_no_page(self):
        self.write("cls/Member.md", page("Member method", "See [nothing](Missing.md).\n"))
        self.refused("link to a page that does not exist: Missing.md")

    def test_refuses_a_page_without_a_title(self):
        self.write("cls/Member.md", "---\nkeywords: x\n---\nText.\n")
        self.refused("names no title")


if __name__ == "__main__":
    if len(sys.argv) > 1:
        CMARK = sys.argv.pop(1)
    unittest.main(verbosity=1)
