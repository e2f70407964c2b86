#!/usr/bin/env python3
"""The help compiler refuses what would lose a page or an id, spells the contents in the
help's code page, and writes the same bytes for the same sources.
Run: test_helpbuild.py [cmark]"""

import importlib.util
import pathlib
import sys
import tempfile
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]
source = importlib.util.spec_from_file_location("helpbuild", ROOT / "helpbuild/helpbuild.py")
helpbuild = importlib.util.module_from_spec(source)
source.loader.exec_module(helpbuild)
CMARK = "cmark"


def page(title, body="Text.\n"):
    return f"---\ntitle: {title}\nkeywords: {title} keyword\n---\n{body}"


class Generator(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.docs = pathlib.Path(self.tmp.name) / "docs"
        self.out = pathlib.Path(self.tmp.name) / "out"
        self.project(language="en-US")
        self.write("manual.css", "body {}\n")
        self.write("overview.md", page("Overview", "See [the class](cls/index.md).\n\n| A | B |\n|---|---|\n| `x` | 1 |\n| `HKLM\\Software` | a \\| b |\n"))
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
        path.write_text(text, encoding="utf-8")

    def project(self, language):
        self.write("Help.helpproject", "[help]\nname = Morvel10\ntitle = Test\ncontents = contents.txt\n"
                   f"ids = ContextIds.h\nstylesheet = manual.css\nbook = tools/index.md\nlanguage = {language}\n"
                   "every page has an id = yes\n")

    def build(self):
        helpbuild.build(self.docs / "Help.helpproject", self.out, CMARK, compile_chm=False)
        return (self.out / "project/Morvel10.hhp").read_text()

    def refused(self, message):
        with self.assertRaises(helpbuild.HelpError) as caught:
            self.build()
        self.assertIn(message, str(caught.exception))

    def test_project_pages_links_tables_and_ids(self):
        hhp = self.build()
        self.assertIn("[ALIAS]\nIDH_overview=overview.htm\nIDH_cls=cls/index.htm\nIDH_cls_Member=cls/Member.htm", hhp)
        self.assertIn("#define IDH_cls_Member 3", hhp)
        overview = (self.out / "project/overview.htm").read_text()
        self.assertIn('href="cls/index.htm"', overview)
        self.assertIn("<tr><td><code>x</code></td><td>1</td></tr>", overview)
        self.assertIn("<tr><td><code>HKLM\\Software</code></td><td>a | b</td></tr>", overview)
        self.assertIn('href="../manual.css"', (self.out / "project/cls/Member.htm").read_text())
        index = (self.out / "project/Morvel10.hhk").read_text()
        self.assertIn('value="Member method keyword"', index)
        self.assertIn(b"Public Const IDH_cls_Member As Long = 3\r\n", (self.out / "ContextIds.bas").read_bytes())

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
        contents = (self.out / "project/Morvel10.hhc").read_text()
        self.assertLess(contents.index('value="tools/index.htm"'), contents.index('value="tools/Checker.htm"'))

    def test_refuses_a_page_outside_the_contents(self):
        self.write("cls/Other.md", page("Other method"))
        self.refused("pages missing from contents.txt: cls/Other.md")

    def test_refuses_a_page_without_a_context_id(self):
        self.write("ContextIds.h", "#define IDH_overview 1\n#define IDH_cls 2\n#define IDH_tools 9000\n")
        self.refused("IDH_cls_Member")

    def test_refuses_an_id_without_a_page_and_a_number_used_twice(self):
        self.write("ContextIds.h", (self.docs / "ContextIds.h").read_text() + "#define IDH_gone 4\n")
        self.refused("without a page: IDH_gone")
        self.write("ContextIds.h", "#define IDH_overview 1\n#define IDH_cls 1\n")
        self.refused("IDH_cls is 1, as IDH_overview is")

    def test_ids_in_every_form_and_a_page_naming_its_own(self):
        self.write("cls/Member.md", "---\ntitle: Member method\nid: IDH_Member\n---\nText.\n")
        self.write("ContextIds.h", "enum Ids { IDH_overview = 0x1, IDH_cls,\n  IDH_tools = 9000 };\n"
                                   "Public Const IDH_Member As Long = &H3&\n")
        hhp = self.build()
        self.assertIn("IDH_cls=cls/index.htm\nIDH_tools=tools/index.htm\nIDH_Member=cls/Member.htm", hhp)
        self.assertIn("#define IDH_cls 2\n#define IDH_tools 9000\n#define IDH_Member 3", hhp)

    def test_contents_and_index_in_the_languages_code_page(self):
        self.project(language="de-DE")
        self.write("overview.md", page("Größe & \"Maß\" für What's New"))
        hhp = self.build()
        self.assertIn("Language=0x407 German (Germany)", hhp)
        contents = (self.out / "project/Morvel10.hhk").read_bytes()
        self.assertIn('value="Größe &amp; &quot;Maß&quot; für What\'s New"'.encode("cp1252"), contents)
        self.assertIn('charset=utf-8', (self.out / "project/overview.htm").read_text(encoding="utf-8"))
        self.write("cls/index.md", page("Введение"))
        self.refused("cls/index.md: title: 'Введение' has 'Введение', which code page 1252 (de-DE) cannot spell")

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
