#ifndef LIDORA_TESTS_ASSERTIONPATTERN_H
#define LIDORA_TESTS_ASSERTIONPATTERN_H

#include <regex>
#include <string>

// The regular expression for EXPECT_DEATH that matches the three lines of a failed NOX_ASSERT in the source
// file named fileStem (".cpp" is added), at the given line or any line, with exactly this expression and
// message text.
//
// GoogleTest on Windows has its own small regular expressions (no brackets; \d instead), and standard error
// ends its lines there with "\r\n".
inline std::string assertionPattern(const std::string& fileStem, const std::string& expression,
                                    const std::string& message, int line = -1)
{
    // Every character the pattern syntax gives a meaning stands for itself.
    const auto literal = [](const std::string& text)
    { return std::regex_replace(text, std::regex(R"([\\^$.|?*+()[\]{}])"), R"(\$&)"); };
#ifdef _WIN32
    const std::string anyText = ".*", anyNumber = "\\d+", lineEnd = "\\r?\\n";
#else
    const std::string anyText = "[^\n]*", anyNumber = "[0-9]+", lineEnd = "\n";
#endif
    return "Assert in: " + anyText + literal(fileStem) + "\\.cpp, line " +
           (line < 0 ? anyNumber : std::to_string(line)) + "\\." + lineEnd +
           "Assert expression:  " + literal(expression) + lineEnd + "Message: " + literal(message) + lineEnd;
}

#endif
