"""The Python peer of the audit benchmark: fetches BASE/p/0.html ... one after
the other with urllib and reads each with html.parser (title, metas,
canonical, headings, links). Prints "PAGES <n> SECONDS <s>".

Usage: python_peer.py BASE COUNT
"""
import html.parser
import sys
import time
import urllib.request


class Reader(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.title, self.metas, self.links, self.h1 = "", [], [], 0
        self.canonical, self._in_title = None, False

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "title":
            self._in_title = True
        elif tag == "meta":
            self.metas.append((a.get("name"), a.get("content")))
        elif tag == "link" and "canonical" in (a.get("rel") or ""):
            self.canonical = a.get("href")
        elif tag == "h1":
            self.h1 += 1
        elif tag == "a" and "href" in a:
            self.links.append(a["href"])

    def handle_endtag(self, tag):
        if tag == "title":
            self._in_title = False

    def handle_data(self, data):
        if self._in_title:
            self.title += data


base, count = sys.argv[1], int(sys.argv[2])
start = time.perf_counter()
for i in range(count):
    with urllib.request.urlopen("%s/p/%d.html" % (base, i), timeout=30) as r:
        body = r.read()
        charset = r.headers.get_content_charset() or "utf-8"
    reader = Reader()
    reader.feed(body.decode(charset, "replace"))
    reader.close()
print("PAGES %d SECONDS %.3f" % (count, time.perf_counter() - start), flush=True)
