#include "sim/faults.h"

#include "runtime/codepage.h"

#include <charconv>

namespace sim {

namespace {

bool parseNumber(std::string_view text, double& out) {
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && ptr == end;
}

bool parseInt(std::string_view text, int& out) {
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && ptr == end && out >= 0;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto x = a[i];
        auto y = b[i];
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<char>(x - 'A' + 'a');
        }
        if (y >= 'A' && y <= 'Z') {
            y = static_cast<char>(y - 'A' + 'a');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

} // namespace

bool parseFault(const QueryParams& items, Fault& fault, std::string& errorMessage) {
    for (const auto& [name, value] : items) {
        bool ok = true;
        if (name == "latency") {
            ok = parseInt(value, fault.latencyMs) && fault.latencyMs <= 600000;
        } else if (name == "refuse") {
            ok = parseNumber(value, fault.refuseShare) && fault.refuseShare >= 0 &&
                 fault.refuseShare <= 1;
        } else if (name == "error500") {
            ok = parseNumber(value, fault.error500Share) && fault.error500Share >= 0 &&
                 fault.error500Share <= 1;
        } else if (name == "error404") {
            ok = parseNumber(value, fault.error404Share) && fault.error404Share >= 0 &&
                 fault.error404Share <= 1;
        } else if (name == "trickle") {
            ok = parseInt(value, fault.trickleMs) && fault.trickleMs <= 600000;
        } else if (name == "cut") {
            ok = value == "0" || value == "1";
            fault.cutAfterHeaders = value == "1";
        } else if (name == "malformed") {
            ok = value == "0" || value == "1";
            fault.malformedJson = value == "1";
        } else if (name == "huge") {
            ok = parseInt(value, fault.hugeReplyMegabytes) && fault.hugeReplyMegabytes <= 1024;
        } else if (name == "charset") {
            ok = value.find_first_of("\"<> \r\n") == std::string::npos;
            fault.htmlCharset = value;
        } else if (name == "after") {
            ok = parseInt(value, fault.afterRequests);
        } else if (name == "raw") {
            fault.rawBody = value;
        } else if (name != "endpoint" && name != "rawbody") {
            errorMessage = "unknown fault item: " + name;
            return false;
        }
        if (!ok) {
            errorMessage = "bad value for " + name + ": " + value;
            return false;
        }
    }
    return true;
}

bool parseFaultText(std::string_view text, Fault& fault, std::string& errorMessage) {
    QueryParams items;
    for (const auto& piece : runtime::splitText(text, ",")) {
        const auto eq = piece.find('=');
        if (eq == std::string::npos) {
            errorMessage = "fault item without '=': " + piece;
            return false;
        }
        items.emplace_back(piece.substr(0, eq), piece.substr(eq + 1));
    }
    return parseFault(items, fault, errorMessage);
}

std::string describeFault(const Fault& fault) {
    std::string out = "latency=" + std::to_string(fault.latencyMs) +
                      " refuse=" + std::to_string(fault.refuseShare) +
                      " error500=" + std::to_string(fault.error500Share) +
                      " error404=" + std::to_string(fault.error404Share) +
                      " trickle=" + std::to_string(fault.trickleMs) +
                      " cut=" + (fault.cutAfterHeaders ? "1" : "0") +
                      " malformed=" + (fault.malformedJson ? "1" : "0") +
                      " huge=" + std::to_string(fault.hugeReplyMegabytes) +
                      " after=" + std::to_string(fault.afterRequests);
    if (!fault.htmlCharset.empty()) {
        out += " charset=" + fault.htmlCharset;
    }
    if (fault.rawBody) {
        out += " raw=" + std::to_string(fault.rawBody->size()) + " bytes";
    }
    return out;
}

std::string htmlPageInCharset(std::string_view charset, std::string_view gbkText) {
    const bool utf8 = equalsIgnoreCase(charset, "utf-8") || equalsIgnoreCase(charset, "utf8");
    std::string page = "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                       "charset=";
    page += charset;
    page += "\"></head><body>\r\n";
    page += utf8 ? runtime::gbkToUtf8(gbkText) : std::string(gbkText);
    page += "\r\n</body></html>";
    return page;
}

std::string malformedJsonOf(std::string_view reply) {
    return std::string(reply.substr(0, reply.size() / 2)) + "{\"ret\":,]";
}

} // namespace sim
