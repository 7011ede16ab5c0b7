// The plain reader against libgumbo's HTML5 parser: on markup of every kind
// each page is either read alike by both or handed to the parser, and on a
// real documentation site (Debian's Python manual, served as files) the
// plain reader reads nearly every page, each exactly as the parser does.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>

#include "audit/PageReader.h"
#include "audit/PlainHtml.h"

using namespace fd::audit;

namespace {

// Everything the audit keeps of a page, as one text.
std::string describe(const PageContent& p) {
    QStringList out;
    out << "title " + QString::number(p.hasTitle) + " [" + p.title + "] x" +
               QString::number(p.checks.titleCount);
    out << "description " + QString::number(p.hasDescription) + " [" + p.description + "]";
    out << "keywords [" + p.keywords + "] robots [" + p.robots + "] author [" + p.author +
               "] revisit [" + p.revisit + "]";
    out << "canonical [" + p.canonical + "] x" + QString::number(p.checks.canonicalCount) +
               " body " + QString::number(p.checks.canonicalInBody) + " written [" +
               p.checks.canonicalWritten + "]";
    out << "h1 " + QString::number(p.h1Count) + " [" + p.h1Text + "]";
    out << "lang " + QString::number(p.checks.hasLang) + " [" + p.lang + "]";
    for (const MetaTag& m : p.metas) out << "meta " + m.attribute + "=" + m.name + ": " + m.content;
    out << "metas in body " + QString::number(p.checks.metasInBody) + " " +
               p.checks.metasInBodyNamed.join(u',');
    out << "viewport " + QString::number(p.checks.hasViewport) + " og " +
               QString::number(p.checks.hasOgTitle) + QString::number(p.checks.hasOgDescription);
    for (const QString& l : p.links) out << "link " + l;
    for (const PageLink& l : p.linkRecords)
        out << "record " + l.element + " " + l.target + " rel [" + l.rel + "] [" + l.anchor + "]";
    for (const Alternate& a : p.checks.alternates) out << "alternate " + a.hreflang + " " + a.url;
    out << "images without alt " + QString::number(p.checks.imagesWithoutAlt) + " " +
               p.checks.imagesWithoutAltNamed.join(u',');
    out << "mixed " + QString::number(p.checks.mixedContent) + " " +
               p.checks.mixedContentNamed.join(u',');
    out << "words " + QString::number(p.checks.words) + " hash " +
               QString::number(p.checks.textHash);
    out << "json-ld " + QString::number(p.checks.jsonLd) + " " + p.checks.jsonLdProblems.join(u';');
    return out.join(u'\n').toStdString();
}

PageReadOptions everything(bool fullParser) {
    PageReadOptions o;
    o.links = true;
    o.linkRecords = true;
    o.fullParser = fullParser;
    return o;
}

// Reads body both ways; true when the plain reader read it (and then read
// it as the parser does).
bool readAlike(const QByteArray& body, const QString& url, const std::string& label) {
    const QString type = QStringLiteral("text/html; charset=utf-8");
    const PageContent plain = readPage(body, type, url, everything(false));
    const PageContent full = readPage(body, type, url, everything(true));
    EXPECT_FALSE(full.plainRead);
    EXPECT_EQ(describe(plain), describe(full)) << label;
    return plain.plainRead;
}

}  // namespace

TEST(PlainReader, ReadsEachPageAsTheHtml5ParserOrLeavesItToIt) {
    struct Case {
        const char* markup;
        bool plain;  // whether the plain reader reads it
    };
    const Case cases[] = {
        // Omitted tags, the head closed by text or by a body element.
        {"<title>T</title><meta name=description content=d><p>one<p>two<li>x<li>y", true},
        {"<!DOCTYPE html><html lang=en><head><title>T</title></head> <meta name=late>"
         "<body><h1>A <b>b</b></h1><meta name=in-body content=c></body></html>",
         true},
        {"<title>t</title>hello<meta name=description content=after-text>", true},
        {"<head></head><meta name=description content=kept-in-head><link rel=canonical href=/c>",
         true},
        {"<p>a</p><html lang=fr>", false},  // a second <html> lends its attributes
        {"<html><html>", true},
        // Text inside <title> and <textarea> is text; scripts and styles are raw.
        {"<title>a <b>x</b> &amp; &lt; &copy; &#169; &#xA9;</title>", true},
        {"<title>&copy 2026 &notit &ampx</title>", true},
        {"<title>&notit;</title>", false},  // a name the HTML table may hold
        {"<a href='?a=1&copy=2&lang=en&amp;b&c'>q</a>", true},
        {"<a href='x&copy y'>q</a>", true},
        {"<title>&COPY; &Copy;</title>", false},
        {"<title>&rarrw; &lang;</title>", false},  // names the plain reader cannot decode
        {"<title>&#150;</title>", false},          // a C1 reference maps to windows-1252
        {"<script>if (a</b) {}</script><style>p</p>{}</style><h1>s</h1>", true},
        {"<script><!-- document.write('<script>x</script>') --></script><h1>e</h1>", false},
        {"<textarea>\n<b>x</b></textarea><pre>\nline</pre>", true},
        // Comments, odd tag openers, bogus comments.
        {"<!--><h1>a</h1><!---><!-- x --!><!-- y -- z --><h1>b</h1>", true},
        {"a < b <3 </ x> <? pi > <!x> </> c<h1>d</h1>", true},
        {"<a href=x title=\"q\"id=z>t</a><A HREF='UP'>U</A><a href = 'sp' >s</a>", true},
        // Headings, lists, forms, buttons.
        {"<h1>a<h1>b</h1><h2>c</h3>d<p><h1>e</h1>", true},
        {"<ul><li>a<ul><li>b</ul><li>c</ul><dl><dt>t<dd>d<dt>u</dl>", true},
        {"<form><form><h1>f</h1></form></form><button><h1>x</h1></button>", true},
        {"<button><button>", false},
        // Formatting elements: closed where opened, or left to the parser.
        {"<p><b>bold <i>both</i></b> <a href=l>link</a></p>", true},
        {"<b><i>x</b></i>", false},
        {"<p><a href=x>l<p>m</a>", false},
        {"<a href=1>one<a href=2>two</a>", false},
        {"<div><a href=x>t</div>y", false},
        {"<p><b>x<p>y", false},
        // Tables of rows and cells, with omitted end tags.
        {"<table><tr><td>a<td><b>b</b><tr><th>c</table><h1>after</h1>", true},
        {"<table><caption>c</caption><colgroup><col><col></colgroup><thead><tr><td>h"
         "<tbody><tr><td><a href=t>in cell</a></td></tr></tbody></table>",
         true},
        {"<table><td><font>x</td></table>", true},
        {"<table><h1>x</h1><tr><td>y</table>", false},  // moved out of the table
        {"<table>text<tr><td>y</table>", false},
        {"<p>para<table><tr><td>y</table>", false},  // depends on the quirks mode
        {"<h1>caf\x9a</h1>", false},                // not UTF-8: the parser reads U+FFFD
        {"<meta name=a name=b content=c>", false},  // libgumbo loses content=c
        {"<meta content=c name=a name=b>", true},
        // Custom elements closed by their own names; an unknown end tag inside
        // another unknown element (libgumbo closes it, the browser does not).
        {"<x-card><x-title>t</x-title> words</x-card>", true},
        {"<x-a>one</x-b>two", false},
        // What the plain reader leaves to the parser.
        // SVG and MathML: their text counts, their elements are none of the page's.
        {"<svg viewBox='0 0 1 1'><title>s</title><style>.a{}</style><path d=x/><a href=no>i</a>"
         "</svg><title>t</title><math><mi>x</mi></math>",
         true},
        {"<svg><p>breaks out</svg>", false},
        {"<svg><foreignObject><meta name=keywords content=k></foreignObject></svg>", false},
        {"<template><meta name=x></template>", false},
        {"<select><option>a</select>", false},
        {"<frameset><frame src=x></frameset>", false},
        {"<plaintext><h1>", false},
        // Pages of every kind of link, meta and check.
        {"<html lang=de-AT><head><base href='/docs/'><title>T</title><title>U</title>"
         "<meta name=viewport content=w><meta property=og:title content=o>"
         "<link rel=alternate hreflang=de href='de.html'><link rel=alternate hreflang=x-default "
         "href='/'><link rel='stylesheet' href='http://cdn/s.css'>"
         "<script type=application/ld+json>{\"@context\":\"https://schema.org\"}</script>"
         "</head><body><img src=a.png><img src=b.png alt=''><iframe src='http://f/'></iframe>"
         "<link rel=canonical href=body.html><a href='one.html' rel=nofollow>One</a>"
         "<script src=http://s/x.js></script></body></html>",
         true},
    };
    for (const Case& c : cases) {
        const QByteArray body(c.markup);
        EXPECT_EQ(readAlike(body, QStringLiteral("https://h/x/"), c.markup), c.plain) << c.markup;
    }
    // A NUL character sends the page to the parser.
    EXPECT_FALSE(readAlike(QByteArray("<h1>x\0y</h1>", 12), QStringLiteral("http://h/"), "nul"));
}

TEST(PlainReader, ReadsARealDocumentationSiteAsTheHtml5Parser) {
    const QString root = QStringLiteral("/usr/share/doc/python3.11/html");
    if (!QFile::exists(root + QStringLiteral("/index.html")))
        GTEST_SKIP() << "python3.11-doc is not installed (scripts/install-deps installs it)";
    int pages = 0, plain = 0;
    QStringList left;
    QDirIterator it(root, {QStringLiteral("*.html")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        ++pages;
        if (readAlike(f.readAll(), QStringLiteral("https://docs.example") + path.mid(root.size()),
                      path.toStdString()))
            ++plain;
        else {
            f.seek(0);
            struct Ignore : HtmlSink {
                void startElement(GumboTag, std::span<const HtmlAttribute>, bool) override {}
                void endElement(GumboTag) override {}
                void text(std::string_view) override {}
            } ignore;
            const QByteArray bytes = f.readAll();
            const char* why = nullptr;
            readPlainHtml(std::string_view(bytes.constData(), std::size_t(bytes.size())), ignore,
                          &why);
            left << path + QStringLiteral(": ") + QString::fromUtf8(why ? why : "?");
        }
    }
    EXPECT_GT(pages, 500);
    // Nearly every page is plain markup.
    EXPECT_GE(plain, pages * 95 / 100) << left.mid(0, 10).join(u'\n').toStdString();
}
