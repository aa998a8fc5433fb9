#pragma once
// A second floor on Windows: the same requests over WinHTTP's asynchronous mode, as lean as it
// can be (one event a step, set from WinHTTP's callback). The engine runs WinHTTP asynchronously
// so that a stop ends a request at once; this floor tells what that mode costs by itself.

#ifdef _WIN32

#include "bare_winhttp_request.h"

#include <windows.h>
#include <winhttp.h>

#include <string>

namespace bench {

class BareAsyncClient final {
public:
    BareAsyncClient() : m_event(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    ~BareAsyncClient() { CloseHandle(m_event); }
    BareAsyncClient(const BareAsyncClient&) = delete;
    BareAsyncClient& operator=(const BareAsyncClient&) = delete;

    // The body of url's reply (an ASCII URL); a POST of *postBody when given.
    std::string request(const std::string& url, const std::string* postBody) {
        m_reply.clear();
        const BareWinHttpRequest opened(url, postBody != nullptr, WINHTTP_FLAG_ASYNC);
        if (HINTERNET request = opened.handle()) {
            const DWORD_PTR self = reinterpret_cast<DWORD_PTR>(this);
            WinHttpSetOption(request, WINHTTP_OPTION_CONTEXT_VALUE, const_cast<DWORD_PTR*>(&self),
                             sizeof self);
            WinHttpSetStatusCallback(request, onStatus, WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS, 0);
            run(request, postBody);
        }
        return m_reply;
    }

private:
    void run(HINTERNET request, const std::string* postBody) {
        const DWORD length = postBody ? static_cast<DWORD>(postBody->size()) : 0;
        LPVOID body = postBody ? const_cast<char*>(postBody->data()) : WINHTTP_NO_REQUEST_DATA;
        if (!step([&] {
                return WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, body, length,
                                          length, 0);
            }) ||
            !step([&] { return WinHttpReceiveResponse(request, nullptr); })) {
            return;
        }
        // Asked first how much there is, as the engine does: under Wine a read of more than
        // that waits for the buffer to fill.
        for (;;) {
            if (!step([&] { return WinHttpQueryDataAvailable(request, nullptr); }) ||
                m_available == 0) {
                return;
            }
            m_buffer.resize(m_available);
            if (!step([&] {
                    return WinHttpReadData(request, m_buffer.data(), m_available, nullptr);
                })) {
                return;
            }
            m_reply.append(m_buffer.data(), m_read);
        }
    }

    template <typename Call> bool step(Call call) {
        m_failed = false;
        if (!call()) {
            return false;
        }
        WaitForSingleObject(m_event, INFINITE);
        return !m_failed;
    }

    static void CALLBACK onStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info,
                                  DWORD length) {
        auto* self = reinterpret_cast<BareAsyncClient*>(context);
        if (self == nullptr) {
            return;
        }
        switch (status) {
        case WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE:
            self->m_available = *static_cast<DWORD*>(info);
            break;
        case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
            self->m_read = length;
            break;
        case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
            self->m_failed = true;
            break;
        case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
        case WINHTTP_CALLBACK_STATUS_WRITE_COMPLETE:
        case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
            break;
        default:
            return;
        }
        SetEvent(self->m_event);
    }

    HANDLE m_event;
    std::string m_reply;
    std::string m_buffer;
    DWORD m_available = 0;
    DWORD m_read = 0;
    bool m_failed = false;
};

} // namespace bench

#endif
