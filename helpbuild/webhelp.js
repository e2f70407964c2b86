// The web help's viewer: the contents tree, the keyword index and the search beside the
// frame that shows a page, and the way in by address: index.html#id=1000 opens the page of
// context id 1000, index.html#topic=cls/Page.htm that page. data.js (helpData) is written
// by the help compiler. Everything is read from files beside this one, so file:// works.
(function () {
  "use strict";
  const data = window.helpData;
  const titles = new Map(data.pages);
  const ids = new Map(Object.entries(data.ids));
  const vocabulary = Object.keys(data.words);
  const topicPrefix = "webhelp-topic:"; // what a page posts to its frame's parent
  let frame, current = null; // the page the frame shows or is loading

  // A page's path as a relative URL, and an href of ours back to the path.
  const url = (path) => path.split("/").map(encodeURIComponent).join("/");
  const pathOf = (href) => {
    try { return decodeURIComponent(href); } catch (e) { return null; }
  };

  // The same folding as the compiler's (webhelp.py: _fold, _words): NFC, lower case, ß as
  // ss, ё as е; words are runs of letters, marks and digits.
  const fold = (text) => text.normalize("NFC").toLowerCase().replace(/\u00df/g, "ss").replace(/\u0451/g, "\u0435");
  const words = (text) => fold(text).match(/[\p{L}\p{M}\p{N}]+/gu) || [];

  function show(path) {
    document.getElementById("topic-title").textContent = titles.get(path);
    document.title = titles.get(path) + " \u2013 " + data.title;
    let first = null;
    for (const a of document.querySelectorAll("#pane-contents a")) {
      const on = pathOf(a.getAttribute("href")) === path;
      a.classList.toggle("current", on);
      if (!on) { a.removeAttribute("aria-current"); continue; }
      a.setAttribute("aria-current", "page");
      for (let d = a.parentElement.closest("details"); d; d = d.parentElement.closest("details")) d.open = true;
      first = first || a;
    }
    if (first) first.scrollIntoView({ block: "nearest" });
  }

  function open(path) {
    if (path !== current) {
      current = path;
      // replace: the address bar's hash already made the history entry.
      frame.contentWindow.location.replace(url(path));
    }
    show(path);
  }

  // Opens what the address's hash names: id=N, topic=path, or the opening page.
  function route() {
    const hash = location.hash.slice(1);
    const eq = hash.indexOf("=");
    const key = hash.slice(0, eq), value = pathOf(hash.slice(eq + 1)) || "";
    let path = null, problem = "";
    if (key === "id") {
      path = /^\s*-?\d+\s*$/.test(value) ? ids.get(String(Number(value))) : null;
      if (!path) problem = "No page has the context id " + value + ".";
    } else if (key === "topic") {
      path = titles.has(value) ? value : null;
      if (!path) problem = "There is no page " + value + ".";
    } else {
      path = data.default;
    }
    document.getElementById("status").textContent = problem;
    if (path || !current) open(path || data.default);
  }

  function go(path) {
    const hash = "#topic=" + url(path);
    if (location.hash === hash) route(); else location.hash = hash;
  }

  // Pages the viewer should know of, best first: every word of the query starts a word of
  // the page (a whole word counts double).
  function search(query) {
    let scores = null;
    for (const term of words(query)) {
      const found = new Map();
      for (const word of vocabulary) {
        if (!word.startsWith(term)) continue;
        const hits = data.words[word], factor = word === term ? 2 : 1;
        for (let i = 0; i < hits.length; i += 2) found.set(hits[i], (found.get(hits[i]) || 0) + factor * hits[i + 1]);
      }
      scores = scores ? new Map([...found].filter(([p]) => scores.has(p)).map(([p, s]) => [p, s + scores.get(p)])) : found;
    }
    return scores ? [...scores].sort((a, b) => b[1] - a[1] || a[0] - b[0]).map(([p]) => data.pages[p]) : null;
  }

  function showResults() {
    const list = document.getElementById("search-results");
    const pages = search(document.getElementById("search-input").value);
    list.replaceChildren(...(pages || []).map(([path, title]) => {
      const a = document.createElement("a");
      a.href = url(path);
      a.target = "topic";
      a.textContent = title;
      const li = document.createElement("li");
      li.append(a);
      return li;
    }));
    document.getElementById("search-none").hidden = !pages || pages.length > 0;
  }

  function filterIndex() {
    const start = fold(document.getElementById("index-filter").value.trim());
    for (const li of document.querySelectorAll("#pane-index .keywords > li")) {
      li.hidden = !fold(li.firstElementChild.textContent).startsWith(start);
    }
  }

  function selectTab(name) {
    for (const b of document.querySelectorAll("#tabs button")) {
      b.setAttribute("aria-selected", String(b.dataset.pane === name));
      document.getElementById("pane-" + b.dataset.pane).hidden = b.dataset.pane !== name;
    }
  }

  // A page in the frame says which it is after every load, also when reached by one of
  // its own links or the Back button; the hash follows without a history entry of its own.
  addEventListener("message", (event) => {
    if (!frame || event.source !== frame.contentWindow || typeof event.data !== "string") return;
    if (!event.data.startsWith(topicPrefix)) return;
    const path = event.data.slice(topicPrefix.length);
    if (!titles.has(path)) return;
    if (path !== current) {
      current = path;
      history.replaceState(null, "", "#topic=" + url(path));
    }
    show(path);
  });

  document.addEventListener("DOMContentLoaded", () => {
    frame = document.getElementById("topic");
    document.getElementById("side").addEventListener("click", (event) => {
      const tab = event.target.closest("#tabs button");
      if (tab) return selectTab(tab.dataset.pane);
      const a = event.target.closest("a[target=topic]");
      if (!a || event.button !== 0 || event.ctrlKey || event.shiftKey || event.metaKey || event.altKey) return;
      const path = pathOf(a.getAttribute("href"));
      if (!titles.has(path)) return;
      event.preventDefault();
      go(path);
    });
    document.getElementById("search-form").addEventListener("submit", (event) => {
      event.preventDefault();
      showResults();
    });
    document.getElementById("search-input").addEventListener("input", showResults);
    document.getElementById("index-filter").addEventListener("input", filterIndex);
    addEventListener("hashchange", route);
    route();
  });
})();
