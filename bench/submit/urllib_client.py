"""The peer of the IndexNow benchmark: a plain Python client that posts the
same batches as the program (N page addresses in JSON POSTs of at most 10,000
URLs) with urllib, and prints the milliseconds it took.

Usage: urllib_client.py ENDPOINT HOST KEY ROOT PAGES
"""
import json
import sys
import time
import urllib.request


def main():
    endpoint, host, key, root, pages = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4], \
        int(sys.argv[5])
    urls = ["%sp/%d.htm" % (root, i) for i in range(pages)]
    start = time.perf_counter()
    for at in range(0, len(urls), 10000):
        body = json.dumps({"host": host, "key": key, "urlList": urls[at:at + 10000]})
        request = urllib.request.Request(
            endpoint, data=body.encode("utf-8"), method="POST",
            headers={"Content-Type": "application/json; charset=utf-8"})
        with urllib.request.urlopen(request, timeout=60) as answer:
            answer.read()
            if answer.status != 200:
                sys.exit("answered %d" % answer.status)
    print("%.3f" % ((time.perf_counter() - start) * 1000.0), flush=True)


if __name__ == "__main__":
    main()
