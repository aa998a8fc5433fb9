#pragma once
// The response body as GBK text: passed through unless a meta tag near the start of the page
// declares another character set.

#include "runtime/text.h"

namespace http {

// body: the raw response bytes, zero bytes included; taken by value so that a body which needs
// no conversion becomes the result without a copy.
runtime::Text decodeResponseText(runtime::Text body);

} // namespace http
