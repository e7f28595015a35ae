#ifndef NOXCORE_TOOLS_NOXASSERT_H
#define NOXCORE_TOOLS_NOXASSERT_H

namespace NoxCore
{
namespace Tools
{

// Prints where and why a precondition failed, to standard error and standard output, then aborts.
// Never returns. Called through NOX_ASSERT only.
[[noreturn]] void assertionFailed(const char* file, int line, const char* expression, const char* message);

} // namespace Tools
} // namespace NoxCore

// Programming errors (null pointers, double initialisation, out-of-range arguments) stop the program here
// instead of being reported as error codes: the libraries never throw.
#define NOX_ASSERT(expression, message)                                                                      \
    do                                                                                                       \
    {                                                                                                        \
        if (!(expression))                                                                                   \
            ::NoxCore::Tools::assertionFailed(__FILE__, __LINE__, #expression, message);                     \
    } while (false)

#endif
