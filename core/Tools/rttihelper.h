#ifndef NOXCORE_TOOLS_RTTIHELPER_H
#define NOXCORE_TOOLS_RTTIHELPER_H

#include <string>

namespace NoxCore
{
namespace Tools
{

// Readable type names for log texts.
class RttiHelper
{
public:
    // The demangled form of a compiler-mangled type name (as typeid().name() gives it); a name that does
    // not demangle comes back unchanged, a null name as an empty text.
    static std::string unmangleTypeName(const char* mangledName);
};

} // namespace Tools
} // namespace NoxCore

#endif
