#!/usr/bin/env python3
"""Builds the project of the reference manual (Morvel10.chm) from the Markdown in docs/.

    build-manual.py <docs-dir> <project-dir> [cmark]

Reads docs/contents.txt (the contents tree), every page docs/**/*.md (a short header of
"key: value" lines between two "---" lines, then Markdown) and docs/ContextIds.h (the
context ids), and writes into <project-dir> one .htm page per .md page, the style sheet,
Morvel10.hhc (contents), Morvel10.hhk (index), Morvel10.hhp (project, with [ALIAS] and
[MAP]) and a copy of ContextIds.h. chmcmd then compiles the project.

Rules it enforces, so a page cannot silently go missing from the help file:
- every page is in the contents; pages in docs/tools/ join the "Tools" book by themselves;
- every page has a context id in ContextIds.h, named IDH_ and the page's path
  (clsKvHlpfHtmlA/HHClose.md -> IDH_clsKvHlpfHtmlA_HHClose, a folder's index.md -> the
  folder's name), and every id there names a page;
- every link between pages points at a page that exists.
The output depends only on the inputs: same docs, same bytes.
"""

import html
import pathlib
import re
import subprocess
import sys

PROJECT = "Morvel10"
TITLE = "Morvel10 Reference"
TOOLS_BOOK = "tools/index.md"


class ManualError(Exception):
    pass


def read_text(path):
    text = path.read_text(encoding="utf-8")
    return text.replace("\r\n", "\n")


def parse_page(path, rel):
    text = read_text(path)
    if not text.startswith("---\n"):
        raise ManualError(f"{rel}: a page starts with its header between two '---' lines")
    end = text.find("\n---\n", 4)
    if end < 0:
        raise ManualError(f"{rel}: the header has no closing '---' line")
    header = {}
    for line in text[4:end].split("\n"):
        if not line.strip():
            continue
        key, sep, value = line.partition(":")
        if not sep:
            raise ManualError(f"{rel}: header line without ':': {line}")
        header[key.strip()] = value.strip()
    if not header.get("title"):
        raise ManualError(f"{rel}: the header names no title")
    keywords = [k.strip() for k in header.get("keywords", "").split(";") if k.strip()]
    return {"rel": rel, "title": header["title"], "keywords": keywords, "body": text[end + 5:]}


def context_name(rel):
    stem = rel[:-len(".md")]
    if stem.endswith("/index"):
        stem = stem[:-len("/index")]
    return "IDH_" + re.sub(r"[^A-Za-z0-9]", "_", stem)


def htm(rel):
    return rel[:-len(".md")] + ".htm"


def read_contents(docs):
    """The contents tree as (level, title, page or None), in order."""
    entries = []
    for number, line in enumerate(read_text(docs / "contents.txt").split("\n"), 1):
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        indent = len(line) - len(line.lstrip(" "))
        if indent % 2:
            raise ManualError(f"contents.txt:{number}: indent by two spaces a level")
        title, _, page = line.strip().partition("|")
        level = indent // 2
        if entries and level > entries[-1][0] + 1:
            raise ManualError(f"contents.txt:{number}: a level skipped")
        if not entries and level:
            raise ManualError(f"contents.txt:{number}: the first entry is not indented")
        entries.append((level, title.strip(), page.strip() or None))
    return entries


def read_context_ids(docs):
    ids = {}
    numbers = {}
    for number, line in enumerate(read_text(docs / "ContextIds.h").split("\n"), 1):
        m = re.match(r"\s*#define\s+(\w+)\s+(\d+)\s*$", line)
        if not m:
            continue
        name, value = m.group(1), int(m.group(2))
        if name in ids:
            raise ManualError(f"ContextIds.h:{number}: {name} defined twice")
        if value in numbers:
            raise ManualError(f"ContextIds.h:{number}: {value} is also {numbers[value]}")
        ids[name] = value
        numbers[value] = name
    return ids


def relative_link(source, target):
    """The path of page `target` as written in page `source` (both relative to docs)."""
    depth = source.count("/")
    return "../" * depth + target


LINK = re.compile(r'href="([^":#]+\.md)(#[^"]*)?"')
TABLE_ROW = re.compile(r"^\s*\|.*\|\s*$")
TABLE_RULE = re.compile(r"^\s*\|[\s:|-]+\|\s*$")
CELL_BREAK = "MORVELCELLBREAK"


def split_row(line):
    cells, cell, escaped = [], "", False
    for c in line.strip()[1:-1]:
        if escaped:
            cell += c
            escaped = False
        elif c == "\\":
            escaped = True
        elif c == "|":
            cells.append(cell.strip())
            cell = ""
        else:
            cell += c
    cells.append(cell.strip())
    return cells


def cut_tables(body):
    """Pipe tables (cmark knows none) become placeholders: (body, [(head, rows)])."""
    lines = body.split("\n")
    out, tables, i = [], [], 0
    while i < len(lines):
        if TABLE_ROW.match(lines[i]) and i + 1 < len(lines) and TABLE_RULE.match(lines[i + 1]):
            head = split_row(lines[i])
            rows = []
            i += 2
            while i < len(lines) and TABLE_ROW.match(lines[i]):
                rows.append(split_row(lines[i]))
                i += 1
            out += ["", f"MORVELTABLE{len(tables)}", ""]
            tables.append((head, rows))
            continue
        out.append(lines[i])
        i += 1
    return "\n".join(out), tables


def cmark_html(cmark, markdown):
    return subprocess.run([cmark, "--safe"], input=markdown.encode("utf-8"),
                          stdout=subprocess.PIPE, check=True).stdout.decode("utf-8")


def table_html(cmark, tables):
    """The tables' HTML, their cells rendered as inline Markdown in one cmark run."""
    cells = [cell for head, rows in tables for row in [head] + rows for cell in row]
    rendered = cmark_html(cmark, "\n\n".join(c + f"\n\n{CELL_BREAK}" for c in cells))
    pieces = rendered.split(f"<p>{CELL_BREAK}</p>\n")
    pieces = [re.sub(r"^<p>(.*)</p>\n$", r"\1", p, flags=re.S).strip() for p in pieces[:len(cells)]]
    out, at = [], 0
    for head, rows in tables:
        width = len(head)
        parts = ["<table>", "<tr>" + "".join(f"<th>{pieces[at + k]}</th>" for k in range(width)) + "</tr>"]
        at += width
        for row in rows:
            parts.append("<tr>" + "".join(f"<td>{pieces[at + k]}</td>" for k in range(len(row))) + "</tr>")
            at += len(row)
        parts.append("</table>")
        out.append("\n".join(parts) + "\n")
    return out


def render(page, pages, cmark):
    markdown, tables = cut_tables(page["body"])
    body = cmark_html(cmark, markdown)
    for n, table in enumerate(table_html(cmark, tables) if tables else []):
        body = body.replace(f"<p>MORVELTABLE{n}</p>\n", table, 1)
    base = pathlib.PurePosixPath(page["rel"]).parent

    def relink(m):
        target = (base / m.group(1)).as_posix()
        parts = []
        for part in target.split("/"):
            if part == "..":
                if not parts:
                    raise ManualError(f"{page['rel']}: link {m.group(1)} leaves the manual")
                parts.pop()
            elif part != ".":
                parts.append(part)
        target = "/".join(parts)
        if target not in pages:
            raise ManualError(f"{page['rel']}: link to a page that does not exist: {m.group(1)}")
        return 'href="' + htm(m.group(1)) + (m.group(2) or "") + '"'

    body = LINK.sub(relink, body)
    stylesheet = relative_link(page["rel"], "manual.css")
    document = (
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">\n<html>\n<head>\n"
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\n"
        f"<title>{html.escape(page['title'])}</title>\n"
        f"<link rel=\"stylesheet\" type=\"text/css\" href=\"{stylesheet}\">\n"
        "</head>\n<body>\n"
        f"<h1>{html.escape(page['title'])}</h1>\n{body}"
        "</body>\n</html>\n"
    )
    # The viewer reads pages in the ANSI code page: anything beyond ASCII goes as a reference.
    return document.encode("ascii", "xmlcharrefreplace")


def sitemap_object(indent, names_and_locals):
    lines = [f"{indent}<LI> <OBJECT type=\"text/sitemap\">"]
    for kind, value in names_and_locals:
        lines.append(f"{indent}  <param name=\"{kind}\" value=\"{html.escape(value, quote=True)}\">")
    lines.append(f"{indent}  </OBJECT>")
    return lines


SITEMAP_HEAD = ("<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\">\n<HTML>\n<HEAD>\n"
                "<meta name=\"GENERATOR\" content=\"Morvel10 tools/manual/build-manual.py\">\n"
                "</HEAD><BODY>\n")


def write_contents(tree, pages):
    lines = [SITEMAP_HEAD + "<OBJECT type=\"text/site properties\">\n"
             "  <param name=\"ImageType\" value=\"Folder\">\n</OBJECT>", "<UL>"]
    level = 0
    for depth, title, page in tree:
        while level < depth:
            lines.append("  " * (level + 1) + "<UL>")
            level += 1
        while level > depth:
            lines.append("  " * level + "</UL>")
            level -= 1
        item = [("Name", title)]
        if page:
            item.append(("Local", htm(page)))
        lines.extend(sitemap_object("  " * (depth + 1), item))
    while level > 0:
        lines.append("  " * level + "</UL>")
        level -= 1
    lines.append("</UL>\n</BODY></HTML>\n")
    return "\n".join(lines).encode("ascii", "xmlcharrefreplace")


def write_index(pages):
    keywords = {}
    for rel, page in pages.items():
        for keyword in [page["title"]] + page["keywords"]:
            keywords.setdefault(keyword, set()).add(rel)
    lines = [SITEMAP_HEAD + "<UL>"]
    for keyword in sorted(keywords, key=lambda k: (k.lower(), k)):
        item = [("Name", keyword)]
        for rel in sorted(keywords[keyword]):
            item += [("Name", pages[rel]["title"]), ("Local", htm(rel))]
        lines.extend(sitemap_object("  ", item))
    lines.append("</UL>\n</BODY></HTML>\n")
    return "\n".join(lines).encode("ascii", "xmlcharrefreplace")


def write_project(order, pages, ids, default_topic):
    out = [
        "[OPTIONS]",
        "Compatibility=1.1 or later",
        f"Compiled file={PROJECT}.chm",
        f"Contents file={PROJECT}.hhc",
        f"Index file={PROJECT}.hhk",
        f"Default topic={htm(default_topic)}",
        "Default Window=Main",
        "Display compile progress=No",
        "Full-text search=Yes",
        "Language=0x409 English (United States)",
        f"Title={TITLE}",
        "",
        "[WINDOWS]",
        f"Main=\"{TITLE}\",\"{PROJECT}.hhc\",\"{PROJECT}.hhk\",\"{htm(default_topic)}\",\"{htm(default_topic)}\""
        ",,,,,0x63520,300,0x387e,[60,40,900,680],,,,0,0,0,0",
        "",
        "[FILES]",
        "manual.css",
    ]
    out += [htm(rel) for rel in order]
    out += ["", "[ALIAS]"]
    out += [f"{context_name(rel)}={htm(rel)}" for rel in order]
    out += ["", "[MAP]"]
    out += [f"#define {context_name(rel)} {ids[context_name(rel)]}" for rel in order]
    return ("\n".join(out) + "\n").encode("ascii")


def build(docs, project, cmark):
    docs = pathlib.Path(docs)
    project = pathlib.Path(project)
    tree = read_contents(docs)
    ids = read_context_ids(docs)

    sources = sorted(p.relative_to(docs).as_posix() for p in docs.rglob("*.md"))
    pages = {rel: parse_page(docs / rel, rel) for rel in sources}

    listed = [page for _, _, page in tree if page]
    for rel in listed:
        if rel not in pages:
            raise ManualError(f"contents.txt names {rel}, which does not exist")
        if listed.count(rel) > 1:
            raise ManualError(f"contents.txt names {rel} twice")
    # Tool pages join the Tools book in name order without an entry of their own.
    tools = [rel for rel in sources if rel.startswith("tools/") and rel != TOOLS_BOOK and rel not in listed]
    if tools:
        at = next((i for i, entry in enumerate(tree) if entry[2] == TOOLS_BOOK), None)
        if at is None:
            raise ManualError(f"contents.txt has no entry for {TOOLS_BOOK}")
        depth = tree[at][0] + 1
        end = at + 1
        while end < len(tree) and tree[end][0] >= depth:
            end += 1
        tree[end:end] = [(depth, pages[rel]["title"], rel) for rel in tools]
        listed = [page for _, _, page in tree if page]
    unlisted = [rel for rel in sources if rel not in listed]
    if unlisted:
        raise ManualError("pages missing from contents.txt: " + ", ".join(unlisted))

    names = {context_name(rel): rel for rel in listed}
    missing = [f"{name} ({rel})" for name, rel in names.items() if name not in ids]
    if missing:
        raise ManualError("pages without a context id in ContextIds.h: " + ", ".join(missing))
    stale = [name for name in ids if name not in names]
    if stale:
        raise ManualError("context ids in ContextIds.h naming no page: " + ", ".join(stale))

    project.mkdir(parents=True, exist_ok=True)
    for rel in listed:
        target = project / htm(rel)
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_bytes(render(pages[rel], pages, cmark))
    (project / "manual.css").write_bytes((docs / "manual.css").read_bytes())
    (project / "ContextIds.h").write_bytes((docs / "ContextIds.h").read_bytes())
    (project / f"{PROJECT}.hhc").write_bytes(write_contents(tree, pages))
    (project / f"{PROJECT}.hhk").write_bytes(write_index({rel: pages[rel] for rel in listed}))
    (project / f"{PROJECT}.hhp").write_bytes(write_project(listed, pages, ids, listed[0]))


def main(argv):
    if len(argv) not in (3, 4):
        print(__doc__.strip().split("\n\n")[1], file=sys.stderr)
        return 2
    try:
        build(argv[1], argv[2], argv[3] if len(argv) == 4 else "cmark")
    except ManualError as error:
        print(f"build-manual: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
