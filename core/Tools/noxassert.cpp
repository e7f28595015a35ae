#include "noxassert.h"

#include <cstdio>
#include <cstdlib>

namespace NoxCore
{
namespace Tools
{

namespace
{

void printAssertion(std::FILE* stream, const char* file, int line, const char* expression,
                    const char* message)
{
    std::fprintf(stream, "Assert in: %s, line %d.\n", file, line);
    std::fprintf(stream, "Assert expression:  %s\n", expression);
    std::fprintf(stream, "Message: %s\n", message);
    std::fflush(stream);
}

} // namespace

void assertionFailed(const char* file, int line, const char* expression, const char* message)
{
    // Both streams: a GUI started from a desktop usually has only one of them connected to anything.
    printAssertion(stderr, file, line, expression, message);
    printAssertion(stdout, file, line, expression, message);
    std::abort();
}

} // namespace Tools
} // namespace NoxCore
