#pragma once
// What became of a request, beyond the engine's text results: whether an answer arrived, with
// which status, and whether its body was as long as announced. The engine's parameters stay as
// they are; a caller that needs to judge a request opens a capture on its thread around the call.

#include "http/messages.h"

#include <cstddef>
#include <optional>

namespace http {

struct RequestOutcome {
    // The engine gave up, the body broke off (Read), or it outgrew the capture's limit
    // (ReplyTooLarge).
    std::optional<Failure> failure;
    int statusCode = 0; // 0 when no status line arrived
    // The status line arrived and the body ended where the reply said it would.
    bool complete = false;

    // A complete answer with a 2xx status.
    bool succeeded() const { return !failure && complete && statusCode >= 200 && statusCode < 300; }
};

inline constexpr std::size_t kNoReplyLimit = static_cast<std::size_t>(-1);

// While a capture lives, the requests its thread makes record their outcome in it (the last
// request wins), and stop reading a body that grows beyond replyLimit bytes. Captures nest; the
// innermost one records and limits.
class OutcomeCapture final {
public:
    explicit OutcomeCapture(std::size_t replyLimit = kNoReplyLimit);
    ~OutcomeCapture();
    OutcomeCapture(const OutcomeCapture&) = delete;
    OutcomeCapture& operator=(const OutcomeCapture&) = delete;

    const RequestOutcome& outcome() const { return m_outcome; }

private:
    friend void recordOutcome(const RequestOutcome& outcome);
    friend std::size_t replyLimit();
    RequestOutcome m_outcome;
    std::size_t m_replyLimit;
    OutcomeCapture* m_outer;
};

// The engine's side: hands the outcome to this thread's capture, if one is open.
void recordOutcome(const RequestOutcome& outcome);
// The innermost capture's reply limit on this thread; kNoReplyLimit without a capture.
std::size_t replyLimit();

} // namespace http
