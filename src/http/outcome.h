#pragma once
// What became of a request, beyond the engine's text results: whether an answer arrived, with
// which status, and whether its body was as long as announced. The engine's parameters stay as
// they are; a caller that needs to judge a request opens a capture on its thread around the call.

#include "http/messages.h"

#include <optional>

namespace http {

struct RequestOutcome {
    std::optional<Failure> failure; // the engine gave up, or the body broke off (Read)
    int statusCode = 0;             // 0 when no status line arrived
    // The status line arrived and the body ended where the reply said it would.
    bool complete = false;

    // A complete answer with a 2xx status.
    bool succeeded() const { return !failure && complete && statusCode >= 200 && statusCode < 300; }
};

// While a capture lives, the requests its thread makes record their outcome in it (the last
// request wins). Captures nest; the innermost one records.
class OutcomeCapture final {
public:
    OutcomeCapture();
    ~OutcomeCapture();
    OutcomeCapture(const OutcomeCapture&) = delete;
    OutcomeCapture& operator=(const OutcomeCapture&) = delete;

    const RequestOutcome& outcome() const { return m_outcome; }

private:
    friend void recordOutcome(const RequestOutcome& outcome);
    RequestOutcome m_outcome;
    OutcomeCapture* m_outer;
};

// The engine's side: hands the outcome to this thread's capture, if one is open.
void recordOutcome(const RequestOutcome& outcome);

} // namespace http
