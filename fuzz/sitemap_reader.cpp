// The reader of a site's sitemaps and feeds, fed a file as a server sends it
// (gzip or not). Oracles: what is read does not depend on how the bytes
// arrive (all at once, in small pieces, byte by byte for short files); every
// address handed on is trimmed and not empty, and their count is the
// reader's; a failure says why, a success never does; a file that holds a
// document type declaration where XML begins is never read.
#include <string>
#include <vector>

#include "FuzzTarget.h"
#include "sitemap/SitemapReader.h"

namespace fd::fuzz {

namespace {

struct Reading {
    bool ok = false;
    SitemapKind kind = SitemapKind::Unknown;
    std::vector<std::string> entries;
    QString error;
    qint64 counted = 0;
};

Reading readInPieces(const std::uint8_t* data, std::size_t size, std::size_t piece) {
    Reading r;
    SitemapReader reader(
        [&](std::string_view address, std::string_view date) {
            r.entries.emplace_back(address);
            r.entries.back() += '\t';
            r.entries.back() += date;
            check(!address.empty(), "an empty address was handed on");
            for (std::string_view part : {address, date}) {
                if (part.empty()) continue;
                const char a = part.front(), b = part.back();
                check(a != ' ' && a != '\t' && a != '\n' && a != '\r' && b != ' ' && b != '\t' &&
                          b != '\n' && b != '\r',
                      "an address or date was not trimmed");
            }
        },
        1 << 20);
    bool ok = true;
    for (std::size_t i = 0; ok && i < size; i += piece)
        ok = reader.feed(reinterpret_cast<const char*>(data) + i,
                         qsizetype(std::min(piece, size - i)));
    r.ok = ok && reader.finish();
    r.kind = reader.kind();
    r.error = reader.error();
    r.counted = reader.entries();
    return r;
}

}  // namespace

void sitemapReader(const std::uint8_t* data, std::size_t size) {
    const Reading whole = readInPieces(data, size, std::max<std::size_t>(size, 1));
    check(whole.ok == whole.error.isEmpty(), "a failure without a reason, or a reason without one");
    check(whole.counted == qint64(whole.entries.size()), "the count of addresses is not theirs");
    for (std::size_t piece : {std::size_t(7), std::size_t(size <= 4096 ? 1 : 4096)}) {
        const Reading parts = readInPieces(data, size, piece);
        check(parts.ok == whole.ok, "reading in pieces succeeds or fails otherwise");
        check(parts.kind == whole.kind, "reading in pieces finds another kind of file");
        check(parts.entries == whole.entries, "reading in pieces gives other addresses");
    }
    // Plain XML beginning with a document type declaration (after its XML
    // declaration) is refused.
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (text.rfind("<?xml", 0) == 0) {
        const std::size_t end = text.find("?>");
        std::size_t next = end == std::string_view::npos ? end : end + 2;
        while (next < text.size() && (text[next] == ' ' || text[next] == '\n')) ++next;
        if (next != std::string_view::npos && text.substr(next).rfind("<!DOCTYPE", 0) == 0)
            check(!whole.ok && whole.entries.empty(), "a document type declaration was read");
    }
}

}  // namespace fd::fuzz
