#pragma once
// The program's fuzz targets. Each takes raw bytes from outside (a statement,
// a page list, a page snapshot, ...) through the routine the program itself
// uses and checks what can be known about the result (its oracle). libFuzzer
// drives them in the clang build; the normal build replays the stored
// corpora through the same entry points in CTest.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fd::fuzz {

using Entry = void (*)(const std::uint8_t* data, std::size_t size);

struct Target {
    const char* name;  // also the folder of its corpus: fuzz/corpus/<name>
    Entry run;
};

// Every target, by name.
const std::vector<Target>& targets();
const Target* findTarget(std::string_view name);

// What an oracle found. Under libFuzzer the failure is printed and the
// process aborts, so the fuzzer keeps the input; the replay test asks for
// it to be thrown instead, to name the stored input that failed.
struct OracleFailure {
    std::string what;
};
void setThrowOnFailure(bool enabled);
[[noreturn]] void fail(const std::string& what);
inline void check(bool ok, const char* what) {
    if (!ok) fail(what);
}

// The input as text: UTF-16LE after a leading FF FE (so unpaired surrogates
// can be reached), UTF-8 otherwise.
QString inputText(const std::uint8_t* data, std::size_t size);
// Splits text at every separator, keeping empty parts.
std::vector<QString> fields(const QString& text, QChar separator);

// The targets.
void jetSql(const std::uint8_t* data, std::size_t size);
void pageList(const std::uint8_t* data, std::size_t size);
void pageMeta(const std::uint8_t* data, std::size_t size);
void queryTemplate(const std::uint8_t* data, std::size_t size);
void sitemapUrl(const std::uint8_t* data, std::size_t size);
void sitemapXml(const std::uint8_t* data, std::size_t size);
void sitemapReader(const std::uint8_t* data, std::size_t size);
void robotsTxt(const std::uint8_t* data, std::size_t size);
void htmlPage(const std::uint8_t* data, std::size_t size);
void indexNowAnswer(const std::uint8_t* data, std::size_t size);
void updateAnswer(const std::uint8_t* data, std::size_t size);

}  // namespace fd::fuzz
