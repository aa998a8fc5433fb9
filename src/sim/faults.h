#pragma once
// Faults on demand: reading them from "name=value" items and shaping a faulty reply.

#include "sim/replies.h"
#include "sim/simulator.h"

#include <string>
#include <string_view>

namespace sim {

// Items latency=MS, refuse=SHARE, error500=SHARE, error404=SHARE, trickle=MS, cut=0|1,
// malformed=0|1, huge=MB, charset=NAME, raw=BYTES (the raw value is taken as is). False and a
// message on a bad item.
bool parseFault(const QueryParams& items, Fault& fault, std::string& errorMessage);
// The same from the command-line form "latency=200,refuse=0.5".
bool parseFaultText(std::string_view text, Fault& fault, std::string& errorMessage);
std::string describeFault(const Fault& fault);

// An HTML page whose meta tag declares charset, with the GBK text in that charset: "utf-8"
// re-encodes it; any other name keeps the GBK bytes (a page mislabelled on purpose).
std::string htmlPageInCharset(std::string_view charset, std::string_view gbkText);
// The first half of a reply followed by bytes that no JSON reader accepts.
std::string malformedJsonOf(std::string_view reply);

} // namespace sim
