"""The Python peer of the discovery benchmark: the same work done with the
standard library (urllib, gzip, xml.etree.ElementTree.iterparse): robots.txt's
Sitemap lines, the index, each sitemap, the addresses under the root kept once
as page-list lines with their last-modified text, and the list file written.

Usage: python_peer.py ROOT_URL LIST_FILE
Prints "PAGES <n> SECONDS <s>", the time of the work alone.
"""
import gzip
import io
import sys
import time
import urllib.request
import xml.etree.ElementTree as ET

NS = "{http://www.sitemaps.org/schemas/sitemap/0.9}"


def fetch(url):
    with urllib.request.urlopen(url, timeout=30) as answer:
        data = answer.read()
    if data[:2] == b"\x1f\x8b":
        data = gzip.decompress(data)
    return data


def main():
    root, out = sys.argv[1], sys.argv[2]
    start = time.perf_counter()
    origin = root.split("/", 3)
    origin = origin[0] + "//" + origin[2]
    robots = fetch(origin + "/robots.txt").decode("utf-8", "replace")
    queue = [line.split(":", 1)[1].strip() for line in robots.splitlines()
             if line.lower().startswith("sitemap:")]
    seen_files, seen, pages, lastmods = set(), set(), [], {}
    while queue:
        url = queue.pop(0)
        if url in seen_files:
            continue
        seen_files.add(url)
        loc = mod = None
        for _, el in ET.iterparse(io.BytesIO(fetch(url))):
            tag = el.tag
            if tag == NS + "loc":
                loc = (el.text or "").strip()
            elif tag == NS + "lastmod":
                mod = (el.text or "").strip()
            elif tag == NS + "sitemap":
                queue.append(loc)
                el.clear()
            elif tag == NS + "url":
                if loc and loc.startswith(root) and loc not in seen:
                    seen.add(loc)
                    text = loc[len(root):]
                    pages.append(text)
                    if mod:
                        lastmods[text] = mod
                loc = mod = None
                el.clear()
    with open(out, "w", encoding="utf-8", newline="") as f:
        f.write("".join(p + "\r\n" for p in pages) + "\r\n")
    seconds = time.perf_counter() - start
    print("PAGES %d SECONDS %.4f" % (len(pages), seconds))


if __name__ == "__main__":
    main()
