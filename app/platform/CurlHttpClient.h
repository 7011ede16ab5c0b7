#pragma once
// HttpClient over libcurl: one easy handle per request, so requests on
// different threads never share state.

#include "platform/HttpClient.h"

namespace fd {

class CurlHttpClient : public HttpClient {
public:
    CurlHttpClient();
    HttpResponse send(const HttpRequest& request) override;
};

}  // namespace fd
