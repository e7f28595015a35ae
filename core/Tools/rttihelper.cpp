#include "rttihelper.h"

#include <cstdlib>
#include <cxxabi.h>
#include <memory>

namespace NoxCore
{
namespace Tools
{

std::string RttiHelper::unmangleTypeName(const char* mangledName)
{
    if (mangledName == nullptr)
        return std::string();
    int status = 0;
    const std::unique_ptr<char, decltype(&std::free)> demangled(
        abi::__cxa_demangle(mangledName, nullptr, nullptr, &status), &std::free);
    return status == 0 && demangled ? std::string(demangled.get()) : std::string(mangledName);
}

} // namespace Tools
} // namespace NoxCore
