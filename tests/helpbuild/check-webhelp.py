#!/usr/bin/env python3
"""Checks a web-help folder in headless Chromium, from file:// as a reader opens it.

    check-webhelp.py <webhelp-dir> [--search WORD --expect PAGE]... [--screenshot FILE.png]

Every contents entry, clicked, must show its page in the frame and its title in the
viewer; index.html#id=N must do the same for every context id the help has; each searched
WORD must list PAGE among the results, and the result must open it. Exits 1 naming what
failed. A check page in a temporary folder drives index.html from outside, through the
frame it loads it in, so the help folder holds nothing of the check.
"""

import argparse
import html
import json
import pathlib
import re
import subprocess
import sys
import tempfile
import time

CHROMIUM = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
            "--disable-background-networking", "--disable-component-update", "--disable-sync",
            "--allow-file-access-from-files", "--window-size=1200,800"]

CHECK = """<!DOCTYPE html><meta charset="utf-8"><iframe id="host" style="width:1200px;height:800px"></iframe>
<pre id="report"></pre><script>
const cfg = CONFIG, failures = [], host = document.getElementById("host");
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));
const squash = (text) => text.replace(/[\\t\\n\\f\\r ]+/g, " ").trim();
const url = (path) => path.split("/").map(encodeURIComponent).join("/");
async function until(test, ms = 5000) {
  for (let t = 0; t < ms; t += 20) {
    try { const value = test(); if (value) return value; } catch (e) {}
    await sleep(20);
  }
  return null;
}
async function load(suffix) {
  host.src = cfg.index + suffix;
  return until(() => { const w = host.contentWindow;
    return w.location.href.endsWith(suffix) && w.document.readyState === "complete" && w.helpData && w; });
}
function seen(w) {
  try {
    const frame = w.document.getElementById("topic");
    return `${decodeURIComponent(frame.contentWindow.location.href.slice(cfg.base.length))} titled ` +
      `"${frame.contentDocument.title}", viewer shows "${w.document.getElementById("topic-title").textContent}"` +
      ` ${w.document.getElementById("status").textContent}`;
  } catch (e) { return "no page of the help in the frame (a missing file?)"; }
}
// The frame of index.html shows `href` (relative to index.html), loaded, with its title in
// the viewer's title bar and no complaint.
async function opened(w, href, what) {
  const want = new URL(href, w.location.href).href;
  const title = squash(new Map(w.helpData.pages).get(decodeURIComponent(href)) || "?");
  const ok = await until(() => { const frame = w.document.getElementById("topic"), page = frame.contentDocument;
    return frame.contentWindow.location.href === want && page.readyState === "complete" && squash(page.title) === title
      && squash(w.document.getElementById("topic-title").textContent) === title
      && !w.document.getElementById("status").textContent; });
  if (!ok) failures.push(`${what}: expected ${decodeURIComponent(href)} "${title}", got ${seen(w)}`);
}
async function run() {
  let w = await load("?check=contents");
  if (!w) return failures.push(`index.html did not load (${cfg.index})`);
  for (const a of w.document.querySelectorAll("#pane-contents a")) {
    a.click();
    await opened(w, a.getAttribute("href"), `contents entry "${a.textContent}"`);
  }
  for (const [word, page] of cfg.searches) {
    w.document.querySelector('#tabs [data-pane="search"]').click();
    w.document.getElementById("search-input").value = word;
    w.document.getElementById("search-form").requestSubmit();
    const results = [...w.document.querySelectorAll("#search-results a")];
    const hit = results.find((a) => decodeURIComponent(a.getAttribute("href")) === page);
    if (!hit) { failures.push(`search "${word}": ${page} not among [${results.map((a) => decodeURIComponent(a.getAttribute("href")))}]`); continue; }
    hit.click();
    await opened(w, hit.getAttribute("href"), `search "${word}", result ${page}`);
  }
  // The first id as a caller opens the help, the others as a caller shows another page in
  // the open help; an unknown id between two makes sure the viewer read each new one.
  const ids = Object.entries(w.helpData.ids);
  w = null;
  for (const [id, page] of ids) {
    if (w) {
      w.location.hash = "id=none";
      if (!await until(() => w.document.getElementById("status").textContent)) failures.push("#id=none: no complaint");
      w.location.hash = `id=${id}`;
    } else if (!(w = await load(`?check=ids#id=${id}`))) return failures.push(`index.html#id=${id} did not load`);
    await opened(w, url(page), `context id ${id}`);
  }
  return cfg.checked = true;
}
run().catch((e) => failures.push(`the check broke: ${e}`)).then(() => {
  document.getElementById("report").textContent = JSON.stringify({failures, done: cfg.checked === true});
});
</script>
"""


def chromium(profile, *args, timeout=600):
    return subprocess.run([*CHROMIUM, f"--user-data-dir={profile}", *args], capture_output=True, text=True,
                          timeout=timeout)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("folder", type=pathlib.Path)
    parser.add_argument("--search", action="append", default=[], metavar="WORD")
    parser.add_argument("--expect", action="append", default=[], metavar="PAGE")
    parser.add_argument("--screenshot", type=pathlib.Path, metavar="FILE.png")
    args = parser.parse_args()
    if len(args.search) != len(args.expect):
        parser.error("each --search needs its --expect")
    index = (args.folder.resolve() / "index.html")
    if not index.is_file():
        sys.exit(f"check-webhelp: no {index}")
    with tempfile.TemporaryDirectory() as tmp:
        tmp = pathlib.Path(tmp)
        if args.screenshot:
            chromium(tmp / "shot", f"--screenshot={args.screenshot.resolve()}", "--virtual-time-budget=5000",
                     index.as_uri())
            if not args.screenshot.is_file():
                sys.exit(f"check-webhelp: no screenshot made at {args.screenshot}")
        config = {"index": index.as_uri(), "base": index.parent.as_uri() + "/",
                  "searches": list(zip(args.search, args.expect))}
        check = tmp / "check.html"
        check.write_text(CHECK.replace("CONFIG", json.dumps(config).replace("<", "\\u003c")), encoding="utf-8")
        started = time.monotonic()
        run = chromium(tmp / "check", "--virtual-time-budget=3600000", "--dump-dom", check.as_uri())
        found = re.search(r'<pre id="report">(.*?)</pre>', run.stdout, re.S)
        if not found or not found.group(1):
            sys.exit(f"check-webhelp: Chromium gave no report (exit {run.returncode}):\n{run.stderr[-3000:]}")
        report = json.loads(html.unescape(found.group(1)))
    for failure in report["failures"]:
        print(f"FAIL {failure}", file=sys.stderr)
    if report["failures"] or not report["done"]:
        sys.exit(f"check-webhelp: {len(report['failures'])} failure(s) in {args.folder}")
    print(f"check-webhelp: {args.folder} passed in {time.monotonic() - started:.1f} s")


if __name__ == "__main__":
    main()
