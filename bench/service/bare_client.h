#pragma once
// The floor the client is measured against: the same requests sent by a bare loop over the
// platform's HTTP library (libcurl on POSIX, WinHTTP on Windows), with nothing of the engine.
// Each request gets its own handles and connection, as the engine's do.

#include <string>

#ifdef _WIN32
#include "bare_winhttp_async.h"
#include "bare_winhttp_request.h"

#include <windows.h>
#include <winhttp.h>
#else
#include <curl/curl.h>
#endif

namespace bench {

#ifdef _WIN32

inline constexpr const char* kFloorName = "bare WinHTTP loop";
inline constexpr const char* kAsyncFloorName = "bare asynchronous WinHTTP loop";

class BareClient final {
public:
    BareClient() = default;
    BareClient(const BareClient&) = delete;
    BareClient& operator=(const BareClient&) = delete;

    // The body of url's reply; a POST of *postBody when given.
    std::string request(const std::string& url, const std::string* postBody) {
        std::string reply;
        const BareWinHttpRequest opened(url, postBody != nullptr, 0);
        HINTERNET request = opened.handle();
        const DWORD length = postBody ? static_cast<DWORD>(postBody->size()) : 0;
        LPVOID body = postBody ? const_cast<char*>(postBody->data()) : WINHTTP_NO_REQUEST_DATA;
        if (request &&
            WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, body, length, length,
                               0) &&
            WinHttpReceiveResponse(request, nullptr)) {
            for (;;) {
                DWORD available = 0;
                if (!WinHttpQueryDataAvailable(request, &available) || available == 0) {
                    break;
                }
                const std::size_t at = reply.size();
                reply.resize(at + available);
                DWORD read = 0;
                if (!WinHttpReadData(request, reply.data() + at, available, &read)) {
                    reply.resize(at);
                    break;
                }
                reply.resize(at + read);
            }
        }
        return reply;
    }
};

#else

inline constexpr const char* kFloorName = "bare libcurl loop";

class BareClient final {
public:
    BareClient() { curl_global_init(CURL_GLOBAL_DEFAULT); }
    ~BareClient() { curl_global_cleanup(); }
    BareClient(const BareClient&) = delete;
    BareClient& operator=(const BareClient&) = delete;

    // The body of url's reply; a POST of *postBody when given.
    std::string request(const std::string& url, const std::string* postBody) {
        std::string reply;
        CURL* handle = curl_easy_init();
        curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
        curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, collect);
        curl_easy_setopt(handle, CURLOPT_WRITEDATA, &reply);
        curl_slist* headers = nullptr;
        if (postBody) {
            // The engine sends its body at once; so does this loop (no 100-continue round trip).
            headers = curl_slist_append(headers, "Expect:");
            curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
            curl_easy_setopt(handle, CURLOPT_POSTFIELDS, postBody->data());
            curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(postBody->size()));
        }
        curl_easy_perform(handle);
        curl_easy_cleanup(handle);
        curl_slist_free_all(headers);
        return reply;
    }

private:
    static size_t collect(char* data, size_t size, size_t count, void* target) {
        static_cast<std::string*>(target)->append(data, size * count);
        return size * count;
    }
};

#endif

} // namespace bench
