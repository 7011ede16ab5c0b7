#include "PlainHtml.h"

#include <libxml/HTMLparser.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace fd::audit {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}
bool isAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isAlnum(char c) {
    return isAlpha(c) || isDigit(c);
}
char lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c + 32) : c;
}

bool anyOf(GumboTag t, std::initializer_list<GumboTag> tags) {
    for (GumboTag x : tags)
        if (x == t) return true;
    return false;
}

bool isHeading(GumboTag t) {
    return t >= GUMBO_TAG_H1 && t <= GUMBO_TAG_H6;
}

bool isFormatting(GumboTag t) {
    return anyOf(t, {GUMBO_TAG_A, GUMBO_TAG_B, GUMBO_TAG_BIG, GUMBO_TAG_CODE, GUMBO_TAG_EM,
                     GUMBO_TAG_FONT, GUMBO_TAG_I, GUMBO_TAG_NOBR, GUMBO_TAG_S, GUMBO_TAG_SMALL,
                     GUMBO_TAG_STRIKE, GUMBO_TAG_STRONG, GUMBO_TAG_TT, GUMBO_TAG_U});
}

// The elements after which the list of active formatting elements holds a
// marker: formatting elements opened inside them never reach beyond them.
bool isMarker(GumboTag t) {
    return anyOf(t, {GUMBO_TAG_TD, GUMBO_TAG_TH, GUMBO_TAG_CAPTION, GUMBO_TAG_APPLET,
                     GUMBO_TAG_MARQUEE, GUMBO_TAG_OBJECT, GUMBO_TAG_TEMPLATE, GUMBO_TAG_HTML});
}

// The "special" category of the HTML parser.
bool isSpecial(GumboTag t) {
    switch (t) {
        case GUMBO_TAG_ADDRESS:
        case GUMBO_TAG_APPLET:
        case GUMBO_TAG_AREA:
        case GUMBO_TAG_ARTICLE:
        case GUMBO_TAG_ASIDE:
        case GUMBO_TAG_BASE:
        case GUMBO_TAG_BASEFONT:
        case GUMBO_TAG_BGSOUND:
        case GUMBO_TAG_BLOCKQUOTE:
        case GUMBO_TAG_BODY:
        case GUMBO_TAG_BR:
        case GUMBO_TAG_BUTTON:
        case GUMBO_TAG_CAPTION:
        case GUMBO_TAG_CENTER:
        case GUMBO_TAG_COL:
        case GUMBO_TAG_COLGROUP:
        case GUMBO_TAG_MENUITEM:
        case GUMBO_TAG_DD:
        case GUMBO_TAG_DETAILS:
        case GUMBO_TAG_DIR:
        case GUMBO_TAG_DIV:
        case GUMBO_TAG_DL:
        case GUMBO_TAG_DT:
        case GUMBO_TAG_EMBED:
        case GUMBO_TAG_FIELDSET:
        case GUMBO_TAG_FIGCAPTION:
        case GUMBO_TAG_FIGURE:
        case GUMBO_TAG_FOOTER:
        case GUMBO_TAG_FORM:
        case GUMBO_TAG_FRAME:
        case GUMBO_TAG_FRAMESET:
        case GUMBO_TAG_H1:
        case GUMBO_TAG_H2:
        case GUMBO_TAG_H3:
        case GUMBO_TAG_H4:
        case GUMBO_TAG_H5:
        case GUMBO_TAG_H6:
        case GUMBO_TAG_HEAD:
        case GUMBO_TAG_HEADER:
        case GUMBO_TAG_HGROUP:
        case GUMBO_TAG_HR:
        case GUMBO_TAG_HTML:
        case GUMBO_TAG_IFRAME:
        case GUMBO_TAG_IMG:
        case GUMBO_TAG_INPUT:
        case GUMBO_TAG_ISINDEX:
        case GUMBO_TAG_LI:
        case GUMBO_TAG_LINK:
        case GUMBO_TAG_LISTING:
        case GUMBO_TAG_MARQUEE:
        case GUMBO_TAG_MENU:
        case GUMBO_TAG_META:
        case GUMBO_TAG_NAV:
        case GUMBO_TAG_NOEMBED:
        case GUMBO_TAG_NOFRAMES:
        case GUMBO_TAG_NOSCRIPT:
        case GUMBO_TAG_OBJECT:
        case GUMBO_TAG_OL:
        case GUMBO_TAG_P:
        case GUMBO_TAG_PARAM:
        case GUMBO_TAG_PLAINTEXT:
        case GUMBO_TAG_PRE:
        case GUMBO_TAG_SCRIPT:
        case GUMBO_TAG_SECTION:
        case GUMBO_TAG_SELECT:
        case GUMBO_TAG_STYLE:
        case GUMBO_TAG_SUMMARY:
        case GUMBO_TAG_TABLE:
        case GUMBO_TAG_TBODY:
        case GUMBO_TAG_TD:
        case GUMBO_TAG_TEMPLATE:
        case GUMBO_TAG_TEXTAREA:
        case GUMBO_TAG_TFOOT:
        case GUMBO_TAG_TH:
        case GUMBO_TAG_THEAD:
        case GUMBO_TAG_TITLE:
        case GUMBO_TAG_TR:
        case GUMBO_TAG_UL:
        case GUMBO_TAG_WBR:
        case GUMBO_TAG_XMP:
            return true;
        default:
            return false;
    }
}

// Elements whose end tag the parser supplies by itself.
bool hasImpliedEnd(GumboTag t) {
    return anyOf(t, {GUMBO_TAG_DD, GUMBO_TAG_DT, GUMBO_TAG_LI, GUMBO_TAG_OPTION, GUMBO_TAG_OPTGROUP,
                     GUMBO_TAG_P, GUMBO_TAG_RB, GUMBO_TAG_RP, GUMBO_TAG_RT, GUMBO_TAG_RTC});
}

// Start tags that close an open <p> and then open their element.
bool closesParagraph(GumboTag t) {
    return anyOf(t,
                 {GUMBO_TAG_ADDRESS, GUMBO_TAG_ARTICLE,  GUMBO_TAG_ASIDE,      GUMBO_TAG_BLOCKQUOTE,
                  GUMBO_TAG_CENTER,  GUMBO_TAG_DETAILS,  GUMBO_TAG_DIR,        GUMBO_TAG_DIV,
                  GUMBO_TAG_DL,      GUMBO_TAG_FIELDSET, GUMBO_TAG_FIGCAPTION, GUMBO_TAG_FIGURE,
                  GUMBO_TAG_FOOTER,  GUMBO_TAG_HEADER,   GUMBO_TAG_HGROUP,     GUMBO_TAG_MENU,
                  GUMBO_TAG_MAIN,    GUMBO_TAG_NAV,      GUMBO_TAG_OL,         GUMBO_TAG_P,
                  GUMBO_TAG_SECTION, GUMBO_TAG_SUMMARY,  GUMBO_TAG_UL});
}

// End tags of blocks: they close their element when it is in scope.
bool isBlockEnd(GumboTag t) {
    return anyOf(t, {GUMBO_TAG_ADDRESS, GUMBO_TAG_ARTICLE, GUMBO_TAG_ASIDE,    GUMBO_TAG_BLOCKQUOTE,
                     GUMBO_TAG_BUTTON,  GUMBO_TAG_CENTER,  GUMBO_TAG_DETAILS,  GUMBO_TAG_DIR,
                     GUMBO_TAG_DIV,     GUMBO_TAG_DL,      GUMBO_TAG_FIELDSET, GUMBO_TAG_FIGCAPTION,
                     GUMBO_TAG_FIGURE,  GUMBO_TAG_FOOTER,  GUMBO_TAG_HEADER,   GUMBO_TAG_HGROUP,
                     GUMBO_TAG_LISTING, GUMBO_TAG_MAIN,    GUMBO_TAG_MENU,     GUMBO_TAG_NAV,
                     GUMBO_TAG_OL,      GUMBO_TAG_PRE,     GUMBO_TAG_SECTION,  GUMBO_TAG_SUMMARY,
                     GUMBO_TAG_UL});
}

bool isTablePart(GumboTag t) {
    return anyOf(t, {GUMBO_TAG_CAPTION, GUMBO_TAG_COL, GUMBO_TAG_COLGROUP, GUMBO_TAG_TBODY,
                     GUMBO_TAG_TD, GUMBO_TAG_TFOOT, GUMBO_TAG_TH, GUMBO_TAG_THEAD, GUMBO_TAG_TR});
}

bool isVoidInBody(GumboTag t) {
    return anyOf(
        t, {GUMBO_TAG_AREA, GUMBO_TAG_BR, GUMBO_TAG_EMBED, GUMBO_TAG_IMG, GUMBO_TAG_KEYGEN,
            GUMBO_TAG_WBR, GUMBO_TAG_INPUT, GUMBO_TAG_PARAM, GUMBO_TAG_SOURCE, GUMBO_TAG_TRACK});
}

// Names of the character references the HTML parser also reads without
// their ";" (the Latin-1 ones and amp, lt, gt, quot), from libxml2's table
// of HTML entities; the upper-case forms some of them also have are not
// decoded here (the page goes to the full parser).
class LegacyReferences {
public:
    LegacyReferences() {
        auto add = [this](unsigned value) {
            if (const htmlEntityDesc* e = htmlEntityValueLookup(value))
                names_.push_back(reinterpret_cast<const char*>(e->name));
        };
        for (unsigned v : {34u, 38u, 60u, 62u}) add(v);
        for (unsigned v = 0xA0; v <= 0xFF; ++v) add(v);
    }
    // The longest name that begins run exactly; 0 when none. Sets *unsure
    // when run begins with the upper-case form of a lower-case name (some of
    // those are read without ";" too, and the table does not say which).
    std::size_t longestPrefix(std::string_view run, bool* unsure) const {
        std::size_t best = 0;
        for (const char* name : names_) {
            const std::size_t len = std::strlen(name);
            if (len > run.size()) continue;
            if (std::memcmp(name, run.data(), len) == 0) best = std::max(best, len);
            bool upper = true;
            for (std::size_t k = 0; k < len && upper; ++k)
                upper = name[k] >= 'a' && name[k] <= 'z' && run[k] == char(name[k] - 32);
            if (upper) *unsure = true;
        }
        return best;
    }
    unsigned value(std::string_view name) const {
        const std::string z(name);
        const htmlEntityDesc* e = htmlEntityLookup(reinterpret_cast<const xmlChar*>(z.c_str()));
        return e ? e->value : 0;
    }

private:
    std::vector<const char*> names_;
};

const LegacyReferences& legacy() {
    static const LegacyReferences refs;
    return refs;
}

void appendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// Whether utf8 holds characters the HTML parser replaces or drops: C0
// controls other than TAB, LF and FF (NUL among them), DEL and C1 controls,
// the noncharacters (U+FDD0 to U+FDEF, and U+xFFFE, U+xFFFF), and bytes
// that are not UTF-8.
bool hasControls(std::string_view utf8) {
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const std::size_t n = utf8.size();
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char c = p[i];
        if (c < 0x20) {
            if (c != '\t' && c != '\n' && c != '\f') return true;
        } else if (c == 0x7F) {
            return true;
        } else if (c == 0xC2) {
            if (i + 1 < n && p[i + 1] >= 0x80 && p[i + 1] <= 0x9F) return true;
        } else if (c == 0xEF) {
            if (i + 2 < n && ((p[i + 1] == 0xB7 && p[i + 2] >= 0x90 && p[i + 2] <= 0xAF) ||
                              (p[i + 1] == 0xBF && p[i + 2] >= 0xBE)))
                return true;
        } else if (c >= 0xF0) {
            // U+xFFFE and U+xFFFF of the other planes: xx 8F/9F/AF/BF BF BE-BF.
            if (i + 3 < n && (p[i + 1] & 0x0F) == 0x0F && p[i + 2] == 0xBF && p[i + 3] >= 0xBE)
                return true;
        }
        if (c >= 0x80) {
            // Bytes that are not UTF-8 (the parser reads each as U+FFFD).
            const std::size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
            if (len == 0 || c > 0xF4 || i + len > n) return true;
            for (std::size_t k = 1; k < len; ++k)
                if ((p[i + k] & 0xC0) != 0x80) return true;
            const unsigned second = p[i + 1];
            if ((c == 0xE0 && second < 0xA0) || (c == 0xED && second >= 0xA0) ||
                (c == 0xF0 && second < 0x90) || (c == 0xF4 && second >= 0x90))
                return true;
            i += len - 1;
        }
    }
    return false;
}

enum class Mode {
    Initial,  // before the head (initial, before html, before head)
    InHead,
    AfterHead,
    InBody,
    InTable,
    InTableBody,
    InRow,
    InCell,
    InCaption,
    InColumnGroup,
};

enum class Raw { None, RcData, RawText, Script };

struct Open {
    GumboTag tag;
    std::string name;      // for tags the parser does not know, and in SVG and MathML
    bool foreign = false;  // an element of SVG or MathML
};

struct Token {
    bool end = false;
    GumboTag tag = GUMBO_TAG_UNKNOWN;
    std::string_view name;
    bool selfClosing = false;
    std::span<const HtmlAttribute> attributes;
};

class Plain {
public:
    Plain(std::string_view s, HtmlSink& sink) : s_(s), sink_(sink) {}

    bool run() {
        if (hasControls(s_)) {
            why_ = "a control character, a noncharacter or a byte that is not UTF-8";
            return false;
        }
        const std::size_t n = s_.size();
        while (!failed_ && i_ < n) {
            if (s_[i_] == '<' && startsMarkup()) {
                markup();
            } else {
                textRun();
            }
        }
        if (failed_) return false;
        ensureHtml();
        while (!stack_.empty()) popOne();
        return !failed_;
    }

private:
    // ----- tokenizer

    bool startsMarkup() const {
        if (i_ + 1 >= s_.size()) return false;
        const char c = s_[i_ + 1];
        return isAlpha(c) || c == '/' || c == '!' || c == '?';
    }

    void markup() {
        const std::size_t n = s_.size();
        const char c = s_[i_ + 1];
        if (c == '!') {
            if (s_.compare(i_, 4, "<!--") == 0) return comment();
            if (foreign_ > 0) return fail("a declaration inside SVG or MathML");
            // <!DOCTYPE ...>, <![CDATA[...]]> outside foreign content and
            // other declarations: up to the first ">".
            skipPast('>', i_ + 2);
            return;
        }
        if (c == '?') return skipPast('>', i_ + 2);
        if (c == '/') {
            if (i_ + 2 >= n) {
                text("</");
                i_ = n;
                return;
            }
            const char d = s_[i_ + 2];
            if (d == '>') {
                i_ += 3;
                return;
            }
            if (!isAlpha(d)) return skipPast('>', i_ + 2);
            return tag(true);
        }
        tag(false);
    }

    void skipPast(char c, std::size_t from) {
        const std::size_t at = s_.find(c, from);
        i_ = at == std::string_view::npos ? s_.size() : at + 1;
    }

    void comment() {
        const std::size_t n = s_.size();
        std::size_t j = i_ + 4;
        if (j < n && s_[j] == '>') {
            i_ = j + 1;
            return;
        }
        if (j + 1 < n && s_[j] == '-' && s_[j + 1] == '>') {
            i_ = j + 2;
            return;
        }
        while (true) {
            const std::size_t k = s_.find("--", j);
            if (k == std::string_view::npos) {
                i_ = n;
                return;
            }
            std::size_t m = k + 2;
            while (m < n && s_[m] == '-') ++m;
            if (m < n && s_[m] == '>') {
                i_ = m + 1;
                return;
            }
            if (m + 1 < n && s_[m] == '!' && s_[m + 1] == '>') {
                i_ = m + 2;
                return;
            }
            j = (m < n && s_[m] == '!') ? m + 1 : m;
        }
    }

    // A character reference at s_[at] == '&', appended to out; returns the
    // index after what was consumed.
    std::size_t reference(std::size_t at, std::string& out, bool inAttribute) {
        const std::size_t n = s_.size();
        std::size_t j = at + 1;
        if (j < n && s_[j] == '#') {
            ++j;
            const bool hex = j < n && (s_[j] == 'x' || s_[j] == 'X');
            if (hex) ++j;
            const std::size_t digits = j;
            unsigned long value = 0;
            while (j < n &&
                   (hex ? std::isxdigit(static_cast<unsigned char>(s_[j])) : isDigit(s_[j]))) {
                if (j - digits >= 8) return fail("a long numeric character reference"), n;
                const char d = lower(s_[j]);
                value = value * (hex ? 16 : 10) + unsigned(isDigit(d) ? d - '0' : d - 'a' + 10);
                ++j;
            }
            if (j == digits) {  // no digits: the text as it stands
                out.append(s_.substr(at, j - at));
                return j;
            }
            if (j < n && s_[j] == ';') ++j;
            if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
                value = 0xFFFD;
            } else if ((value < 0x20 && value != '\t' && value != '\n' && value != '\f') ||
                       (value >= 0x7F && value <= 0x9F) || (value >= 0xFDD0 && value <= 0xFDEF) ||
                       (value & 0xFFFE) == 0xFFFE) {
                fail("a character reference the parser maps");  // mapped or reported specially by
                                                                // the parser
                return n;
            }
            appendUtf8(out, unsigned(value));
            return j;
        }
        std::size_t end = j;
        while (end < n && isAlnum(s_[end])) ++end;
        if (end == j) {
            out += '&';
            return j;
        }
        const std::string_view run = s_.substr(j, end - j);
        if (end < n && s_[end] == ';') {
            const unsigned value = legacy().value(run);
            if (value == 0 || run == "lang" || run == "rang") {
                fail("a character reference name");  // a name the HTML table may know differently
                return n;
            }
            appendUtf8(out, value);
            return end + 1;
        }
        bool unsure = false;
        const std::size_t len = legacy().longestPrefix(run, &unsure);
        if (unsure) {
            fail("an upper-case character reference");
            return n;
        }
        if (len == 0) {
            out += '&';
            return j;
        }
        if (inAttribute) {
            const char next = j + len < n ? s_[j + len] : '\0';
            if (isAlnum(next) || next == '=') {
                out += '&';
                return j;
            }
        }
        appendUtf8(out, legacy().value(run.substr(0, len)));
        return j + len;
    }

    void textRun() {
        const std::size_t n = s_.size();
        const std::size_t start = i_;
        std::size_t seg = i_;
        bool decoded = false;
        textBuffer_.clear();
        while (i_ < n && !failed_) {
            const void* lt = std::memchr(s_.data() + i_, '<', n - i_);
            std::size_t stop = lt ? std::size_t(static_cast<const char*>(lt) - s_.data()) : n;
            const void* amp = std::memchr(s_.data() + i_, '&', stop - i_);
            if (amp) {
                const std::size_t at = std::size_t(static_cast<const char*>(amp) - s_.data());
                textBuffer_.append(s_.substr(seg, at - seg));
                i_ = seg = reference(at, textBuffer_, false);
                decoded = true;
                continue;
            }
            i_ = stop;
            if (i_ < n && !startsMarkup()) {
                ++i_;  // a "<" that begins no tag is text
                continue;
            }
            break;
        }
        if (failed_) return;
        if (!decoded) return text(s_.substr(start, i_ - start));
        textBuffer_.append(s_.substr(seg, i_ - seg));
        text(textBuffer_);
    }

    std::string& scratch(std::size_t k) {
        while (pool_.size() <= k) pool_.emplace_back();
        pool_[k].clear();
        return pool_[k];
    }

    // A start or end tag at s_[i_] == '<'.
    void tag(bool end) {
        const std::size_t n = s_.size();
        std::size_t j = i_ + (end ? 2 : 1);
        const std::size_t nameStart = j;
        while (j < n && !isSpace(s_[j]) && s_[j] != '/' && s_[j] != '>') ++j;
        if (j >= n) {  // the end of the page inside a tag: the tag is dropped
            i_ = n;
            return;
        }
        std::size_t used = 0;
        std::string& name = scratch(used++);
        for (std::size_t k = nameStart; k < j; ++k) name += lower(s_[k]);
        attributes_.clear();
        bool selfClosing = false;
        bool repeated = false;
        while (true) {
            while (j < n && isSpace(s_[j])) ++j;
            if (j >= n) {
                i_ = n;
                return;
            }
            if (s_[j] == '>') {
                ++j;
                break;
            }
            if (s_[j] == '/') {
                ++j;
                if (j < n && s_[j] == '>') {
                    selfClosing = true;
                    ++j;
                    break;
                }
                continue;
            }
            const std::size_t an = j++;
            while (j < n && !isSpace(s_[j]) && s_[j] != '/' && s_[j] != '>' && s_[j] != '=') ++j;
            std::string_view attrName = s_.substr(an, j - an);
            if (std::any_of(attrName.begin(), attrName.end(),
                            [](char c) { return c >= 'A' && c <= 'Z'; })) {
                std::string& low = scratch(used++);
                for (char c : attrName) low += lower(c);
                attrName = low;
            }
            while (j < n && isSpace(s_[j])) ++j;
            std::string_view value;
            if (j < n && s_[j] == '=') {
                ++j;
                while (j < n && isSpace(s_[j])) ++j;
                if (j >= n) {
                    i_ = n;
                    return;
                }
                const char q = s_[j];
                if (q == '"' || q == '\'') {
                    const std::size_t close = s_.find(q, j + 1);
                    if (close == std::string_view::npos) {
                        i_ = n;
                        return;
                    }
                    value = attributeValue(j + 1, close, used);
                    j = close + 1;
                } else if (q != '>') {
                    const std::size_t vs = j;
                    while (j < n && !isSpace(s_[j]) && s_[j] != '>') ++j;
                    if (j >= n) {
                        i_ = n;
                        return;
                    }
                    value = attributeValue(vs, j, used);
                }
                if (failed_) return;
            }
            // libgumbo drops the attribute after one named twice; the
            // browser does not.
            if (repeated) return fail("an attribute after one named twice");
            if (!findAttribute(attributes_, attrName))
                attributes_.push_back({attrName, value});
            else
                repeated = true;
        }
        i_ = j;
        Token t;
        t.end = end;
        t.name = name;
        t.selfClosing = selfClosing;
        t.tag = name.size() < 32 ? gumbo_tagn_enum(name.data(), unsigned(name.size()))
                                 : GUMBO_TAG_UNKNOWN;
        t.attributes = attributes_;
        if (end) t.attributes = {};
        process(t);
    }

    std::string_view attributeValue(std::size_t from, std::size_t to, std::size_t& used) {
        const std::string_view raw = s_.substr(from, to - from);
        if (raw.find('&') == std::string_view::npos) return raw;
        std::string& out = scratch(used++);
        std::size_t k = from;
        while (k < to && !failed_) {
            const std::size_t amp = s_.find('&', k);
            if (amp == std::string_view::npos || amp >= to) {
                out.append(s_.substr(k, to - k));
                break;
            }
            out.append(s_.substr(k, amp - k));
            // A reference never reaches past the value's end.
            const std::string_view saved = s_;
            s_ = s_.substr(0, to);
            k = reference(amp, out, true);
            s_ = saved;
        }
        return out;
    }

    // The content of a raw text element up to its end tag, which is then
    // processed.
    void rawContent() {
        const std::size_t n = s_.size();
        const std::string name = stack_.back().name.empty()
                                     ? std::string(gumbo_normalized_tagname(stack_.back().tag))
                                     : stack_.back().name;
        std::size_t end = n, after = n;
        for (std::size_t at = s_.find("</", i_); at != std::string_view::npos;
             at = s_.find("</", at + 2)) {
            const std::size_t k = at + 2 + name.size();
            if (k > n) break;
            bool same = true;
            for (std::size_t m = 0; m < name.size() && same; ++m)
                same = lower(s_[at + 2 + m]) == name[m];
            if (!same || (k < n && !isSpace(s_[k]) && s_[k] != '/' && s_[k] != '>')) continue;
            if (k >= n || s_[k] != '>')
                return fail("an end tag with attributes");  // an end tag with more in it
            end = at;
            after = k + 1;
            break;
        }
        const std::string_view content = s_.substr(i_, end - i_);
        if (raw_ == Raw::Script) {
            // Inside "<!--" a "<script" makes the next "</script>" part of
            // the script: the full parser's work.
            const std::size_t open = content.find("<!--");
            if (open != std::string_view::npos) {
                for (std::size_t at = content.find("<", open + 4); at != std::string_view::npos;
                     at = content.find('<', at + 1)) {
                    if (content.size() - at >= 7) {
                        bool same = true;
                        for (std::size_t m = 0; m < 6 && same; ++m)
                            same = lower(content[at + 1 + m]) == "script"[m];
                        if (same) return fail("a script within a script's comment");
                    }
                }
            }
        }
        std::string_view value = content;
        if (raw_ == Raw::RcData && content.find('&') != std::string_view::npos) {
            textBuffer_.clear();
            std::size_t k = i_;
            const std::string_view saved = s_;
            s_ = s_.substr(0, end);
            while (k < end && !failed_) {
                const std::size_t amp = s_.find('&', k);
                if (amp == std::string_view::npos) {
                    textBuffer_.append(s_.substr(k, end - k));
                    break;
                }
                textBuffer_.append(s_.substr(k, amp - k));
                k = reference(amp, textBuffer_, false);
            }
            s_ = saved;
            if (failed_) return;
            value = textBuffer_;
        }
        if (ignoreLinefeed_ && !value.empty() && value.front() == '\n') value.remove_prefix(1);
        ignoreLinefeed_ = false;
        if (!value.empty()) sink_.text(value);
        raw_ = Raw::None;
        i_ = after;
        popOne();
    }

    // ----- tree

    void fail(const char* why = "markup the plain reader does not build") {
        if (!failed_) why_ = why;
        failed_ = true;
    }

public:
    const char* why() const { return why_; }

private:
    GumboTag current() const { return stack_.empty() ? GUMBO_TAG_UNKNOWN : stack_.back().tag; }

    bool same(const Open& o, GumboTag tag, std::string_view name) const {
        return o.tag == tag && (tag != GUMBO_TAG_UNKNOWN || o.name == name);
    }

    enum class Scope { Default, Button, ListItem, Table };

    bool boundary(GumboTag t, Scope scope) const {
        if (scope == Scope::Table)
            return t == GUMBO_TAG_HTML || t == GUMBO_TAG_TABLE || t == GUMBO_TAG_TEMPLATE;
        if (anyOf(t, {GUMBO_TAG_APPLET, GUMBO_TAG_CAPTION, GUMBO_TAG_HTML, GUMBO_TAG_TABLE,
                      GUMBO_TAG_TD, GUMBO_TAG_TH, GUMBO_TAG_MARQUEE, GUMBO_TAG_OBJECT,
                      GUMBO_TAG_TEMPLATE}))
            return true;
        if (scope == Scope::Button) return t == GUMBO_TAG_BUTTON;
        if (scope == Scope::ListItem) return t == GUMBO_TAG_OL || t == GUMBO_TAG_UL;
        return false;
    }

    bool inScope(std::initializer_list<GumboTag> tags, Scope scope = Scope::Default) const {
        for (std::size_t k = stack_.size(); k-- > 0;) {
            if (anyOf(stack_[k].tag, tags)) return true;
            if (boundary(stack_[k].tag, scope)) return false;
        }
        return false;
    }

    void insert(GumboTag tag, std::string_view name, std::span<const HtmlAttribute> attributes,
                bool inHead = false) {
        sink_.startElement(tag, attributes, inHead || headOpen_);
        stack_.push_back({tag, tag == GUMBO_TAG_UNKNOWN ? std::string(name) : std::string()});
    }

    void insertVoid(GumboTag tag, std::span<const HtmlAttribute> attributes, bool inHead = false) {
        sink_.startElement(tag, attributes, inHead || headOpen_);
        sink_.endElement(tag);
    }

    void insertRaw(const Token& t, Raw raw, bool inHead = false) {
        insert(t.tag, t.name, t.attributes, inHead);
        raw_ = raw;
        rawContent();
    }

    void popOne() {
        if (stack_.back().foreign) {
            --foreign_;
            stack_.pop_back();
            return;
        }
        if (stack_.back().tag == GUMBO_TAG_HEAD) headOpen_ = false;
        sink_.endElement(stack_.back().tag);
        stack_.pop_back();
    }

    // ----- SVG and MathML: their elements are not the audit's; only the
    // text in them is. HTML inside them (a breakout tag, an integration
    // point's content) is the full parser's work.

    void insertForeign(const Token& t) {
        stack_.push_back({t.tag, std::string(t.name), true});
        ++foreign_;
        if (t.selfClosing) popOne();
    }

    static bool breaksOut(const Token& t) {
        switch (t.tag) {
            case GUMBO_TAG_B:
            case GUMBO_TAG_BIG:
            case GUMBO_TAG_BLOCKQUOTE:
            case GUMBO_TAG_BODY:
            case GUMBO_TAG_BR:
            case GUMBO_TAG_CENTER:
            case GUMBO_TAG_CODE:
            case GUMBO_TAG_DD:
            case GUMBO_TAG_DIV:
            case GUMBO_TAG_DL:
            case GUMBO_TAG_DT:
            case GUMBO_TAG_EM:
            case GUMBO_TAG_EMBED:
            case GUMBO_TAG_H1:
            case GUMBO_TAG_H2:
            case GUMBO_TAG_H3:
            case GUMBO_TAG_H4:
            case GUMBO_TAG_H5:
            case GUMBO_TAG_H6:
            case GUMBO_TAG_HEAD:
            case GUMBO_TAG_HR:
            case GUMBO_TAG_I:
            case GUMBO_TAG_IMG:
            case GUMBO_TAG_LI:
            case GUMBO_TAG_LISTING:
            case GUMBO_TAG_MENU:
            case GUMBO_TAG_META:
            case GUMBO_TAG_NOBR:
            case GUMBO_TAG_OL:
            case GUMBO_TAG_P:
            case GUMBO_TAG_PRE:
            case GUMBO_TAG_RUBY:
            case GUMBO_TAG_S:
            case GUMBO_TAG_SMALL:
            case GUMBO_TAG_SPAN:
            case GUMBO_TAG_STRONG:
            case GUMBO_TAG_STRIKE:
            case GUMBO_TAG_SUB:
            case GUMBO_TAG_SUP:
            case GUMBO_TAG_TABLE:
            case GUMBO_TAG_TT:
            case GUMBO_TAG_U:
            case GUMBO_TAG_UL:
            case GUMBO_TAG_VAR:
            case GUMBO_TAG_FONT:
            case GUMBO_TAG_SCRIPT:
                return true;
            default:
                return false;
        }
    }

    void foreignToken(const Token& t) {
        if (!t.end) {
            const std::string& parent = stack_.back().name;
            for (const char* point : {"foreignobject", "desc", "title", "mi", "mo", "mn", "ms",
                                      "mtext", "annotation-xml"})
                if (parent == point) return fail("HTML inside SVG or MathML");
            if (breaksOut(t)) return fail("HTML inside SVG or MathML");
            return insertForeign(t);
        }
        for (std::size_t k = stack_.size(); k-- > 0 && stack_[k].foreign;) {
            if (stack_[k].name == t.name) {
                while (stack_.size() > k) popOne();
                return;
            }
        }
        fail("an HTML end tag inside SVG or MathML");
    }

    // Pops elements down to and including stack_[index]. A formatting
    // element closed that way would be reopened by the parser later unless
    // a marker element is closed with it.
    void popTo(std::size_t index) {
        const bool marker = isMarker(stack_[index].tag);
        while (stack_.size() > index) {
            if (stack_.size() - 1 > index && !marker && isFormatting(stack_.back().tag))
                return fail("a formatting element closed out of place");
            popOne();
        }
    }

    std::size_t indexOf(GumboTag tag) const {
        for (std::size_t k = stack_.size(); k-- > 0;)
            if (stack_[k].tag == tag) return k;
        return std::string::npos;
    }

    void impliedEndTags(GumboTag except = GUMBO_TAG_LAST) {
        while (!stack_.empty() && hasImpliedEnd(current()) && current() != except) popOne();
    }

    void closeElement(GumboTag tag) {
        impliedEndTags(tag);
        popTo(indexOf(tag));
    }

    void closeParagraph() {
        if (inScope({GUMBO_TAG_P}, Scope::Button)) closeElement(GUMBO_TAG_P);
    }

    void closeListItem(bool li) {
        for (std::size_t k = stack_.size(); k-- > 0;) {
            const GumboTag t = stack_[k].tag;
            if (li ? t == GUMBO_TAG_LI : (t == GUMBO_TAG_DD || t == GUMBO_TAG_DT)) {
                closeElement(t);
                return;
            }
            if (isSpecial(t) && !anyOf(t, {GUMBO_TAG_ADDRESS, GUMBO_TAG_DIV, GUMBO_TAG_P})) return;
        }
    }

    void ensureHtml() {
        if (htmlCreated_) return;
        htmlCreated_ = true;
        insert(GUMBO_TAG_HTML, {}, {});
    }

    void implicitHead() {
        ensureHtml();
        insert(GUMBO_TAG_HEAD, {}, {});
        headOpen_ = true;
        mode_ = Mode::InHead;
    }

    void implicitBody() {
        insert(GUMBO_TAG_BODY, {}, {});
        mode_ = Mode::InBody;
    }

    void text(std::string_view t) {
        if (t.empty()) return;
        if (ignoreLinefeed_) {
            ignoreLinefeed_ = false;
            if (t.front() == '\n') t.remove_prefix(1);
            if (t.empty()) return;
        }
        while (!t.empty() && !failed_) {
            std::size_t ws = 0;
            while (ws < t.size() && isSpace(t[ws])) ++ws;
            switch (mode_) {
                case Mode::Initial:
                    if (ws == t.size()) return;
                    t.remove_prefix(ws);
                    implicitHead();
                    continue;
                case Mode::InHead:
                case Mode::AfterHead:
                    if (ws > 0) sink_.text(t.substr(0, ws));
                    if (ws == t.size()) return;
                    t.remove_prefix(ws);
                    if (mode_ == Mode::InHead) {
                        popOne();
                        mode_ = Mode::AfterHead;
                    }
                    implicitBody();
                    continue;
                case Mode::InTable:
                case Mode::InTableBody:
                case Mode::InRow:
                    if (ws < t.size())
                        return fail("text inside a table");  // text moved out of the table
                    sink_.text(t);
                    return;
                case Mode::InColumnGroup:
                    if (ws > 0) sink_.text(t.substr(0, ws));
                    if (ws == t.size()) return;
                    t.remove_prefix(ws);
                    if (current() != GUMBO_TAG_COLGROUP) return;
                    popOne();
                    mode_ = Mode::InTable;
                    continue;
                default:
                    sink_.text(t);
                    return;
            }
        }
    }

    void process(const Token& t) {
        if (ignoreLinefeed_) ignoreLinefeed_ = false;
        if (foreign_ > 0) return foreignToken(t);
        reprocess_ = true;
        while (reprocess_ && !failed_) {
            reprocess_ = false;
            if (!t.end && t.tag == GUMBO_TAG_HTML) {
                // A second <html> lends the first its attributes.
                if (htmlCreated_) {
                    if (!t.attributes.empty()) fail("a second <html> with attributes");
                    return;
                }
                htmlCreated_ = true;
                insert(GUMBO_TAG_HTML, {}, t.attributes);
                return;
            }
            switch (mode_) {
                case Mode::Initial:
                    initial(t);
                    break;
                case Mode::InHead:
                    inHead(t);
                    break;
                case Mode::AfterHead:
                    afterHead(t);
                    break;
                case Mode::InBody:
                    inBody(t);
                    break;
                case Mode::InTable:
                    inTable(t);
                    break;
                case Mode::InTableBody:
                    inTableBody(t);
                    break;
                case Mode::InRow:
                    inRow(t);
                    break;
                case Mode::InCell:
                    inCell(t);
                    break;
                case Mode::InCaption:
                    inCaption(t);
                    break;
                case Mode::InColumnGroup:
                    inColumnGroup(t);
                    break;
            }
        }
    }

    void again() { reprocess_ = true; }

    void initial(const Token& t) {
        if (!t.end && t.tag == GUMBO_TAG_HEAD) {
            ensureHtml();
            insert(GUMBO_TAG_HEAD, {}, t.attributes);
            headOpen_ = true;
            mode_ = Mode::InHead;
            return;
        }
        if (t.end && !anyOf(t.tag, {GUMBO_TAG_HEAD, GUMBO_TAG_BODY, GUMBO_TAG_HTML, GUMBO_TAG_BR}))
            return;
        implicitHead();
        again();
    }

    // Elements the head holds, wherever their tags stand; false for others.
    bool headElement(const Token& t, bool inHead) {
        switch (t.tag) {
            case GUMBO_TAG_BASE:
            case GUMBO_TAG_BASEFONT:
            case GUMBO_TAG_BGSOUND:
            case GUMBO_TAG_LINK:
            case GUMBO_TAG_META:
                insertVoid(t.tag, t.attributes, inHead);
                return true;
            case GUMBO_TAG_TITLE:
                insertRaw(t, Raw::RcData, inHead);
                return true;
            case GUMBO_TAG_NOFRAMES:
            case GUMBO_TAG_STYLE:
                insertRaw(t, Raw::RawText, inHead);
                return true;
            case GUMBO_TAG_SCRIPT:
                insertRaw(t, Raw::Script, inHead);
                return true;
            case GUMBO_TAG_TEMPLATE:
            case GUMBO_TAG_MENUITEM:
                fail("a template");
                return true;
            default:
                return false;
        }
    }

    void inHead(const Token& t) {
        if (!t.end) {
            // With scripting on (as in the browser), <noscript> holds text.
            if (t.tag == GUMBO_TAG_NOSCRIPT) return insertRaw(t, Raw::RawText);
            if (t.tag == GUMBO_TAG_HEAD || headElement(t, true)) return;
        } else if (t.tag == GUMBO_TAG_HEAD) {
            popOne();
            mode_ = Mode::AfterHead;
            return;
        } else if (t.tag == GUMBO_TAG_TEMPLATE) {
            return fail("a template");
        } else if (!anyOf(t.tag, {GUMBO_TAG_BODY, GUMBO_TAG_HTML, GUMBO_TAG_BR})) {
            return;
        }
        popOne();
        mode_ = Mode::AfterHead;
        again();
    }

    void afterHead(const Token& t) {
        if (!t.end) {
            if (t.tag == GUMBO_TAG_BODY) {
                insert(GUMBO_TAG_BODY, {}, t.attributes);
                mode_ = Mode::InBody;
                return;
            }
            if (t.tag == GUMBO_TAG_FRAMESET) return fail("a frameset");
            if (t.tag == GUMBO_TAG_HEAD || headElement(t, true)) return;
        } else if (t.tag == GUMBO_TAG_TEMPLATE) {
            return fail("a template");
        } else if (!anyOf(t.tag, {GUMBO_TAG_BODY, GUMBO_TAG_HTML, GUMBO_TAG_BR})) {
            return;
        }
        implicitBody();
        again();
    }

    void inBody(const Token& t) {
        if (t.end) return inBodyEnd(t);
        const GumboTag tag = t.tag;
        if (headElement(t, false)) return;
        if (closesParagraph(tag)) {
            closeParagraph();
            return insert(tag, t.name, t.attributes);
        }
        if (isHeading(tag)) {
            closeParagraph();
            if (isHeading(current())) popOne();
            return insert(tag, t.name, t.attributes);
        }
        if (isVoidInBody(tag)) return insertVoid(tag, t.attributes);
        if (isFormatting(tag)) {
            if (tag == GUMBO_TAG_NOBR) return fail("a nobr element");
            if (tag == GUMBO_TAG_A) {
                for (std::size_t k = stack_.size(); k-- > 0 && !isMarker(stack_[k].tag);)
                    if (stack_[k].tag == GUMBO_TAG_A) return fail("a link inside a link");
            }
            return insert(tag, t.name, t.attributes);
        }
        switch (tag) {
            case GUMBO_TAG_BODY:
                return;  // its attributes would go to the first <body>
            case GUMBO_TAG_PRE:
            case GUMBO_TAG_LISTING:
                closeParagraph();
                insert(tag, t.name, t.attributes);
                ignoreLinefeed_ = true;
                return;
            case GUMBO_TAG_FORM:
                if (formOpen_) return;
                closeParagraph();
                insert(tag, t.name, t.attributes);
                formOpen_ = true;
                return;
            case GUMBO_TAG_LI:
            case GUMBO_TAG_DD:
            case GUMBO_TAG_DT:
                closeListItem(tag == GUMBO_TAG_LI);
                closeParagraph();
                return insert(tag, t.name, t.attributes);
            case GUMBO_TAG_BUTTON:
                if (inScope({GUMBO_TAG_BUTTON})) return fail("a button inside a button");
                return insert(tag, t.name, t.attributes);
            case GUMBO_TAG_APPLET:
            case GUMBO_TAG_MARQUEE:
            case GUMBO_TAG_OBJECT:
                return insert(tag, t.name, t.attributes);
            case GUMBO_TAG_TABLE:
                // Whether a <p> closes depends on the document's quirks mode.
                if (inScope({GUMBO_TAG_P}, Scope::Button))
                    return fail("a table inside a paragraph");
                insert(tag, t.name, t.attributes);
                mode_ = Mode::InTable;
                return;
            case GUMBO_TAG_HR:
                closeParagraph();
                return insertVoid(tag, t.attributes);
            case GUMBO_TAG_TEXTAREA:
                ignoreLinefeed_ = true;
                return insertRaw(t, Raw::RcData);
            case GUMBO_TAG_XMP:
                closeParagraph();
                return insertRaw(t, Raw::RawText);
            case GUMBO_TAG_IFRAME:
            case GUMBO_TAG_NOEMBED:
            case GUMBO_TAG_NOSCRIPT:
                return insertRaw(t, Raw::RawText);
            case GUMBO_TAG_OPTION:
            case GUMBO_TAG_OPTGROUP:
                if (current() == GUMBO_TAG_OPTION) popOne();
                return insert(tag, t.name, t.attributes);
            case GUMBO_TAG_CAPTION:
            case GUMBO_TAG_COL:
            case GUMBO_TAG_COLGROUP:
            case GUMBO_TAG_FRAME:
            case GUMBO_TAG_HEAD:
            case GUMBO_TAG_TBODY:
            case GUMBO_TAG_TD:
            case GUMBO_TAG_TFOOT:
            case GUMBO_TAG_TH:
            case GUMBO_TAG_THEAD:
            case GUMBO_TAG_TR:
                return;  // ignored outside a table
            case GUMBO_TAG_FRAMESET:
            case GUMBO_TAG_PLAINTEXT:
            case GUMBO_TAG_IMAGE:
            case GUMBO_TAG_ISINDEX:
            case GUMBO_TAG_SELECT:
            case GUMBO_TAG_RB:
            case GUMBO_TAG_RP:
            case GUMBO_TAG_RT:
            case GUMBO_TAG_RTC:
                return fail("an element of its own rules (select, ruby, frames)");
            case GUMBO_TAG_MATH:
            case GUMBO_TAG_SVG:
                return insertForeign(t);
            default:
                return insert(tag, t.name, t.attributes);
        }
    }

    void inBodyEnd(const Token& t) {
        const GumboTag tag = t.tag;
        if (tag == GUMBO_TAG_TEMPLATE) return fail("a template");
        if (tag == GUMBO_TAG_BODY || tag == GUMBO_TAG_HTML) return;  // what follows stays in body
        if (isBlockEnd(tag)) {
            if (inScope({tag})) closeElement(tag);
            return;
        }
        switch (tag) {
            case GUMBO_TAG_FORM: {
                formOpen_ = false;
                if (!inScope({GUMBO_TAG_FORM})) return;
                impliedEndTags();
                if (current() != GUMBO_TAG_FORM) return fail("a form closed out of place");
                return popOne();
            }
            case GUMBO_TAG_P:
                if (!inScope({GUMBO_TAG_P}, Scope::Button)) {
                    insertVoid(GUMBO_TAG_P, {});
                    return;
                }
                return closeElement(GUMBO_TAG_P);
            case GUMBO_TAG_LI:
                if (inScope({GUMBO_TAG_LI}, Scope::ListItem)) closeElement(GUMBO_TAG_LI);
                return;
            case GUMBO_TAG_DD:
            case GUMBO_TAG_DT:
                if (inScope({tag})) closeElement(tag);
                return;
            case GUMBO_TAG_H1:
            case GUMBO_TAG_H2:
            case GUMBO_TAG_H3:
            case GUMBO_TAG_H4:
            case GUMBO_TAG_H5:
            case GUMBO_TAG_H6: {
                if (!inScope({GUMBO_TAG_H1, GUMBO_TAG_H2, GUMBO_TAG_H3, GUMBO_TAG_H4, GUMBO_TAG_H5,
                              GUMBO_TAG_H6}))
                    return;
                impliedEndTags();
                std::size_t k = stack_.size();
                while (k-- > 0 && !isHeading(stack_[k].tag)) {
                }
                return popTo(k);
            }
            case GUMBO_TAG_APPLET:
            case GUMBO_TAG_MARQUEE:
            case GUMBO_TAG_OBJECT:
                if (inScope({tag}, Scope::Table)) closeElement(tag);
                return;
            case GUMBO_TAG_BR:
                return insertVoid(GUMBO_TAG_BR, {});
            default:
                break;
        }
        if (isFormatting(tag)) {
            for (std::size_t k = stack_.size(); k-- > 0 && !isMarker(stack_[k].tag);) {
                if (stack_[k].tag != tag) continue;
                if (k + 1 != stack_.size())
                    return fail(
                        "a formatting element closed out of place");  // misnested: adoption agency
                return popOne();
            }
        }
        // Any other end tag closes the nearest element of its name, unless
        // a special element stands in the way.
        for (std::size_t k = stack_.size(); k-- > 0;) {
            // libgumbo takes any unknown end tag for the end of any unknown
            // element; the browser compares their names.
            if (tag == GUMBO_TAG_UNKNOWN && stack_[k].tag == GUMBO_TAG_UNKNOWN &&
                stack_[k].name != t.name)
                return fail("an end tag of one unknown element inside another");
            if (same(stack_[k], tag, t.name)) {
                impliedEndTags(tag);
                return popTo(k);
            }
            if (isSpecial(stack_[k].tag)) return;
        }
    }

    void clearTo(std::initializer_list<GumboTag> context) {
        while (!stack_.empty() && !anyOf(current(), context) && current() != GUMBO_TAG_HTML &&
               !failed_) {
            if (isFormatting(current())) return fail("a formatting element closed out of place");
            popOne();
        }
    }

    void resetMode() {
        for (std::size_t k = stack_.size(); k-- > 0;) {
            switch (stack_[k].tag) {
                case GUMBO_TAG_TD:
                case GUMBO_TAG_TH:
                    mode_ = Mode::InCell;
                    return;
                case GUMBO_TAG_TR:
                    mode_ = Mode::InRow;
                    return;
                case GUMBO_TAG_TBODY:
                case GUMBO_TAG_THEAD:
                case GUMBO_TAG_TFOOT:
                    mode_ = Mode::InTableBody;
                    return;
                case GUMBO_TAG_CAPTION:
                    mode_ = Mode::InCaption;
                    return;
                case GUMBO_TAG_COLGROUP:
                    mode_ = Mode::InColumnGroup;
                    return;
                case GUMBO_TAG_TABLE:
                    mode_ = Mode::InTable;
                    return;
                case GUMBO_TAG_BODY:
                case GUMBO_TAG_HTML:
                    mode_ = Mode::InBody;
                    return;
                case GUMBO_TAG_SELECT:
                case GUMBO_TAG_TEMPLATE:
                    return fail("a select or template");
                default:
                    break;
            }
        }
        mode_ = Mode::InBody;
    }

    void inTable(const Token& t) {
        const GumboTag tag = t.tag;
        if (!t.end) {
            switch (tag) {
                case GUMBO_TAG_CAPTION:
                    clearTo({GUMBO_TAG_TABLE, GUMBO_TAG_TEMPLATE});
                    insert(tag, t.name, t.attributes);
                    mode_ = Mode::InCaption;
                    return;
                case GUMBO_TAG_COLGROUP:
                    clearTo({GUMBO_TAG_TABLE, GUMBO_TAG_TEMPLATE});
                    insert(tag, t.name, t.attributes);
                    mode_ = Mode::InColumnGroup;
                    return;
                case GUMBO_TAG_COL:
                    clearTo({GUMBO_TAG_TABLE, GUMBO_TAG_TEMPLATE});
                    insert(GUMBO_TAG_COLGROUP, {}, {});
                    mode_ = Mode::InColumnGroup;
                    return again();
                case GUMBO_TAG_TBODY:
                case GUMBO_TAG_TFOOT:
                case GUMBO_TAG_THEAD:
                    clearTo({GUMBO_TAG_TABLE, GUMBO_TAG_TEMPLATE});
                    insert(tag, t.name, t.attributes);
                    mode_ = Mode::InTableBody;
                    return;
                case GUMBO_TAG_TD:
                case GUMBO_TAG_TH:
                case GUMBO_TAG_TR:
                    clearTo({GUMBO_TAG_TABLE, GUMBO_TAG_TEMPLATE});
                    insert(GUMBO_TAG_TBODY, {}, {});
                    mode_ = Mode::InTableBody;
                    return again();
                case GUMBO_TAG_STYLE:
                    return insertRaw(t, Raw::RawText);
                case GUMBO_TAG_SCRIPT:
                    return insertRaw(t, Raw::Script);
                default:
                    return fail("an element moved out of a table");  // moved out of the table, or a
                                                                     // table in a table
            }
        }
        if (tag == GUMBO_TAG_TABLE) {
            if (!inScope({GUMBO_TAG_TABLE}, Scope::Table)) return;
            popTo(indexOf(GUMBO_TAG_TABLE));
            return resetMode();
        }
        if (tag == GUMBO_TAG_BODY || tag == GUMBO_TAG_HTML || isTablePart(tag)) return;
        fail("an end tag inside a table");
    }

    void inTableBody(const Token& t) {
        const GumboTag tag = t.tag;
        const auto context = {GUMBO_TAG_TBODY, GUMBO_TAG_TFOOT, GUMBO_TAG_THEAD,
                              GUMBO_TAG_TEMPLATE};
        if (!t.end && tag == GUMBO_TAG_TR) {
            clearTo(context);
            insert(tag, t.name, t.attributes);
            mode_ = Mode::InRow;
            return;
        }
        if (!t.end && (tag == GUMBO_TAG_TD || tag == GUMBO_TAG_TH)) {
            clearTo(context);
            insert(GUMBO_TAG_TR, {}, {});
            mode_ = Mode::InRow;
            return again();
        }
        const bool sections = anyOf(tag, {GUMBO_TAG_TBODY, GUMBO_TAG_TFOOT, GUMBO_TAG_THEAD});
        if (t.end && sections) {
            if (!inScope({tag}, Scope::Table)) return;
            clearTo(context);
            popOne();
            mode_ = Mode::InTable;
            return;
        }
        if ((!t.end &&
             (sections || anyOf(tag, {GUMBO_TAG_CAPTION, GUMBO_TAG_COL, GUMBO_TAG_COLGROUP}))) ||
            (t.end && tag == GUMBO_TAG_TABLE)) {
            if (!inScope({GUMBO_TAG_TBODY, GUMBO_TAG_TFOOT, GUMBO_TAG_THEAD}, Scope::Table)) return;
            clearTo(context);
            popOne();
            mode_ = Mode::InTable;
            return again();
        }
        if (t.end &&
            anyOf(tag, {GUMBO_TAG_BODY, GUMBO_TAG_CAPTION, GUMBO_TAG_COL, GUMBO_TAG_COLGROUP,
                        GUMBO_TAG_HTML, GUMBO_TAG_TD, GUMBO_TAG_TH, GUMBO_TAG_TR}))
            return;
        inTable(t);
    }

    void closeRow() {
        clearTo({GUMBO_TAG_TR, GUMBO_TAG_TEMPLATE});
        popOne();
        mode_ = Mode::InTableBody;
    }

    void inRow(const Token& t) {
        const GumboTag tag = t.tag;
        if (!t.end && (tag == GUMBO_TAG_TD || tag == GUMBO_TAG_TH)) {
            clearTo({GUMBO_TAG_TR, GUMBO_TAG_TEMPLATE});
            insert(tag, t.name, t.attributes);
            mode_ = Mode::InCell;
            return;
        }
        if (t.end && tag == GUMBO_TAG_TR) {
            if (inScope({GUMBO_TAG_TR}, Scope::Table)) closeRow();
            return;
        }
        if ((!t.end && (isTablePart(tag) && tag != GUMBO_TAG_TD && tag != GUMBO_TAG_TH)) ||
            (t.end && tag == GUMBO_TAG_TABLE)) {
            if (!inScope({GUMBO_TAG_TR}, Scope::Table)) return;
            closeRow();
            return again();
        }
        if (t.end && anyOf(tag, {GUMBO_TAG_TBODY, GUMBO_TAG_TFOOT, GUMBO_TAG_THEAD})) {
            if (!inScope({tag}, Scope::Table) || !inScope({GUMBO_TAG_TR}, Scope::Table)) return;
            closeRow();
            return again();
        }
        if (t.end && anyOf(tag, {GUMBO_TAG_BODY, GUMBO_TAG_CAPTION, GUMBO_TAG_COL,
                                 GUMBO_TAG_COLGROUP, GUMBO_TAG_HTML, GUMBO_TAG_TD, GUMBO_TAG_TH}))
            return;
        inTable(t);
    }

    void closeCell() {
        impliedEndTags();
        std::size_t k = stack_.size();
        while (k-- > 0 && stack_[k].tag != GUMBO_TAG_TD && stack_[k].tag != GUMBO_TAG_TH) {
        }
        popTo(k);
        mode_ = Mode::InRow;
    }

    void inCell(const Token& t) {
        const GumboTag tag = t.tag;
        if (t.end && (tag == GUMBO_TAG_TD || tag == GUMBO_TAG_TH)) {
            if (!inScope({tag}, Scope::Table)) return;
            impliedEndTags();
            popTo(indexOf(tag));
            mode_ = Mode::InRow;
            return;
        }
        if (!t.end && isTablePart(tag)) {
            if (!inScope({GUMBO_TAG_TD, GUMBO_TAG_TH}, Scope::Table)) return;
            closeCell();
            return again();
        }
        if (t.end && anyOf(tag, {GUMBO_TAG_BODY, GUMBO_TAG_CAPTION, GUMBO_TAG_COL,
                                 GUMBO_TAG_COLGROUP, GUMBO_TAG_HTML}))
            return;
        if (t.end && anyOf(tag, {GUMBO_TAG_TABLE, GUMBO_TAG_TBODY, GUMBO_TAG_TFOOT, GUMBO_TAG_THEAD,
                                 GUMBO_TAG_TR})) {
            if (!inScope({tag}, Scope::Table)) return;
            closeCell();
            return again();
        }
        inBody(t);
    }

    void inCaption(const Token& t) {
        const GumboTag tag = t.tag;
        const bool closes = (!t.end && isTablePart(tag)) || (t.end && tag == GUMBO_TAG_TABLE);
        if ((t.end && tag == GUMBO_TAG_CAPTION) || closes) {
            if (!inScope({GUMBO_TAG_CAPTION}, Scope::Table)) return;
            impliedEndTags();
            popTo(indexOf(GUMBO_TAG_CAPTION));
            mode_ = Mode::InTable;
            if (closes) again();
            return;
        }
        if (t.end && (tag == GUMBO_TAG_BODY || tag == GUMBO_TAG_HTML || isTablePart(tag))) return;
        inBody(t);
    }

    void inColumnGroup(const Token& t) {
        const GumboTag tag = t.tag;
        if (tag == GUMBO_TAG_TEMPLATE) return fail("a template");
        if (!t.end && tag == GUMBO_TAG_COL) return insertVoid(tag, t.attributes);
        if (t.end && tag == GUMBO_TAG_COL) return;
        if (t.end && tag == GUMBO_TAG_COLGROUP) {
            if (current() != GUMBO_TAG_COLGROUP) return;
            popOne();
            mode_ = Mode::InTable;
            return;
        }
        if (current() != GUMBO_TAG_COLGROUP) return;
        popOne();
        mode_ = Mode::InTable;
        again();
    }

    std::string_view s_;
    HtmlSink& sink_;
    std::size_t i_ = 0;
    bool failed_ = false;
    const char* why_ = nullptr;
    Raw raw_ = Raw::None;
    Mode mode_ = Mode::Initial;
    bool reprocess_ = false;
    bool htmlCreated_ = false;
    bool headOpen_ = false;
    bool formOpen_ = false;
    bool ignoreLinefeed_ = false;
    int foreign_ = 0;
    std::vector<Open> stack_;
    std::vector<HtmlAttribute> attributes_;
    std::deque<std::string> pool_;
    std::string textBuffer_;
};

}  // namespace

const HtmlAttribute* findAttribute(std::span<const HtmlAttribute> attributes,
                                   std::string_view name) {
    for (const HtmlAttribute& a : attributes)
        if (a.name == name) return &a;
    return nullptr;
}

bool readPlainHtml(std::string_view utf8, HtmlSink& sink, const char** why) {
    Plain plain(utf8, sink);
    const bool ok = plain.run();
    if (why) *why = ok ? nullptr : plain.why();
    return ok;
}

}  // namespace fd::audit
