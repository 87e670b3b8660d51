#pragma once
// Running other programs from tests and moving bytes in and out of files. Tests that compare our
// output with other programs use these; a missing program is a failed test, never a skipped one.

#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace qlytest {

// Exit status of a command and what it printed on standard output and standard error together.
struct CommandResult {
    int status = -1; // -1 when the command could not be run or was killed
    std::string output;
};

// Runs `command` through /bin/sh and collects its output.
inline CommandResult run(const std::string& command) {
    CommandResult r;
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    if (p == nullptr) {
        return r;
    }
    std::array<char, 4096> buf{};
    size_t n = 0;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) {
        r.output.append(buf.data(), n);
    }
    const int st = ::pclose(p);
    r.status = st != -1 && WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

// Single-quotes a string for the shell.
inline std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'') {
            q += "'\\''";
        } else {
            q += c;
        }
    }
    return q + "'";
}

inline std::string readFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::string& name, const std::string& bytes) {
    std::ofstream out(name, std::ios::binary);
    out << bytes;
}

inline std::vector<uint8_t> readFileBytes(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void writeFileBytes(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::ofstream out(name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

} // namespace qlytest
