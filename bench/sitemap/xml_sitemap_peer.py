"""The same XML sitemaps as the program writes, in Python: pages read from a
tab-separated list (entry, day or empty), addresses escaped with
urllib.parse.quote and xml.sax.saxutils.escape, the same entries left out, the
same split at 50,000 URLs or 50 MB under an index, each file written to a
temporary file, synced and renamed into place. Prints the seconds the build
took, reading the list not included."""
import os
import sys
import time
from datetime import date
from urllib.parse import quote
from xml.sax.saxutils import escape

ROOT = "http://www.example.com/"
HOST = "www.example.com"
NOT_LISTED = ("robots.txt", ".asa", "_vti", ".log", ".ico")
SAFE = "/?:@!$&'()*+,;=~"
ENTITIES = {"'": "&apos;", '"': "&quot;"}
MAX_URLS, MAX_BYTES, MAX_LENGTH = 50000, 50 * 1024 * 1024, 2048
NS = "http://www.sitemaps.org/schemas/sitemap/0.9"
DECL = '<?xml version="1.0" encoding="UTF-8"?>\n'
HEAD, FOOT = DECL + '<urlset xmlns="%s">\n' % NS, "</urlset>\n"


def build(pages, out):
    folder, name = os.path.split(out)
    stem, ext = name[: -len(".xml")], ".xml"
    seen, temps = set(), []
    state = {"file": None, "count": 0, "size": 0}

    def start():
        tmp = os.path.join(folder, ".%s.%d" % (name, len(temps)))
        f = open(tmp, "w", encoding="utf-8", newline="\n", buffering=1 << 18)
        f.write(HEAD)
        temps.append(tmp)
        state.update(file=f, count=0, size=len(HEAD))

    def end():
        f = state["file"]
        f.write(FOOT)
        f.flush()
        os.fsync(f.fileno())
        f.close()

    for entry, day in pages:
        low = entry.lower()
        if any(s in low for s in NOT_LISTED):
            continue
        e = entry.strip().split("#", 1)[0]
        if low.startswith(("http://", "https://")):
            rest = e.split("://", 1)[1]
            host, slash, path = rest.partition("/")
            if host.lower() != HOST:
                continue
            loc = ROOT + quote(path, safe=SAFE)
        else:
            loc = ROOT + quote(e[1:] if e.startswith("/") else e, safe=SAFE)
        if len(loc) > MAX_LENGTH or loc in seen:
            continue
        seen.add(loc)
        item = "<url><loc>" + escape(loc, ENTITIES) + "</loc>"
        if day:
            item += "<lastmod>" + day + "</lastmod>"
        item += "</url>\n"
        if state["file"] is None:
            start()
        elif state["count"] >= MAX_URLS or state["size"] + len(item) + len(FOOT) > MAX_BYTES:
            end()
            start()
        state["file"].write(item)
        state["count"] += 1
        state["size"] += len(item)
    if state["file"] is None:
        return
    end()
    if len(temps) == 1:
        os.replace(temps[0], out)
        return
    today = date.today().isoformat()
    index = os.path.join(folder, ".%s.index" % name)
    with open(index, "w", encoding="utf-8", newline="\n") as f:
        f.write(DECL + '<sitemapindex xmlns="%s">\n' % NS)
        for n in range(1, len(temps) + 1):
            loc = ROOT + quote("%s-%d%s" % (stem, n, ext), safe="")
            f.write("<sitemap><loc>%s</loc><lastmod>%s</lastmod></sitemap>\n"
                    % (escape(loc, ENTITIES), today))
        f.write("</sitemapindex>\n")
        f.flush()
        os.fsync(f.fileno())
    for n, tmp in enumerate(temps, 1):
        os.replace(tmp, os.path.join(folder, "%s-%d%s" % (stem, n, ext)))
    os.replace(index, out)


def main():
    src, out = sys.argv[1], sys.argv[2]
    with open(src, encoding="utf-8") as f:
        pages = [tuple(line.rstrip("\n").split("\t", 1)) for line in f]
    started = time.perf_counter()
    build(pages, out)
    print(time.perf_counter() - started)


main()
