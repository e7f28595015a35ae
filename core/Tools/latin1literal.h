#ifndef NOXCORE_TOOLS_LATIN1LITERAL_H
#define NOXCORE_TOOLS_LATIN1LITERAL_H

#include <QLatin1String>

#include <cstddef>

namespace NoxCore
{
namespace Tools
{

// A Latin-1 string constant made at compile time. QLatin1String's pointer constructor measures the text
// with strlen, which only GCC evaluates at compile time; the length of the array works with every
// compiler. Constants made this way are safe to use from other static objects' constructors.
template <std::size_t N> constexpr QLatin1String latin1Literal(const char (&text)[N])
{
    return QLatin1String(text, int(N - 1));
}

} // namespace Tools
} // namespace NoxCore

#endif
