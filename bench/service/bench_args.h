#pragma once
// Sizes from the command line, so a scale check needs no edit: "--pools 10000" or
// "--pools=10000"; the benchmark's default when the option is absent. A value that is not a
// positive whole number ends the run with a message.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace benchargs {

// The value of "--name VALUE" or "--name=VALUE"; null when absent.
inline const char* textOption(int argc, char** argv, std::string_view name) {
    const std::string flag = "--" + std::string(name);
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == flag && i + 1 < argc) {
            return argv[i + 1];
        }
        if (argument.size() > flag.size() && argument.starts_with(flag) &&
            argument[flag.size()] == '=') {
            return argv[i] + flag.size() + 1;
        }
    }
    return nullptr;
}

inline int sizeOption(int argc, char** argv, std::string_view name, int fallback) {
    const std::string flag = "--" + std::string(name);
    if (const char* value = textOption(argc, argv, name)) {
        char* end = nullptr;
        const long parsed = std::strtol(value, &end, 10);
        if (end == value || *end != '\0' || parsed < 1 || parsed > 100'000'000) {
            std::fprintf(stderr, "%s wants a positive whole number, not \"%s\"\n", flag.c_str(),
                         value);
            std::exit(2);
        }
        return static_cast<int>(parsed);
    }
    return fallback;
}

} // namespace benchargs
