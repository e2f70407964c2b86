"""Writes the help as a static web-help folder that works from file:// without a server.

    write(out_dir, help)

`help` is the dict the help compiler builds (title, language, default, pages, contents,
ids, stylesheet; see `write`). The folder gets every page as a full UTF-8 document, and an
index.html with the contents tree, the keyword index and a search over an index made here,
beside webhelp/webhelp.js, webhelp/webhelp.css and webhelp/data.js. Everything the viewer
needs is loaded with <script src> and <link>, never fetched, so file:// is enough.

index.html#id=1000 opens the page of context id 1000, index.html#topic=cls/Page.htm opens
that page. Pages tell index.html which of them is showing by a message to their frame's
parent, since a page's address cannot be read across frames from file://.

The output depends only on the input: same dict, same bytes.
"""

import html
import json
import pathlib
import unicodedata
import urllib.parse
from html.parser import HTMLParser

HERE = pathlib.Path(__file__).resolve().parent
ASSETS = "webhelp"  # the viewer's own files, in a folder of their own beside the pages

# How much one occurrence of a word counts for a page, by where it stands.
TITLE_WEIGHT = 10
KEYWORD_WEIGHT = 5
TEXT_WEIGHT = 1


def write(out_dir, help):
    """Writes the web help of `help` into out_dir (created when missing).

    help = {"title": str, "language": BCP 47 tag, "default": page,
            "pages": [{"htm": path, "title": str, "keywords": [str], "html": body}],
            "contents": [(level, title, page or None)], "ids": [(name, number, page)],
            "stylesheet": file name in out_dir, or None}
    Raises ValueError for a page path that would leave out_dir or clash with the viewer's
    files, and for a contents entry, id or default naming no page.
    """
    out_dir = pathlib.Path(out_dir)
    pages = help["pages"]
    _check(help)
    for page in pages:
        target = out_dir / page["htm"]
        target.parent.mkdir(parents=True, exist_ok=True)
        _write_text(target, _page_document(page, help))
    assets = out_dir / ASSETS
    assets.mkdir(parents=True, exist_ok=True)
    for name in ("webhelp.js", "webhelp.css"):
        _write_text(assets / name, (HERE / name).read_text(encoding="utf-8"))
    _write_text(assets / "data.js", _data_script(help))
    _write_text(out_dir / "index.html", _index_document(help))


def _check(help):
    known = {}
    for page in help["pages"]:
        rel = page["htm"]
        parts = rel.split("/")
        if ({"", ".", ".."} & set(parts) or "\\" in rel or ":" in parts[0] or parts[0] == ASSETS
                or rel == "index.html"):
            raise ValueError(f"page path not usable in the web help: {rel!r}")
        if rel in known:
            raise ValueError(f"page listed twice: {rel}")
        known[rel] = page
    if help["default"] not in known:
        raise ValueError(f"the opening page is not among the pages: {help['default']}")
    for level, title, rel in help["contents"]:
        if rel is not None and rel not in known:
            raise ValueError(f"contents entry {title!r} names no page: {rel}")
    numbers = {}
    for name, number, rel in help["ids"]:
        if rel not in known:
            raise ValueError(f"context id {name} ({number}) names no page: {rel}")
        if numbers.setdefault(number, rel) != rel:
            raise ValueError(f"context id {number} names two pages: {numbers[number]}, {rel}")


def _write_text(path, text):
    path.write_bytes(text.encode("utf-8"))


def _e(text):
    return html.escape(text, quote=True)


def _href(rel, up=""):
    """A page path as an attribute-ready relative URL."""
    return _e(up + urllib.parse.quote(rel, safe="/"))


def _script_json(value):
    """JSON that can stand in a .js file or inside <script>: ASCII only, no '<' or '>'."""
    text = json.dumps(value, ensure_ascii=True, sort_keys=True, separators=(",", ":"))
    return text.replace("<", "\\u003c").replace(">", "\\u003e").replace("&", "\\u0026")


def _page_document(page, help):
    up = "../" * page["htm"].count("/")
    style = ""
    if help.get("stylesheet"):
        style = f'<link rel="stylesheet" href="{_href(help["stylesheet"], up)}">\n'
    # Tells the viewer, when there is one, which page its frame now shows (after a link
    # inside the pages was followed, or the browser went back).
    tell = ("<script>if (window.parent !== window) window.parent.postMessage("
            f'"webhelp-topic:" + {_script_json(page["htm"])}, "*");</script>\n')
    return (f'<!DOCTYPE html>\n<html lang="{_e(help["language"])}">\n<head>\n'
            f'<meta charset="utf-8">\n<title>{_e(page["title"])}</title>\n{style}{tell}'
            f'</head>\n<body>\n{page["html"]}\n</body>\n</html>\n')


def _contents_tree(entries):
    """The contents as nested lists; an entry followed by deeper ones is a book."""
    root = []
    stack = []  # (level, children) of the entries the next one may belong to
    for level, title, rel in entries:
        while stack and stack[-1][0] >= level:
            stack.pop()
        node = (title, rel, [])
        (stack[-1][1] if stack else root).append(node)
        stack.append((level, node[2]))
    return _contents_list(root, ' class="toc"')


def _contents_list(nodes, attributes=""):
    items = []
    for title, rel, children in nodes:
        label = (f'<a href="{_href(rel)}" target="topic">{_e(title)}</a>' if rel
                 else f"<span>{_e(title)}</span>")
        if children:
            items.append(f'<li class="book"><details><summary>{label}</summary>\n'
                         f'{_contents_list(children)}\n</details></li>')
        else:
            items.append(f'<li class="book">{label}</li>' if rel is None else f"<li>{label}</li>")
    return f"<ul{attributes}>\n" + "\n".join(items) + "\n</ul>"


def _sort_key(text):
    """Case-insensitive, with accented letters beside their base letter (Größe by Gross)."""
    folded = text.casefold()
    bare = "".join(c for c in unicodedata.normalize("NFD", folded) if not unicodedata.combining(c))
    return (bare, folded, text)


def _keyword_index(pages):
    """Each page's title and keywords, A to Z; a word on several pages lists them."""
    entries = {}
    for page in pages:
        for word in dict.fromkeys([page["title"], *page["keywords"]]):
            entries.setdefault(word.casefold(), {}).setdefault(word, []).append(page)
    items = []
    for folded in sorted(entries, key=lambda f: _sort_key(min(entries[f], key=_sort_key))):
        spellings = entries[folded]
        word = min(spellings, key=_sort_key)
        targets = sorted({p["htm"]: p for s in spellings.values() for p in s}.values(),
                         key=lambda p: (_sort_key(p["title"]), p["htm"]))
        if len(targets) == 1:
            items.append(f'<li><a href="{_href(targets[0]["htm"])}" target="topic">{_e(word)}</a></li>')
        else:
            links = "".join(f'<li><a href="{_href(p["htm"])}" target="topic">{_e(p["title"])}</a></li>'
                            for p in targets)
            items.append(f"<li><span>{_e(word)}</span><ul>{links}</ul></li>")
    return '<ul class="keywords">\n' + "\n".join(items) + "\n</ul>"


def _fold(text):
    """A word as search compares it. webhelp.js folds the query the same way: NFC, lower
    case, and the spellings a reader types for ß and ё."""
    return unicodedata.normalize("NFC", text).lower().replace("ß", "ss").replace("ё", "е")


def _words(text):
    """The words of a text, folded: runs of letters, marks and digits (as webhelp.js's
    [\\p{L}\\p{M}\\p{N}]+)."""
    return "".join(c if unicodedata.category(c)[0] in "LMN" else " " for c in _fold(text)).split()


class _Text(HTMLParser):
    """The text of a body fragment, without its scripts and style sheets. Tags other than
    those inside a line of text part words (a cell or paragraph ends, a word ends)."""

    INLINE = {"a", "abbr", "b", "code", "em", "i", "kbd", "small", "span", "strong", "sub", "sup", "u", "var"}

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.parts = []
        self.hidden = 0

    def handle_starttag(self, tag, attrs):
        self.hidden += tag in ("script", "style")
        if tag not in self.INLINE:
            self.parts.append(" ")

    def handle_endtag(self, tag):
        self.hidden -= tag in ("script", "style") and self.hidden > 0
        if tag not in self.INLINE:
            self.parts.append(" ")

    def handle_data(self, data):
        if not self.hidden:
            self.parts.append(data)


def _search_index(pages):
    """word -> [page number, score, page number, score, ...], page numbers ascending."""
    index = {}
    for number, page in enumerate(pages):
        reader = _Text()
        reader.feed(page["html"])
        reader.close()
        scores = {}
        for text, weight in ((page["title"], TITLE_WEIGHT), (" ".join(page["keywords"]), KEYWORD_WEIGHT),
                             ("".join(reader.parts), TEXT_WEIGHT)):
            for word in _words(text):
                scores[word] = scores.get(word, 0) + weight
        for word, score in scores.items():
            index.setdefault(word, []).extend((number, score))
    return index


def _data_script(help):
    data = {
        "title": help["title"],
        "default": help["default"],
        "pages": [[p["htm"], p["title"]] for p in help["pages"]],
        "ids": {str(number): rel for _, number, rel in help["ids"]},
        "words": _search_index(help["pages"]),
    }
    return "// Written by the help compiler: the pages, context ids and search words.\n" \
           f"var helpData = {_script_json(data)};\n"


def _index_document(help):
    title = _e(help["title"])
    return f"""<!DOCTYPE html>
<html lang="{_e(help["language"])}">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>{title}</title>
<link rel="stylesheet" href="{ASSETS}/webhelp.css">
<script src="{ASSETS}/data.js"></script>
<script src="{ASSETS}/webhelp.js"></script>
</head>
<body>
<header><span id="help-title">{title}</span> <span id="topic-title"></span> <span id="status" role="status"></span></header>
<nav id="side">
<div id="tabs" role="tablist">
<button type="button" role="tab" data-pane="contents" aria-selected="true">Contents</button>
<button type="button" role="tab" data-pane="index" aria-selected="false">Index</button>
<button type="button" role="tab" data-pane="search" aria-selected="false">Search</button>
</div>
<div id="pane-contents" class="pane" role="tabpanel">
{_contents_tree(help["contents"])}
</div>
<div id="pane-index" class="pane" role="tabpanel" hidden>
<input id="index-filter" type="search" placeholder="Keyword" aria-label="Keyword">
{_keyword_index(help["pages"])}
</div>
<div id="pane-search" class="pane" role="tabpanel" hidden>
<form id="search-form"><input id="search-input" type="search" placeholder="Words" aria-label="Words"> <button>Search</button></form>
<p id="search-none" hidden>No page contains these words.</p>
<ol id="search-results"></ol>
</div>
</nav>
<main><iframe id="topic" name="topic" title="Topic"></iframe></main>
</body>
</html>
"""
