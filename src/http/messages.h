#pragma once
// The engine's failure messages, as GBK text.

#include "runtime/text.h"

namespace http {

enum class Failure {
    PlatformUnsupported, // 700
    BadUrl,              // 701
    Session,             // 702
    Connection,          // 703
    Request,             // 704
    Timeouts,            // 705
    Credentials,         // 707
    CertificateFlags,    // no number
    CookieFeature,       // 708
    RedirectPolicy,      // 709
    Headers,             // 710
    Send,                // 711
    NoResponse,          // 712
    Read,                // 713
    ReplyTooLarge,       // no number: only a caller's limit ends a request this way
};

runtime::Text failureMessage(Failure failure);

} // namespace http
