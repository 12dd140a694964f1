#!/usr/bin/env python3
"""Checks the built help file and readme next to mgoldwk.exe.

Usage: check_help.py BIN_DIR HELP_SOURCE_DIR VERSION

The .chm is unpacked with chmls (fp-utils); every file of the project, the contents and
the index must be inside, each page's heading must name the window it documents, and
every link of the pages, the contents and the index must lead to a page (and anchor)
that the .chm holds. The readme and the help's first and About pages name VERSION.
"""
import os
import re
import subprocess
import sys
import tempfile
from html.parser import HTMLParser

# What each page documents, as the user sees it written on screen.
HEADINGS = {
    "index.html": ["Overview"],
    "tray.html": ["Tray icons", "popup menus", "hotkeys"],
    "quicklaunch.html": ["quick launch box"],
    "settings.html": ["Marigoldwick - Settings"],
    "menuprops.html": ["New menu", "Modify menu"],
    "options.html": ['"Options"'],
    "tools.html": ["Marigoldwick Tools"],
    "config.html": ["mgoldwk.ini"],
    "about.html": ['"About"'],
}


class Page(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.links, self.anchors, self.params = [], set(), []
        self.title = self.h1 = ""
        self._in = None

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "a" and "href" in a:
            self.links.append(a["href"])
        if tag == "a" and "name" in a:
            self.anchors.add(a["name"])
        if "id" in a:
            self.anchors.add(a["id"])
        if tag == "link" and "href" in a:
            self.links.append(a["href"])
        if tag == "param" and a.get("name", "").lower() == "local":
            self.params.append(a.get("value", ""))
        if tag in ("title", "h1"):
            self._in = tag

    def handle_endtag(self, tag):
        if tag == self._in:
            self._in = None

    def handle_data(self, data):
        if self._in == "title":
            self.title += data
        elif self._in == "h1":
            self.h1 += data


def parse(path):
    p = Page()
    with open(path, encoding="latin-1") as f:
        p.feed(f.read())
    return p


def project_files(hhp):
    files, section, options = [], None, {}
    with open(hhp, encoding="latin-1") as f:
        for line in f.read().splitlines():
            line = line.strip()
            if line.startswith("["):
                section = line.upper()
            elif line and section == "[FILES]":
                files.append(line)
            elif "=" in line and section == "[OPTIONS]":
                k, v = line.split("=", 1)
                options[k.strip().lower()] = v.strip()
    return files, options


def main():
    bin_dir, src, version = sys.argv[1], sys.argv[2], sys.argv[3]
    failures = []
    fail = failures.append

    files, options = project_files(os.path.join(src, "mgoldwk.hhp"))
    wanted = set(files) | {options["contents file"], options["index file"]}
    chm = os.path.join(bin_dir, "mgoldwk.chm")
    if not os.path.isfile(chm):
        print(f"help: FAILED: {chm} missing")
        return 1

    with tempfile.TemporaryDirectory() as out:
        # chmls reports problems on stdout and exits 0: judge by what it extracted.
        subprocess.run(["chmls", "extractall", chm, out], stdout=subprocess.DEVNULL,
                       stderr=subprocess.STDOUT, check=False)
        inside = {os.path.relpath(os.path.join(d, n), out).replace(os.sep, "/")
                  for d, _, names in os.walk(out) for n in names}
        for name in sorted(wanted - inside):
            fail(f"{name} is not in mgoldwk.chm")
        for name in sorted(set(HEADINGS) - set(files)):
            fail(f"{name} is not in the project")

        with open(os.path.join(out, "#SYSTEM"), "rb") as f:
            system = f.read()
        if b"Marigoldwick Help\0" not in system:
            fail("the compiled title is not 'Marigoldwick Help'")
        if b"index.html\0" not in system:
            fail("the compiled default topic is not index.html")

        pages = {n: parse(os.path.join(out, n)) for n in inside if n.endswith((".html", ".hhc", ".hhk"))}
        for name, words in HEADINGS.items():
            p = pages.get(name)
            if p is None:
                continue
            heading = " ".join(p.h1.split())
            for w in words:
                if w.lower() not in heading.lower():
                    fail(f"{name}: heading {heading!r} does not mention {w!r}")
            if not p.title.startswith("Marigoldwick Help"):
                fail(f"{name}: title {p.title!r}")

        def resolve(origin, link):
            if re.match(r"^[a-z]+:", link, re.I):
                return
            target, _, anchor = link.partition("#")
            target = target or origin
            if target not in inside:
                fail(f"{origin}: link {link!r} leads nowhere")
            elif anchor and anchor not in pages.get(target, Page()).anchors:
                fail(f"{origin}: link {link!r} names a missing anchor")

        for name, p in pages.items():
            for link in p.links + p.params:
                resolve(name, link)
        for n in (options["contents file"], options["index file"]):
            if n in pages and not pages[n].params:
                fail(f"{n} has no entries")
        toc = pages.get(options["contents file"])
        if toc:
            for page in files:
                if page.endswith(".html") and page not in {l.partition("#")[0] for l in toc.params}:
                    fail(f"{page} is missing from the contents")

    readme = os.path.join(bin_dir, "readme.txt")
    if not os.path.isfile(readme):
        fail("readme.txt is not next to the program")
    else:
        with open(readme, "rb") as f:
            text = f.read()
        if re.search(rb"(?<!\r)\n", text) or not text.endswith(b"\r\n"):
            fail("readme.txt has lines not ended by CR LF")
        if not text.startswith(f"Marigoldwick {version}\r\n".encode()):
            fail(f"readme.txt does not begin with the version {version}")
    # The help is written by hand: it must not fall behind the version.
    for page in ("index.html", "about.html"):
        with open(os.path.join(src, page), encoding="latin-1") as f:
            if f"Marigoldwick {version}" not in f.read().replace("Marigoldwick v", "Marigoldwick "):
                fail(f"{page} does not name version {version}")

    for f in failures:
        print("help: " + f)
    print(f"help: {'FAILED' if failures else 'ok'} ({len(inside)} files in mgoldwk.chm)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
