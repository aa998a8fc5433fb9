#include "service/stats_record.h"

#include <climits>
#include <cmath>

namespace service {

using runtime::Text;

namespace {

constexpr unsigned char kFullWidthLead = 0xA3;
constexpr unsigned char kSymbolLead = 0xA1;
constexpr double kNextIntegerFraction = 0.999999999999;

Text asciiForms(std::string_view field) {
    Text out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto lead = static_cast<unsigned char>(field[i]);
        if (lead < 0x80 || i + 1 == field.size()) {
            out.push_back(field[i]);
            continue;
        }
        const auto trail = static_cast<unsigned char>(field[i + 1]);
        if (lead == kFullWidthLead && trail >= 0xA1 && trail <= 0xFE) {
            out.push_back(static_cast<char>(trail - 0x80));
        } else if (lead == kSymbolLead && trail == 0xA1) {
            out.push_back(' ');
        } else {
            out.push_back(field[i]);
            out.push_back(field[i + 1]);
        }
        ++i;
    }
    return out;
}

bool isAtoiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

std::int32_t statsFieldValue(std::string_view field) {
    const Text text = asciiForms(field);
    std::size_t i = 0;
    while (i < text.size() && isAtoiSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<std::int64_t>(INT_MAX) + 1) {
            value = static_cast<std::int64_t>(INT_MAX) + 1;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        value = INT_MAX;
    }
    return static_cast<std::int32_t>(value);
}

std::int64_t statsPercent(std::int32_t a, std::int32_t b) {
    if (b == 0) {
        return 0;
    }
    const double share = static_cast<double>(a) / static_cast<double>(b) * 100.0;
    const double whole = std::trunc(share);
    auto percent = static_cast<std::int64_t>(whole);
    if (std::fabs(share - whole) > kNextIntegerFraction) {
        percent += share < 0 ? -1 : 1;
    }
    return percent;
}

Text statsPercentCell(std::string_view field, std::int32_t base) {
    return runtime::concat(
        {field, "  ", runtime::toText(statsPercent(statsFieldValue(field), base)), "\xA3\xA5"});
}

bool isStatsNotFoundPage(std::string_view reply) {
    return runtime::findText(reply, "a 404 Not") != -1;
}

std::optional<StatsCells> statsCells(std::string_view reply) {
    if (isStatsNotFoundPage(reply)) {
        return std::nullopt;
    }
    // Split no further than a 13th field: that is enough to refuse a record of other length.
    const runtime::TextList f = runtime::splitText(reply, "-", 13);
    if (f.size() != 12) {
        return std::nullopt;
    }
    const std::int32_t base = statsFieldValue(f[3]);
    return StatsCells{
        f[0],                          // 总端口数
        f[3],                          // 有号码
        f[4],                          // 读不出号码
        f[2],                          // 没有插卡
        statsPercentCell(f[8], base),  // 已做TG
        statsPercentCell(f[10], base), // 已做GG
        statsPercentCell(f[9], base),  // 已做WS
        statsPercentCell(f[11], base), // 已做wx
        f[6],                          // 注册超时
        f[5],                          // 有信号
        statsPercentCell(f[7], base),  // 已做RCS
    };
}

} // namespace service
