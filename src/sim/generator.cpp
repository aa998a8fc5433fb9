#include "sim/generator.h"

#include "runtime/codepage.h"

#include <random>

namespace sim {

namespace {

Text portName(const Text& pool, int number, int portsPerPool) {
    Text digits = std::to_string(number);
    const std::size_t width = portsPerPool > 99 ? 3 : 2;
    while (digits.size() < width) {
        digits.insert(digits.begin(), '0');
    }
    return pool + "." + digits;
}

Text twoDigits(unsigned value) {
    return Text(1, static_cast<char>('0' + value / 10)) + static_cast<char>('0' + value % 10);
}

} // namespace

const std::vector<Text>& taskStatuses() {
    static const std::vector<Text> statuses{runtime::gbk("未做TG"), runtime::gbk("已做TG"),
                                            runtime::gbk("未做WS"), runtime::gbk("已做WS"),
                                            runtime::gbk("未做GG"), runtime::gbk("未做wx"),
                                            runtime::gbk("未做RCS")};
    return statuses;
}

void generateState(ServiceState& state, const Text& key, int pools, int portsPerPool,
                   unsigned seed) {
    static const std::vector<Text> chineseNames{runtime::gbk("深圳"), runtime::gbk("广州"),
                                                runtime::gbk("上海"), runtime::gbk("北京")};
    std::mt19937 rng(seed);
    auto roll = [&rng](unsigned n) { return static_cast<unsigned>(rng() % n); };
    state.user(key);
    for (int p = 0; p < pools; ++p) {
        Text name = (p % 5 == 4) ? chineseNames[roll(4)] + std::to_string(p + 1)
                                 : "P" + std::to_string(p + 1);
        auto& pool = state.pool(key, name);
        pool.slots.reserve(pool.slots.size() + static_cast<std::size_t>(portsPerPool));
        auto& pending = state.user(key).pending;
        for (int n = 1; n <= portsPerPool; ++n) {
            Slot slot{portName(name, n, portsPerPool), Text()};
            const auto kind = roll(100);
            if (kind == 0) {
                slot.iccid.reset();
            } else if (kind > 6) {
                Text iccid = "8986";
                for (int d = 0; d < 16; ++d) {
                    iccid.push_back(static_cast<char>('0' + roll(10)));
                }
                slot.iccid = iccid;
            }
            if (roll(3) == 0) {
                pending.push_back(PendingPort{
                    slot.slot, taskStatuses()[roll(static_cast<unsigned>(taskStatuses().size()))],
                    twoDigits(roll(24)) + ":" + twoDigits(roll(60))});
            }
            pool.slots.push_back(std::move(slot));
        }
    }
}

void demoState(ServiceState& state) {
    const Text key = "demo-key";
    state.user(key).accepted = true;
    state.user("banned-key").accepted = false;
    generateState(state, key, 0, 0, 1);
    const auto addPorts = [&](const Text& pool, int count) {
        auto& p = state.pool(key, pool);
        for (int n = 1; n <= count; ++n) {
            const Text iccid =
                n % 4 == 0 ? Text() : "89860" + std::to_string(100000000000000LL + n);
            p.slots.push_back(Slot{portName(pool, n, count), iccid});
        }
    };
    addPorts("A1", 8);
    addPorts("B2", 8);
    addPorts(runtime::gbk("深圳"), 6);
    addPorts(runtime::gbk("测试池"), 4);
    auto& pending = state.user(key).pending;
    const auto& s = taskStatuses();
    pending.push_back({"A1.01", s[0], "12:00"});
    pending.push_back({"A1.02", s[1], "12:05"});
    pending.push_back({"A1.05", s[2], "12:10"});
    pending.push_back({"B2.03", s[0], "13:20"});
    pending.push_back({runtime::gbk("深圳.02"), s[4], "09:45"});
    pending.push_back({runtime::gbk("深圳.06"), s[6], "10:30"});
}

} // namespace sim
