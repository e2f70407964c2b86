#!/usr/bin/env python3
"""typelibhelp: the help attributes of the type library, taken from the reference manual.

    typelibhelp.py PROJECT OUT

PROJECT is the manual's help project (docs/Morvel10.helpproject). OUT gets, in UTF-8, one
tab-separated record a line (lines starting with "#" are comments):

    helpfile  <name>.chm  <opening page>
    page      <page>      <context id>  <summary>

one "page" record for every page of the manual, with the context id the compiled help maps
to it and a short plain-text description: the first sentence of its first paragraph of
prose. A member page's opening line ("Class [X](index.md). Method, ...") names only the
class, so it is passed over, as are code, tables, headings, lists and labelled paragraphs
("**Errors:** ..."); a "**Returns** ..." paragraph counts as prose. tools/tlbfinish reads
the file and gives every class, interface, member and enumeration its page's help.

It fails, naming the page, on a page without a context id, a page with nothing to
describe it, or a description the manual's code page cannot spell (the type library keeps
its texts in the ANSI code page of its locale).
"""

import pathlib
import re
import sys

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "helpbuild"))
import helpbuild  # noqa: E402  (the manual's own reader of pages, contents and ids)

LONGEST = 200  # object browsers show the description in a one- or two-line pane
CLASS_LINE = re.compile(r"Class \[[^\]]+\]\(index\.md\)\.")
LABEL = re.compile(r"\*\*[^*]+:\*\*")
NOT_PROSE = ("```", "~~~", "|", "#", "- ", "* ", "+ ", ">", "<")


def paragraphs(body):
    """The body's blocks as lists of stripped lines; a fenced code block is one ["```"]."""
    blocks, block, fence = [], [], False
    for line in body.split("\n"):
        if line.lstrip().startswith(("```", "~~~")):
            if block:
                blocks.append(block)
                block = []
            if not fence:
                blocks.append(["```"])
            fence = not fence
        elif fence:
            continue
        elif line.strip():
            block.append(line.strip())
        elif block:
            blocks.append(block)
            block = []
    if block:
        blocks.append(block)
    return blocks


def plain(markdown):
    """Inline Markdown as the text a reader sees: code spans, links and emphasis undone."""
    spans = []

    def keep(m):
        spans.append(m.group(2).strip())
        return f"\0{len(spans) - 1}\0"

    text = re.sub(r"(`+)(.+?)\1", keep, markdown)  # code keeps its underscores and stars
    text = re.sub(r"!?\[([^\]]*)\]\([^)]*\)", r"\1", text)
    text = re.sub(r"(?<!\w)(\*\*|__|\*|_)(?=\S)(.+?)(?<=\S)\1(?!\w)", r"\2", text)
    text = re.sub(r"\\([!-/:-@\[-`{-~])", r"\1", text)
    text = re.sub(r"\0(\d+)\0", lambda m: spans[int(m.group(1))], text)
    return re.sub(r"\s+", " ", text).strip()


def first_sentence(text):
    m = re.match(r"(.+?[.!?])(?=\s|$)", text)
    sentence = m.group(1) if m else text
    if sentence.endswith(":"):  # a paragraph that introduces a table or list
        sentence = sentence[:-1] + "."
    if len(sentence) > LONGEST:
        sentence = sentence[:LONGEST - 3].rsplit(" ", 1)[0].rstrip(",;:") + "..."
    return sentence


def summary(page):
    for block in paragraphs(page["body"]):
        first = block[0]
        if first.startswith(NOT_PROSE) or re.match(r"\d+[.)] ", first):
            continue
        if CLASS_LINE.match(first) or LABEL.match(first):
            continue
        return first_sentence(plain(" ".join(block)))
    raise helpbuild.HelpError(f"{page['rel']}: no paragraph of prose to describe the page")


def table(project):
    ids = helpbuild.read_context_ids(project.ids)
    contents = helpbuild.read_contents(project.contents)
    opening = next((page for _, _, page in contents if page), None)
    if not opening:
        raise helpbuild.HelpError(f"{project.contents.name} names no page")
    lines = [f"# The help of the type library, written by tools/typelibhelp.py from {project.folder.name}/.",
             f"helpfile\t{project.name}.chm\t{opening}"]
    for path in sorted(project.folder.rglob("*.md")):
        rel = path.relative_to(project.folder).as_posix()
        page = helpbuild.parse_page(path, rel)
        name = page["id"] or helpbuild.context_name(rel)
        if name not in ids:
            raise helpbuild.HelpError(f"{rel}: no context id {name} in {project.ids.name}")
        text = summary(page)
        helpbuild.spelled(text, project, f"{rel}: description")
        lines.append(f"page\t{rel}\t{ids[name]}\t{text}")
    return "\n".join(lines) + "\n"


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip().split("\n\n")[1], file=sys.stderr)
        return 2
    try:
        text = table(helpbuild.Project(pathlib.Path(argv[1])))
    except (helpbuild.HelpError, OSError) as error:
        print(f"typelibhelp: {error}", file=sys.stderr)
        return 1
    pathlib.Path(argv[2]).write_text(text, encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
