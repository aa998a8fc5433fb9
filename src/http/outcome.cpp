#include "http/outcome.h"

namespace http {

namespace {

thread_local OutcomeCapture* innermostCapture = nullptr;

} // namespace

OutcomeCapture::OutcomeCapture() : m_outer(innermostCapture) {
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

} // namespace http
