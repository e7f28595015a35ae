#ifndef NOXGUI_INTENTS_IINTENTBASE_H
#define NOXGUI_INTENTS_IINTENTBASE_H

#include <QString>

namespace NoxGui
{
namespace Intents
{

// Anything that can stand in a menu tree: a command or a group of them.
class IIntentBase
{
public:
    virtual ~IIntentBase() = default;
    virtual QString text() const = 0;
};

} // namespace Intents
} // namespace NoxGui

#endif
