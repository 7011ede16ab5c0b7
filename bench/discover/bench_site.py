"""The site of the discovery benchmark, on the loopback address: a robots.txt
whose Sitemap line names an index of 20 gzip sitemaps of 50,000 URLs each
(1,000,000 addresses, each with its <lastmod>), built in memory at the start.

Usage: bench_site.py [LIFETIME_SECONDS]
Prints "PORT <n>" once the files are ready. Stops by itself after
LIFETIME_SECONDS (default 1800).
"""
import gzip
import http.server
import sys
import threading

FILES, URLS = 20, 50000
LIFETIME = float(sys.argv[1]) if len(sys.argv) > 1 else 1800
NS = 'xmlns="http://www.sitemaps.org/schemas/sitemap/0.9"'
BODIES = {}


def build(origin):
    BODIES["/robots.txt"] = ("text/plain", ("User-agent: *\nDisallow: /private/\n\n"
                                            "Sitemap: %s/sitemap_index.xml\n" % origin).encode())
    index = ['<?xml version="1.0" encoding="UTF-8"?>\n<sitemapindex %s>\n' % NS]
    for f in range(FILES):
        name = "/sitemaps/pages-%02d.xml.gz" % f
        index.append("<sitemap><loc>%s%s</loc><lastmod>2024-03-01</lastmod></sitemap>\n"
                     % (origin, name))
        parts = ['<?xml version="1.0" encoding="UTF-8"?>\n<urlset %s>\n' % NS]
        for i in range(URLS):
            n = f * URLS + i
            parts.append("<url><loc>%s/section-%d/page-%d.html</loc>"
                         "<lastmod>2024-%02d-%02dT10:%02d:00+00:00</lastmod></url>\n"
                         % (origin, n % 100, n, n % 12 + 1, n % 28 + 1, n % 60))
        parts.append("</urlset>\n")
        BODIES[name] = ("application/gzip", gzip.compress("".join(parts).encode(), 6))
    index.append("</sitemapindex>\n")
    BODIES["/sitemap_index.xml"] = ("application/xml", "".join(index).encode())


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        found = BODIES.get(self.path)
        if found is None:
            self.send_response(404)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        kind, body = found
        self.send_response(200)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


def main():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    build("http://127.0.0.1:%d" % server.server_address[1])
    sys.stdout.write("PORT %d\n" % server.server_address[1])
    sys.stdout.flush()
    threading.Thread(target=server.serve_forever, daemon=True).start()
    threading.Event().wait(LIFETIME)
    server.shutdown()


if __name__ == "__main__":
    main()
