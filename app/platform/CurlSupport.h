#pragma once
// What the libcurl-based stand-ins share: one global initialisation, the
// easy handle's owner and the text of a failure.

#include <curl/curl.h>

#include <QString>
#include <atomic>
#include <memory>

namespace fd::curl {

// curl_global_init, once per process, before the first handle.
void initOnce();

struct EasyDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;

// curl's own words for a failure: the error buffer when it holds any,
// else the code's general text.
QString errorText(CURLcode rc, const char* errbuf);

// curl_easy_perform that also gives up within a twentieth of a second once
// *cancel turns true (CURLE_ABORTED_BY_CALLBACK), also while a server keeps
// silent, so closing the program never waits for one. cancel may be null.
CURLcode perform(CURL* c, const std::atomic<bool>* cancel);

// Restricts a handle to web addresses, for the request and any redirect, so
// a stored address naming a local file or another protocol is refused.
void webOnly(CURL* c);

}  // namespace fd::curl
