#ifndef NOXCORE_REGISTER_REGISTERSET_H
#define NOXCORE_REGISTER_REGISTERSET_H

namespace NoxCore
{
namespace Register
{

// The register map of an application. The register core only keeps it and hands it to its observers, which
// know the concrete map and reach it by dynamic cast; hence the virtual destructor and nothing else.
class RegisterSet
{
public:
    virtual ~RegisterSet() = default;
};

} // namespace Register
} // namespace NoxCore

#endif
