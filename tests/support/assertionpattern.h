#ifndef LIDORA_TESTS_ASSERTIONPATTERN_H
#define LIDORA_TESTS_ASSERTIONPATTERN_H

#include <regex>
#include <string>

// The regular expression for EXPECT_DEATH that matches the three lines of a failed NOX_ASSERT in the source
// file named fileStem (".cpp" is added), at any line, with exactly this expression and message text.
inline std::string assertionPattern(const std::string& fileStem, const std::string& expression,
                                    const std::string& message)
{
    // Every character the pattern syntax gives a meaning stands for itself.
    const auto literal = [](const std::string& text)
    { return std::regex_replace(text, std::regex(R"([\\^$.|?*+()[\]{}])"), R"(\$&)"); };
    return "Assert in: [^\n]*" + literal(fileStem) +
           "\\.cpp, line [0-9]+\\.\nAssert expression:  " + literal(expression) +
           "\nMessage: " + literal(message) + "\n";
}

#endif
