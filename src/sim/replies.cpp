#include "sim/replies.h"

#include "runtime/codepage.h"
#include "service/codec.h"
#include "sim/wire.h"

#include <cstdio>

namespace sim {

namespace {

bool isUtf8WithNonAscii(std::string_view bytes) {
    bool nonAscii = false;
    for (std::size_t at = 0; at < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[at]);
        const std::size_t length = lead < 0x80           ? 1
                                   : (lead >> 5) == 0x6  ? 2
                                   : (lead >> 4) == 0xE  ? 3
                                   : (lead >> 3) == 0x1E ? 4
                                                         : 0;
        if (length == 0 || at + length > bytes.size()) {
            return false;
        }
        for (std::size_t i = 1; i < length; ++i) {
            if ((static_cast<unsigned char>(bytes[at + i]) & 0xC0) != 0x80) {
                return false;
            }
        }
        nonAscii = nonAscii || length > 1;
        at += length;
    }
    return nonAscii;
}

// The client's transport sends characters outside ASCII as escaped UTF-8, as the service
// expects; the state keeps GBK. Raw GBK bytes (never valid UTF-8 here) stay as they are.
std::string queryText(std::string_view raw) {
    std::string decoded = service::percentDecode(raw);
    return isUtf8WithNonAscii(decoded) ? runtime::utf8ToGbk(decoded) : decoded;
}

} // namespace

QueryParams parseRawQuery(std::string_view query) {
    QueryParams params;
    while (!query.empty()) {
        const auto amp = query.find('&');
        const auto item = query.substr(0, amp);
        if (!item.empty()) {
            const auto eq = item.find('=');
            if (eq == std::string_view::npos) {
                params.emplace_back(queryText(item), std::string());
            } else {
                params.emplace_back(queryText(item.substr(0, eq)), queryText(item.substr(eq + 1)));
            }
        }
        if (amp == std::string_view::npos) {
            break;
        }
        query.remove_prefix(amp + 1);
    }
    return params;
}

std::optional<std::string> queryValue(const QueryParams& params, std::string_view name) {
    return wire::field(params, name);
}

Text jsonString(std::string_view gbkText) {
    Text out = "\"";
    for (std::size_t i = 0; i < gbkText.size(); ++i) {
        const auto c = static_cast<unsigned char>(gbkText[i]);
        if (c >= 0x81 && c != 0xFF && i + 1 < gbkText.size()) {
            out.push_back(gbkText[i]);
            out.push_back(gbkText[++i]);
        } else if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    out.push_back('"');
    return out;
}

Text signInReply(const UserState* user) {
    if (user == nullptr) {
        return R"({"status":2,"msg":"unknown key"})";
    }
    if (!user->accepted) {
        return R"({"status":1,"msg":"key banned"})";
    }
    return R"({"status":0,"msg":"ok","data":{"level":1}})";
}

Text poolListReply(const UserState* user) {
    if (user == nullptr || !user->accepted) {
        return R"({"ret":1,"msg":"unknown key"})";
    }
    Text out = R"({"ret":0,"msg":"ok","data":[)";
    for (std::size_t i = 0; i < user->pools.size(); ++i) {
        if (i > 0) {
            out.push_back(',');
        }
        out += jsonString(user->pools[i].name);
    }
    out += "]}";
    return out;
}

Text portsReply(const std::vector<PendingPort>& pending) {
    Text out;
    out.reserve(pending.size() * 48);
    for (const auto& task : pending) {
        out += task.port;
        out.push_back('|');
        Text code = task.status;
        code.push_back('-');
        code += task.time;
        out += service::percentEncode(code);
        out += "\r\n";
    }
    return out;
}

Text slotInfoReply(const PoolState* pool) {
    if (pool == nullptr) {
        return R"({"ret":1,"msg":"no such pool","data":[]})";
    }
    Text out = R"({"ret":0,"msg":"ok","data":[)";
    for (std::size_t i = 0; i < pool->slots.size(); ++i) {
        const auto& s = pool->slots[i];
        if (i > 0) {
            out.push_back(',');
        }
        out += "{\"slot\":" + jsonString(s.slot);
        if (s.iccid) {
            out += ",\"iccid\":" + jsonString(*s.iccid);
        }
        out += s.iccid && !s.iccid->empty() ? ",\"state\":1}" : ",\"state\":0}";
    }
    out += "]}";
    return out;
}

DeleteLines parseDeleteBody(std::string_view body) {
    DeleteLines result;
    while (!body.empty()) {
        const auto end = body.find('\n');
        auto line = body.substr(0, end);
        body.remove_prefix(end == std::string_view::npos ? body.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty()) {
            continue;
        }
        const auto bar = line.find('|');
        if (bar == std::string_view::npos || bar == 0) {
            ++result.broken;
            continue;
        }
        const auto decoded = service::percentDecode(line.substr(bar + 1));
        const auto dash = decoded.find('-');
        PendingPort task{Text(line.substr(0, bar)), decoded.substr(0, dash), Text()};
        if (dash != Text::npos) {
            task.time = decoded.substr(dash + 1);
        }
        result.tasks.push_back(std::move(task));
    }
    return result;
}

} // namespace sim
