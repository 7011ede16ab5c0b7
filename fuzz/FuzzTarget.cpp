#include "FuzzTarget.h"

#include <cstdio>
#include <cstdlib>

namespace fd::fuzz {

namespace {
bool throwOnFailure = false;
}

const std::vector<Target>& targets() {
    static const std::vector<Target> all = {
        {"jet_sql", jetSql},
        {"page_list", pageList},
        {"page_meta", pageMeta},
        {"query_template", queryTemplate},
        {"sitemap_url", sitemapUrl},
        {"sitemap_xml", sitemapXml},
        {"sitemap_reader", sitemapReader},
        {"robots_txt", robotsTxt},
        {"html_page", htmlPage},
        {"indexnow_answer", indexNowAnswer},
        {"update_answer", updateAnswer},
    };
    return all;
}

const Target* findTarget(std::string_view name) {
    for (const Target& t : targets())
        if (name == t.name) return &t;
    return nullptr;
}

void setThrowOnFailure(bool enabled) {
    throwOnFailure = enabled;
}

void fail(const std::string& what) {
    if (throwOnFailure) throw OracleFailure{what};
    std::fprintf(stderr, "oracle failed: %s\n", what.c_str());
    std::abort();
}

QString inputText(const std::uint8_t* data, std::size_t size) {
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        QString text;
        text.resize(qsizetype((size - 2) / 2));
        for (qsizetype i = 0; i < text.size(); ++i)
            text[i] = QChar(char16_t(data[2 + 2 * i] | (data[3 + 2 * i] << 8)));
        return text;
    }
    return QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
}

std::vector<QString> fields(const QString& text, QChar separator) {
    std::vector<QString> out;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(separator, from);
        if (at < 0) {
            out.push_back(text.mid(from));
            return out;
        }
        out.push_back(text.mid(from, at - from));
        from = at + 1;
    }
}

}  // namespace fd::fuzz
