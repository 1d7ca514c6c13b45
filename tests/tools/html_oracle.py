#!/usr/bin/env python3
"""Reads the pages of an HTML export with Python's own HTML parser and checks them against
what the test expects.

Usage: html_oracle.py FOLDER EXPECTATIONS

Every .htm file in FOLDER must decode as Shift_JIS (cp932) and hold only the tags an export
writes: a subject or text that reached the page unescaped shows up as a tag of its own.
EXPECTATIONS holds lines "FILE<TAB>WHAT<TAB>VALUE" in UTF-8, with backslash escapes \\r \\n
\\t \\\\ in VALUE. WHAT is "title", "subject", "byline", "pre" (text nodes, entities
resolved), "link:WORD" (the href of the link whose text is WORD, empty for the plain word)
or "entry:N" (the Nth contents entry: "depth|href|subject").
"""
import html.parser
import pathlib
import sys

ALLOWED = {"html", "head", "title", "meta", "link", "base", "body", "p", "a", "b", "i", "hr", "pre",
           "h2", "h3", "dl", "dt", "dd", "frameset", "frame", "noframes"}


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.stack = []
        self.fields = {}
        self.links = {}
        self.entries = []
        self.depth = 0
        self.href = None
        self.errors = []

    def handle_starttag(self, tag, attrs):
        if tag not in ALLOWED:
            self.errors.append(f"unexpected tag <{tag}>")
        if tag == "dl":
            self.depth += 1
        if tag == "a":
            self.href = dict(attrs).get("href", "")
        if tag == "dt":
            self.entries.append([self.depth, "", ""])
        self.stack.append(tag)

    def handle_endtag(self, tag):
        if tag == "dl":
            self.depth -= 1
        if self.stack and self.stack[-1] == tag:
            self.stack.pop()
        if tag == "a":
            self.href = None

    def handle_data(self, data):
        where = self.stack[-1] if self.stack else ""
        if where == "title":
            self.fields["title"] = self.fields.get("title", "") + data
        elif where == "pre":
            self.fields["pre"] = self.fields.get("pre", "") + data
        elif where == "a" and "dt" in self.stack:
            self.entries[-1][1] = self.href
            self.entries[-1][2] += data
        elif where == "a":
            self.links[data] = self.href
        elif where == "b" and "p" in self.stack and "subject" not in self.fields:
            self.fields["subject"] = data
        elif where == "b" and "p" in self.stack:
            self.fields["subject"] += data
        elif where == "i" and "p" in self.stack:
            self.fields["byline"] = self.fields.get("byline", "") + data
        elif "p" in self.stack and where == "p":
            for word in data.replace("|", " ").replace("[", " ").replace("]", " ").split():
                self.links.setdefault(word, "")


def unescape(value):
    out, i = [], 0
    while i < len(value):
        if value[i] == "\\" and i + 1 < len(value):
            out.append({"r": "\r", "n": "\n", "t": "\t", "\\": "\\"}[value[i + 1]])
            i += 2
        else:
            out.append(value[i])
            i += 1
    return "".join(out)


def main():
    folder, expectations = pathlib.Path(sys.argv[1]), sys.argv[2]
    pages, failures = {}, []
    for path in sorted(folder.glob("*.htm")):
        page = Page()
        try:
            page.feed(path.read_bytes().decode("cp932"))
            page.close()
        except UnicodeDecodeError as e:
            failures.append(f"{path.name}: not Shift_JIS: {e}")
            continue
        failures += [f"{path.name}: {e}" for e in page.errors]
        pages[path.name] = page
    for line in pathlib.Path(expectations).read_text(encoding="utf-8").splitlines():
        name, what, value = line.split("\t", 2)
        value = unescape(value)
        page = pages.get(name)
        if page is None:
            failures.append(f"{name}: missing")
            continue
        if what.startswith("link:"):
            got = page.links.get(what[5:])
        elif what.startswith("entry:"):
            n = int(what[6:])
            got = "|".join(map(str, page.entries[n])) if n < len(page.entries) else None
        else:
            got = page.fields.get(what)
        if got != value:
            failures.append(f"{name} {what}: expected {value!r}, got {got!r}")
    for f in failures:
        print(f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
