#include "CurlSupport.h"

#include <mutex>

namespace fd::curl {

void initOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

QString errorText(CURLcode rc, const char* errbuf) {
    return errbuf[0] ? QString::fromUtf8(errbuf) : QString::fromUtf8(curl_easy_strerror(rc));
}

CURLcode perform(CURL* c, const std::atomic<bool>* cancel) {
    if (!cancel) return curl_easy_perform(c);
    CURLM* multi = curl_multi_init();
    if (!multi) return CURLE_OUT_OF_MEMORY;
    curl_multi_add_handle(multi, c);
    CURLcode result = CURLE_OK;
    for (bool done = false; !done;) {
        if (cancel->load()) {
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        int queued = 0;
        while (CURLMsg* m = curl_multi_info_read(multi, &queued)) {
            if (m->msg == CURLMSG_DONE && m->easy_handle == c) {
                result = m->data.result;
                done = true;
            }
        }
        if (!done && running == 0) done = true;
        if (!done) curl_multi_poll(multi, nullptr, 0, 50, nullptr);
    }
    curl_multi_remove_handle(multi, c);
    curl_multi_cleanup(multi);
    return result;
}

void webOnly(CURL* c) {
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
}

}  // namespace fd::curl
