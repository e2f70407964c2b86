#!/usr/bin/env python3
"""helpbuild: compiled HTML Help (.chm) and web help from Markdown pages.

    helpbuild.py PROJECT OUT [--cmark PATH] [--chmcmd PATH] [--audit COMMAND] [--no-chm]

PROJECT is a help project file (INI) in the folder of the pages:

    [help]
    name = Sample               ; the compiled file's name: Sample.chm
    title = Sample Help         ; the help window's title
    language = de-DE            ; the pages' language (see LANGUAGES)
    contents = contents.txt     ; the contents tree
    ids = ContextIds.h          ; the application's context ids
    stylesheet = help.css       ; optional: a style sheet every page links
    every page has an id = no   ; optional: yes makes a page without an id an error
    book = tools/index.md       ; optional: the pages of this page's folder join its book

Every *.md below the folder is a page: a header of "key: value" lines between two "---"
lines (title, keywords separated by ";", optionally id), then Markdown. The contents file
has one entry a line, "Title | page.md" or "Title" alone for a book, two spaces of indent a
level. The ids file is a C or C++ header (#define, enum), a VB or VBA module (Const, Enum)
or "name=number" lines; an id belongs to the page whose header names it (id: IDH_Intro),
else to the page its name spells: IDH_ and the page's path, every other character an
underscore (cls/Close.md -> IDH_cls_Close; a folder's index.md -> the folder's name).

It writes into OUT: NAME.chm (compiled by chmcmd, then mended), ContextIds.h and
ContextIds.bas (the ids for C/C++ and for VB/VBA), web/ (the same help as static pages)
and project/ (the help project it compiled). With --audit, COMMAND audit NAME.chm
ContextIds.h must pass (the help doctor: "wine helpdoctor.exe" on Linux).

It fails, naming the page or id, on: a page missing from the contents, an id without a
page, a link to no page, a title or keyword the language's code page cannot spell.
The output depends only on the inputs: same sources, same bytes.
"""

import configparser
import html
import json
import pathlib
import re
import shlex
import subprocess
import sys

HERE = pathlib.Path(__file__).resolve().parent
sys.dont_write_bytecode = True  # nothing written beside the tool, which may sit read-only
sys.path.insert(0, str(HERE))

# BCP 47 tag -> (LCID, ANSI code page, the language's name as a help project writes it).
# The viewer reads the contents and the index in the code page of the file's language.
LANGUAGES = {
    "en-US": (0x0409, "cp1252", "English (United States)"),
    "en-GB": (0x0809, "cp1252", "English (United Kingdom)"),
    "de-DE": (0x0407, "cp1252", "German (Germany)"),
    "de-AT": (0x0C07, "cp1252", "German (Austria)"),
    "de-CH": (0x0807, "cp1252", "German (Switzerland)"),
    "fr-FR": (0x040C, "cp1252", "French (France)"),
    "es-ES": (0x0C0A, "cp1252", "Spanish (Spain)"),
    "it-IT": (0x0410, "cp1252", "Italian (Italy)"),
    "nl-NL": (0x0413, "cp1252", "Dutch (Netherlands)"),
    "pt-BR": (0x0416, "cp1252", "Portuguese (Brazil)"),
    "pt-PT": (0x0816, "cp1252", "Portuguese (Portugal)"),
    "da-DK": (0x0406, "cp1252", "Danish (Denmark)"),
    "fi-FI": (0x040B, "cp1252", "Finnish (Finland)"),
    "nb-NO": (0x0414, "cp1252", "Norwegian Bokmal (Norway)"),
    "sv-SE": (0x041D, "cp1252", "Swedish (Sweden)"),
    "cs-CZ": (0x0405, "cp1250", "Czech (Czech Republic)"),
    "hr-HR": (0x041A, "cp1250", "Croatian (Croatia)"),
    "hu-HU": (0x040E, "cp1250", "Hungarian (Hungary)"),
    "pl-PL": (0x0415, "cp1250", "Polish (Poland)"),
    "ro-RO": (0x0418, "cp1250", "Romanian (Romania)"),
    "sk-SK": (0x041B, "cp1250", "Slovak (Slovakia)"),
    "sl-SI": (0x0424, "cp1250", "Slovenian (Slovenia)"),
    "bg-BG": (0x0402, "cp1251", "Bulgarian (Bulgaria)"),
    "ru-RU": (0x0419, "cp1251", "Russian (Russia)"),
    "uk-UA": (0x0422, "cp1251", "Ukrainian (Ukraine)"),
    "el-GR": (0x0408, "cp1253", "Greek (Greece)"),
    "tr-TR": (0x041F, "cp1254", "Turkish (Turkey)"),
    "he-IL": (0x040D, "cp1255", "Hebrew (Israel)"),
    "ar-SA": (0x0401, "cp1256", "Arabic (Saudi Arabia)"),
    "et-EE": (0x0425, "cp1257", "Estonian (Estonia)"),
    "lt-LT": (0x0427, "cp1257", "Lithuanian (Lithuania)"),
    "lv-LV": (0x0426, "cp1257", "Latvian (Latvia)"),
    "vi-VN": (0x042A, "cp1258", "Vietnamese (Vietnam)"),
    "th-TH": (0x041E, "cp874", "Thai (Thailand)"),
    "ja-JP": (0x0411, "cp932", "Japanese (Japan)"),
    "zh-CN": (0x0804, "cp936", "Chinese (Simplified, PRC)"),
    "ko-KR": (0x0412, "cp949", "Korean (Korea)"),
    "zh-TW": (0x0404, "cp950", "Chinese (Traditional, Taiwan)"),
}


class HelpError(Exception):
    pass


def read_text(path):
    try:
        text = path.read_text(encoding="utf-8")
    except UnicodeDecodeError as error:
        raise HelpError(f"{path.name}: not UTF-8 ({error.reason} at byte {error.start})")
    return text.removeprefix("\ufeff").replace("\r\n", "\n")


class Project:
    def __init__(self, path):
        parser = configparser.ConfigParser(inline_comment_prefixes=(";",), interpolation=None)
        try:
            parser.read_string(read_text(path), source=path.name)
            section = parser["help"]
        except (configparser.Error, KeyError) as error:
            raise HelpError(f"{path.name}: not a help project ({error})")
        self.folder = path.parent
        for key in ("name", "title", "language", "contents", "ids"):
            if not section.get(key):
                raise HelpError(f"{path.name}: [help] has no {key}")
        self.name = section["name"]
        if not re.fullmatch(r"[A-Za-z0-9_-]+", self.name):
            raise HelpError(f"{path.name}: name {self.name!r}: letters, digits, - and _ only")
        self.title = section["title"]
        self.language = section["language"]
        if self.language not in LANGUAGES:
            raise HelpError(f"{path.name}: language {self.language!r} is none of " + ", ".join(sorted(LANGUAGES)))
        self.lcid, self.codepage, self.language_name = LANGUAGES[self.language]
        self.contents = self.folder / section["contents"]
        self.ids = self.folder / section["ids"]
        self.stylesheet = section.get("stylesheet")
        self.book = section.get("book")
        self.ids_required = section.getboolean("every page has an id", fallback=False)


def parse_page(path, rel):
    text = read_text(path)
    if not text.startswith("---\n"):
        raise HelpError(f"{rel}: a page starts with its header between two '---' lines")
    end = text.find("\n---\n", 4)
    if end < 0:
        raise HelpError(f"{rel}: the header has no closing '---' line")
    header = {}
    for line in text[4:end].split("\n"):
        if not line.strip():
            continue
        key, sep, value = line.partition(":")
        if not sep:
            raise HelpError(f"{rel}: header line without ':': {line}")
        header[key.strip()] = value.strip()
    if not header.get("title"):
        raise HelpError(f"{rel}: the header names no title")
    keywords = [k.strip() for k in header.get("keywords", "").split(";") if k.strip()]
    return {"rel": rel, "title": header["title"], "keywords": keywords, "id": header.get("id"),
            "body": text[end + 5:]}


def context_name(rel):
    stem = rel[:-len(".md")]
    if stem.endswith("/index"):
        stem = stem[:-len("/index")]
    return "IDH_" + re.sub(r"[^A-Za-z0-9]", "_", stem)


def htm(rel):
    return rel[:-len(".md")] + ".htm"


def read_contents(path):
    """The contents tree as (level, title, page or None), in order."""
    entries = []
    for number, line in enumerate(read_text(path).split("\n"), 1):
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        indent = len(line) - len(line.lstrip(" "))
        if indent % 2:
            raise HelpError(f"{path.name}:{number}: indent by two spaces a level")
        title, _, page = line.strip().partition("|")
        level = indent // 2
        if entries and level > entries[-1][0] + 1:
            raise HelpError(f"{path.name}:{number}: a level skipped")
        if not entries and level:
            raise HelpError(f"{path.name}:{number}: the first entry is not indented")
        entries.append((level, title.strip(), page.strip() or None))
    return entries


# --- Context ids, in the forms the help doctor's audit reads: C and C++ (#define, enum),
# VB and VBA (Const, Enum), "name=number" lines. A line of another form gives no id; the
# audit, which reads every form the doctor knows, then names what is missing.
C_NUMBER = re.compile(r"^\(*\s*(?:\(\s*\w+\s*\)\s*)?(-?)\s*(0[xX][0-9A-Fa-f]+|0[0-7]*|[1-9][0-9]*)[uUlL]*\s*\)*$")
VB_NUMBER = re.compile(r"^(-?)\s*(&[hH][0-9A-Fa-f]+|&[oO][0-7]+|[0-9]+)[&%]?$")
LIST_NUMBER = re.compile(r"^(-?)(0[xX][0-9A-Fa-f]+|[0-9]+)$")


def c_value(text):
    m = C_NUMBER.match(text.strip())
    if not m:
        return None
    digits = m.group(2)
    value = int(digits, 16) if digits[:2].lower() == "0x" else int(digits, 8) if digits.startswith("0") else int(digits)
    return -value if m.group(1) else value


def vb_value(text):
    m = VB_NUMBER.match(text.strip())
    if not m:
        return None
    digits = m.group(2)
    value = int(digits[2:], 16 if digits[1] in "hH" else 8) if digits.startswith("&") else int(digits)
    if digits.startswith("&") and not text.strip().endswith("&") and value <= 0xFFFF and value >= 0x8000:
        value -= 0x10000  # an Integer
    return -value if m.group(1) else value


def list_value(text):
    m = LIST_NUMBER.match(text.strip())
    if not m:
        return None
    value = int(m.group(2), 16) if m.group(2)[:2].lower() == "0x" else int(m.group(2))
    return -value if m.group(1) else value


def read_context_ids(path):
    """The ids as {name: number} (32-bit, a negative as its two's complement)."""
    text = read_text(path)
    text = re.sub(r"/\*.*?\*/", lambda m: "\n" * m.group(0).count("\n"), text, flags=re.S)
    ids, where = {}, {}
    enum, next_value = None, 0

    def add(name, value, number):
        nonlocal next_value
        if value is None or not -(1 << 31) <= value < (1 << 32):
            return
        if name.startswith("_APS_"):
            return
        if name in ids:
            raise HelpError(f"{path.name}:{number}: {name} defined twice")
        same = [other for other, known in ids.items() if known == value & 0xFFFFFFFF]
        if same:
            raise HelpError(f"{path.name}:{number}: {name} is {value}, as {same[0]} is")
        ids[name] = value & 0xFFFFFFFF
        where[name] = number
        next_value = value + 1

    def c_enum(body, number):
        """The members of a C enum on one line; whether the enum ends there."""
        for item in filter(None, (i.strip() for i in body.split("}")[0].split(","))):
            name, _, value = item.partition("=")
            add(name.strip(), c_value(value) if value else next_value, number)
        return "}" in body

    for number, raw in enumerate(text.split("\n"), 1):
        line = re.sub(r"//.*$", "", raw).strip()
        vb = re.sub(r"(^|\s)('|[Rr][Ee][Mm]\s).*$", "", raw).strip()
        if enum == "c":
            if c_enum(line, number):
                enum = None
            continue
        if enum == "vb":
            if re.match(r"(?i)^end\s+enum\b", vb):
                enum = None
            elif vb:
                name, _, value = vb.partition("=")
                add(name.strip(), vb_value(value) if value else next_value, number)
            continue
        m = re.match(r"^#\s*define\s+(\w+)\s+(.+)$", line)
        if m:
            add(m.group(1), c_value(m.group(2)), number)
            continue
        m = re.match(r"^(?:typedef\s+)?enum\b[^{]*\{(.*)$", line)
        if m:
            next_value = 0
            enum = None if c_enum(m.group(1), number) else "c"
            continue
        if re.match(r"(?i)^(?:(?:public|private|global)\s+)?enum\s+\w+\s*$", vb):
            enum, next_value = "vb", 0
            continue
        m = re.match(r"(?i)^(?:(?:public|private|global)\s+)?const\s+(.+)$", vb)
        if m:
            for item in m.group(1).split(","):
                d = re.match(r"(?i)^\s*(\w+)(?:\s+as\s+(?:long|integer))?\s*=\s*(.+?)\s*$", item)
                if d:
                    add(d.group(1), vb_value(d.group(2)), number)
            continue
        m = re.match(r"^(\w+)\s*=\s*(\S+)\s*(?:;.*)?$", line)
        if m:
            add(m.group(1), list_value(m.group(2)), number)
    return ids


def relative_link(source, target):
    """The path of page `target` as written in page `source` (both relative to docs)."""
    depth = source.count("/")
    return "../" * depth + target


LINK = re.compile(r'href="([^":#]+\.md)(#[^"]*)?"')
TABLE_ROW = re.compile(r"^\s*\|.*\|\s*$")
TABLE_RULE = re.compile(r"^\s*\|[\s:|-]+\|\s*$")
CELL_BREAK = "HELPBUILDCELLBREAK"


def split_row(line):
    cells, cell, escaped = [], "", False
    for c in line.strip()[1:-1]:
        if escaped:
            # Only a pipe is escaped in a table cell; any other backslash stays for cmark
            # (a registry path in a code span keeps its backslashes).
            cell += c if c == "|" else "\\" + c
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
            out += ["", f"HELPBUILDTABLE{len(tables)}", ""]
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


def render(page, pages, cmark, project):
    markdown, tables = cut_tables(page["body"])
    body = cmark_html(cmark, markdown)
    for n, table in enumerate(table_html(cmark, tables) if tables else []):
        body = body.replace(f"<p>HELPBUILDTABLE{n}</p>\n", table, 1)
    base = pathlib.PurePosixPath(page["rel"]).parent

    def relink(m):
        target = (base / m.group(1)).as_posix()
        parts = []
        for part in target.split("/"):
            if part == "..":
                if not parts:
                    raise HelpError(f"{page['rel']}: link {m.group(1)} leaves the help")
                parts.pop()
            elif part != ".":
                parts.append(part)
        target = "/".join(parts)
        if target not in pages:
            raise HelpError(f"{page['rel']}: link to a page that does not exist: {m.group(1)}")
        return 'href="' + htm(m.group(1)) + (m.group(2) or "") + '"'

    return LINK.sub(relink, body)


def page_document(page, body, project):
    """A page as the .chm holds it: UTF-8, and saying so, for the viewer's HTML engine."""
    stylesheet = ""
    if project.stylesheet:
        stylesheet = f"<link rel=\"stylesheet\" type=\"text/css\" href=\"{relative_link(page['rel'], project.stylesheet)}\">\n"
    return (
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">\n"
        f"<html lang=\"{project.language}\">\n<head>\n"
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
        f"<title>{html.escape(page['title'], quote=False)}</title>\n{stylesheet}"
        "</head>\n<body>\n"
        f"<h1>{html.escape(page['title'], quote=False)}</h1>\n{body}"
        "</body>\n</html>\n"
    ).encode("utf-8")


def attribute(value):
    """A double-quoted attribute's value: only what that quoting needs is escaped (the
    viewer decodes the named entities, not numeric ones such as &#x27;)."""
    return value.replace("&", "&amp;").replace("\"", "&quot;").replace("<", "&lt;").replace(">", "&gt;")


def spelled(text, project, what):
    """The text in the help's ANSI code page, or an error naming it."""
    try:
        return text.encode(project.codepage)
    except UnicodeEncodeError as error:
        bad = text[error.start:error.end]
        raise HelpError(f"{what}: {text!r} has {bad!r}, which code page {project.codepage[2:]} "
                        f"({project.language}) cannot spell")


def sitemap_object(indent, names_and_locals):
    lines = [f"{indent}<LI> <OBJECT type=\"text/sitemap\">"]
    for kind, value in names_and_locals:
        lines.append(f"{indent}  <param name=\"{kind}\" value=\"{attribute(value)}\">")
    lines.append(f"{indent}  </OBJECT>")
    return lines


def sitemap_head(project):
    charset = {"cp932": "shift_jis", "cp936": "gb2312", "cp949": "ks_c_5601-1987", "cp950": "big5",
               "cp874": "windows-874"}.get(project.codepage, "windows-" + project.codepage[2:])
    return ("<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\">\n<HTML>\n<HEAD>\n"
            f"<meta http-equiv=\"Content-Type\" content=\"text/html; charset={charset}\">\n"
            "<meta name=\"GENERATOR\" content=\"helpbuild\">\n</HEAD><BODY>\n")


def write_contents(tree, project):
    lines = [sitemap_head(project) + "<OBJECT type=\"text/site properties\">\n"
             "  <param name=\"ImageType\" value=\"Folder\">\n</OBJECT>", "<UL>"]
    level = 0
    for depth, title, page in tree:
        while level < depth:
            lines.append("  " * (level + 1) + "<UL>")
            level += 1
        while level > depth:
            lines.append("  " * level + "</UL>")
            level -= 1
        spelled(title, project, f"contents entry of {page or 'a book'}")
        item = [("Name", title)]
        if page:
            item.append(("Local", htm(page)))
        lines.extend(sitemap_object("  " * (depth + 1), item))
    while level > 0:
        lines.append("  " * level + "</UL>")
        level -= 1
    lines.append("</UL>\n</BODY></HTML>\n")
    return "\n".join(lines).encode(project.codepage)


def keyword_index(pages):
    keywords = {}
    for rel, page in pages.items():
        for keyword in [page["title"]] + page["keywords"]:
            keywords.setdefault(keyword, set()).add(rel)
    return {k: sorted(keywords[k]) for k in sorted(keywords, key=lambda k: (k.lower(), k))}


def write_index(pages, project):
    lines = [sitemap_head(project) + "<UL>"]
    for rel, page in pages.items():
        for keyword in page["keywords"]:
            spelled(keyword, project, f"{rel}: keyword")
    for keyword, rels in keyword_index(pages).items():
        item = [("Name", keyword)]
        for rel in rels:
            item += [("Name", pages[rel]["title"]), ("Local", htm(rel))]
        lines.extend(sitemap_object("  ", item))
    lines.append("</UL>\n</BODY></HTML>\n")
    return "\n".join(lines).encode(project.codepage)


def full_text_search(pages, order):
    """Whether chmcmd can index the pages: its indexer fails (exit 217) on a word beyond
    Latin-1 that a page has in its title and its text, whatever the pages' encoding. The
    web help searches every language; the viewer's own search then goes without an index."""
    beyond = next((rel for rel in order if any(ord(c) > 0xFF for c in pages[rel]["title"])), None)
    if beyond:
        print(f"helpbuild: note: no full-text search index in the .chm: chmcmd cannot index "
              f"titles beyond Latin-1 ({beyond})", file=sys.stderr)
    return beyond is None


def write_project(order, ids_of_pages, project, search=True):
    name, default = project.name, htm(order[0])
    title = project.title
    out = [
        "[OPTIONS]",
        "Compatibility=1.1 or later",
        f"Compiled file={name}.chm",
        f"Contents file={name}.hhc",
        f"Index file={name}.hhk",
        f"Default topic={default}",
        "Default Window=Main",
        "Display compile progress=No",
        f"Full-text search={'Yes' if search else 'No'}",
        f"Language=0x{project.lcid:x} {project.language_name}",
        f"Title={title}",
        "",
        "[WINDOWS]",
        f"Main=\"{title}\",\"{name}.hhc\",\"{name}.hhk\",\"{default}\",\"{default}\""
        ",,,,,0x63520,300,0x387e,[60,40,900,680],,,,0,0,0,0",
        "",
        "[FILES]",
    ]
    if project.stylesheet:
        out.append(project.stylesheet)
    out += [htm(rel) for rel in order]
    out += ["", "[ALIAS]"]
    out += [f"{ident}={htm(rel)}" for ident, (rel, _) in ids_of_pages.items()]
    out += ["", "[MAP]"]
    out += [f"#define {ident} {number}" for ident, (_, number) in ids_of_pages.items()]
    spelled(title, project, "the project's title")
    return ("\n".join(out) + "\n").encode(project.codepage)


def ids_header(ids_of_pages, project):
    lines = [f"// Context ids of {project.name}.chm, written by helpbuild from {project.ids.name}.",
             "#pragma once", ""]
    lines += [f"#define {ident} {number}" for ident, (_, number) in ids_of_pages.items()]
    return ("\n".join(lines) + "\n").encode("ascii")


def ids_module(ids_of_pages, project):
    lines = [f"Attribute VB_Name = \"ContextIds\"",
             f"' Context ids of {project.name}.chm, written by helpbuild from {project.ids.name}.",
             "Option Explicit", ""]
    for ident, (_, number) in ids_of_pages.items():
        value = number - (1 << 32) if number >= (1 << 31) else number
        lines.append(f"Public Const {ident} As Long = {value}")
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


def read_help(project, cmark):
    """Reads and checks every source; returns what the writers need."""
    tree = read_contents(project.contents)
    ids = read_context_ids(project.ids)
    folder = project.folder
    sources = sorted(p.relative_to(folder).as_posix() for p in folder.rglob("*.md"))
    pages = {rel: parse_page(folder / rel, rel) for rel in sources}

    listed = [page for _, _, page in tree if page]
    for rel in listed:
        if rel not in pages:
            raise HelpError(f"{project.contents.name} names {rel}, which does not exist")
        if listed.count(rel) > 1:
            raise HelpError(f"{project.contents.name} names {rel} twice")
    if project.book:
        # The pages of the book's folder join it in name order without an entry of their own.
        folder_of_book = project.book.rsplit("/", 1)[0] + "/"
        joining = [rel for rel in sources
                   if rel.startswith(folder_of_book) and rel != project.book and rel not in listed]
        at = next((i for i, entry in enumerate(tree) if entry[2] == project.book), None)
        if at is None:
            raise HelpError(f"{project.contents.name} has no entry for {project.book}")
        depth = tree[at][0] + 1
        end = at + 1
        while end < len(tree) and tree[end][0] >= depth:
            end += 1
        tree[end:end] = [(depth, pages[rel]["title"], rel) for rel in joining]
        listed = [page for _, _, page in tree if page]
    unlisted = [rel for rel in sources if rel not in listed]
    if unlisted:
        raise HelpError(f"pages missing from {project.contents.name}: " + ", ".join(unlisted))

    # Each id to its page: the one whose header names it, else the one its name spells.
    page_of = {context_name(rel): rel for rel in listed}
    for rel in listed:
        if pages[rel]["id"]:
            page_of[pages[rel]["id"]] = rel
    stale = [name for name in ids if name not in page_of]
    if stale:
        raise HelpError(f"ids in {project.ids.name} without a page: " + ", ".join(stale))
    ids_of_pages = {name: (page_of[name], number) for name, number in ids.items()}
    if project.ids_required:
        with_id = {rel for rel, _ in ids_of_pages.values()}
        missing = [f"{context_name(rel)} ({rel})" for rel in listed if rel not in with_id]
        if missing:
            raise HelpError(f"pages without a context id in {project.ids.name}: " + ", ".join(missing))
    for rel in listed:
        spelled(pages[rel]["title"], project, f"{rel}: title")
    bodies = {rel: render(pages[rel], pages, cmark, project) for rel in listed}
    return tree, pages, listed, ids_of_pages, bodies


def write_web(out, project, tree, pages, listed, ids_of_pages, bodies):
    try:
        import webhelp
    except ImportError:
        return
    web = out / "web"
    web.mkdir(parents=True, exist_ok=True)
    if project.stylesheet:
        (web / project.stylesheet).parent.mkdir(parents=True, exist_ok=True)
        (web / project.stylesheet).write_bytes((project.folder / project.stylesheet).read_bytes())
    webhelp.write(web, {
        "title": project.title,
        "language": project.language,
        "default": htm(listed[0]),
        "pages": [{"htm": htm(rel), "title": pages[rel]["title"], "keywords": pages[rel]["keywords"],
                   "html": f"<h1>{html.escape(pages[rel]['title'], quote=False)}</h1>\n{bodies[rel]}"}
                  for rel in listed],
        "contents": [(level, title, htm(page) if page else None) for level, title, page in tree],
        "ids": [(ident, number, htm(rel)) for ident, (rel, number) in ids_of_pages.items()],
        "stylesheet": project.stylesheet,
    })


def build(project_file, out, cmark="cmark", chmcmd="chmcmd", audit=None, compile_chm=True):
    project = Project(pathlib.Path(project_file))
    out = pathlib.Path(out)
    tree, pages, listed, ids_of_pages, bodies = read_help(project, cmark)

    work = out / "project"
    work.mkdir(parents=True, exist_ok=True)
    for rel in listed:
        target = work / htm(rel)
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_bytes(page_document(pages[rel], bodies[rel], project))
    if project.stylesheet:
        (work / project.stylesheet).write_bytes((project.folder / project.stylesheet).read_bytes())
    name = project.name
    (work / f"{name}.hhc").write_bytes(write_contents(tree, project))
    (work / f"{name}.hhk").write_bytes(write_index({rel: pages[rel] for rel in listed}, project))
    (work / f"{name}.hhp").write_bytes(write_project(listed, ids_of_pages, project, full_text_search(pages, listed)))
    (out / "ContextIds.h").write_bytes(ids_header(ids_of_pages, project))
    (out / "ContextIds.bas").write_bytes(ids_module(ids_of_pages, project))
    write_web(out, project, tree, pages, listed, ids_of_pages, bodies)
    if not compile_chm:
        return
    import chmmend
    compiled = subprocess.run([chmcmd, f"{name}.hhp"], cwd=work, stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, text=True, errors="replace")
    if compiled.returncode != 0 or not (work / f"{name}.chm").exists():
        raise HelpError(f"chmcmd {name}.hhp failed:\n{compiled.stdout}")
    chmmend.mend(str(work / f"{name}.chm"), str(work))
    (out / f"{name}.chm").write_bytes((work / f"{name}.chm").read_bytes())
    if audit:
        # Names relative to OUT, so that a Windows program run under Wine finds them too.
        audited = subprocess.run(shlex.split(audit) + ["audit", f"{name}.chm", "ContextIds.h"], cwd=out,
                                 stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, errors="replace")
        if audited.returncode != 0:
            raise HelpError(f"the audit of {name}.chm against its ids failed:\n{audited.stdout}")


def main(argv):
    args, options = [], {}
    i = 1
    while i < len(argv):
        if argv[i] in ("--cmark", "--chmcmd", "--audit") and i + 1 < len(argv):
            options[argv[i][2:]] = argv[i + 1]
            i += 2
        elif argv[i] == "--no-chm":
            options["no-chm"] = True
            i += 1
        else:
            args.append(argv[i])
            i += 1
    if len(args) != 2:
        print(__doc__.strip().split("\n\n")[1], file=sys.stderr)
        return 2
    try:
        build(args[0], args[1], options.get("cmark", "cmark"), options.get("chmcmd", "chmcmd"),
              options.get("audit"), not options.get("no-chm"))
    except HelpError as error:
        print(f"helpbuild: {error}", file=sys.stderr)
        return 1
    except OSError as error:
        print(f"helpbuild: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
