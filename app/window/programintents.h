#ifndef LIDORA_PROGRAMINTENTS_H
#define LIDORA_PROGRAMINTENTS_H

#include "intents/iintentexecutor.h"

#include <QList>
#include <QObject>

namespace NoxGui
{
namespace Intents
{
class Intent;
class IIntentExecuteParameter;
} // namespace Intents
} // namespace NoxGui

// The program's two menu commands: "intExit", served here, and "intOpenAboutDialog", which the main window
// serves. They belong to the window, not to the engine: headless mode has no menu.
class ProgramIntents : public QObject, public NoxGui::Intents::IIntentExecutor
{
    Q_OBJECT
    Q_INTERFACES(NoxGui::Intents::IIntentExecutor)

public:
    ProgramIntents();
    ~ProgramIntents() override;

public slots:
    void intExit_update(bool* enabled);
    void intExit_execute(NoxGui::Intents::IIntentExecuteParameter* parameter);

private:
    QList<NoxGui::Intents::Intent*> itsIntents;
};

#endif
