#ifndef NOXGUI_BARCREATOR_H
#define NOXGUI_BARCREATOR_H

class QMenuBar;

namespace NoxGui
{
namespace Intents
{
class IIntentGroup;
}

namespace BarCreator
{

// Fills the menu bar from a tree of intent groups: each group becomes a menu, each intent an entry that
// runs the intent. The tree and its intents must outlive the menu bar's use.
void createMenuBar(QMenuBar* menuBar, Intents::IIntentGroup* intentGroup);

} // namespace BarCreator
} // namespace NoxGui

#endif
