"""The benchmark's site: COUNT pages of about 30 KB at /p/<n>.html on
127.0.0.1, from a threaded server that answers at once (pages built in
memory beforehand, HTTP/1.1 keep-alive), and a robots.txt that allows all.

Usage: bench_site.py COUNT          serve; prints "PORT <n>" first
       bench_site.py sample         print page 0 to stdout and stop
"""
import http.server
import sys
import threading

WORDS = ("search engine site page index crawler title description content "
         "keyword link anchor heading paragraph list table image caption").split()


def make_page(n):
    nav = "".join("<li><a href='/p/%d.html'>Section %d</a></li>" % ((n + i) % 10000, i)
                  for i in range(40))
    paras = []
    size = 0
    k = n
    while size < 27600:
        words = " ".join(WORDS[(k + j) % len(WORDS)] for j in range(60))
        p = ("<p class='body-text'>%s <a href='/p/%d.html'>read more</a> "
             "<em>%s</em>.</p>\n") % (words, (k * 7) % 10000, WORDS[k % len(WORDS)])
        paras.append(p)
        size += len(p)
        k += 1
    return ("<!DOCTYPE html>\n<html lang='en'><head><meta charset='utf-8'>"
            "<title>Page %d of the benchmark site</title>"
            "<meta name='description' content='Page %d: what the benchmark site says here.'>"
            "<meta name='keywords' content='bench, page %d'>"
            "<meta name='viewport' content='width=device-width, initial-scale=1'>"
            "<meta property='og:title' content='Page %d'>"
            "<link rel='canonical' href='/p/%d.html'><link rel='stylesheet' href='/s.css'>"
            "<script>window.dataLayer = window.dataLayer || []; function g(){}</script>"
            "</head><body><header><nav><ul>%s</ul></nav></header>"
            "<main><article><h1>Page %d</h1>%s</article></main>"
            "<footer><p>Footer text &copy; 2026</p></footer></body></html>\n"
            % (n, n, n, n, n, nav, n, "".join(paras))).encode("utf-8")


if sys.argv[1] == "sample":
    sys.stdout.buffer.write(make_page(0))
    sys.exit(0)

COUNT = int(sys.argv[1])
PAGES = [make_page(i) for i in range(COUNT)]


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    # Headers and body go out as separate writes: without this, Nagle's
    # algorithm holds the body back until the client acknowledges the headers.
    disable_nagle_algorithm = True

    def log_message(self, *args):
        pass

    def do_GET(self):
        body = b"User-agent: *\nAllow: /\n"
        ctype = "text/plain"
        if self.path.startswith("/p/"):
            try:
                body = PAGES[int(self.path[3:].split(".")[0])]
                ctype = "text/html; charset=utf-8"
            except (ValueError, IndexError):
                self.send_error(404)
                return
        self.send_response(200)
        self.send_header("Content-Type", ctype)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    request_queue_size = 128


server = Server(("127.0.0.1", 0), Handler)
print("PORT %d" % server.server_address[1], flush=True)
server.serve_forever()
