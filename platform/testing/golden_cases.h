#pragma once

// Golden-file cases: a file of input lines, a blank line, then the lines expected. Lines that
// start with "#" are comments. Each file becomes a test of its own, named after the file as
// CMake's MAKE_C_IDENTIFIER writes it, so that ctest can run and name each case.

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace platform::doubles {

struct GoldenCase {
    std::vector<std::string> input, expected;
};

inline GoldenCase readGoldenCase(const std::filesystem::path& path) {
    std::ifstream file(path);
    GoldenCase result;
    bool inExpected = false;
    for (std::string line; std::getline(file, line);) {
        if (line.starts_with("#"))
            continue;
        if (line.empty()) {
            inExpected = !result.input.empty();
            continue;
        }
        (inExpected ? result.expected : result.input).push_back(line);
    }
    return result;
}

/// The ".txt" files of `folder`, sorted.
inline std::vector<std::filesystem::path> goldenCaseFiles(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".txt")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

inline std::string goldenCaseName(const std::filesystem::path& file) {
    std::string name = file.stem().string();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name.front())))
        name.insert(name.begin(), '_');
    return name;
}

/// Empty when `actual` is `expected`; otherwise both side by side, differing lines marked.
inline std::string goldenMismatch(const std::vector<std::string>& expected,
                                  const std::vector<std::string>& actual) {
    if (actual == expected)
        return {};
    std::ostringstream listing;
    listing << "expected | actual\n";
    for (std::size_t i = 0; i < std::max(expected.size(), actual.size()); ++i) {
        const std::string e = i < expected.size() ? expected[i] : "";
        const std::string a = i < actual.size() ? actual[i] : "";
        listing << (e == a ? "  " : "! ") << e
                << std::string(e.size() < 24 ? 24 - e.size() : 1, ' ') << "| " << a << "\n";
    }
    return listing.str();
}

} // namespace platform::doubles
