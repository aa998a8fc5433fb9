#include "http/outcome.h"

namespace http {

namespace {

thread_local OutcomeCapture* innermostCapture = nullptr;

} // namespace

OutcomeCapture::OutcomeCapture(std::size_t replyLimit)
    : m_replyLimit(replyLimit), m_outer(innermostCapture) {
    innermostCapture = this;
}

OutcomeCapture::~OutcomeCapture() {
    innermostCapture = m_outer;
}

void recordOutcome(const RequestOutcome& outcome) {
    if (innermostCapture != nullptr) {
        innermostCapture->m_outcome = outcome;
    }
}

std::size_t replyLimit() {
    return innermostCapture != nullptr ? innermostCapture->m_replyLimit : kNoReplyLimit;
}

} // namespace http
