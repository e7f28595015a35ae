#include "programintents.h"

#include "intents/intent.h"
#include "intents/intentmanager.h"

#include <QCoreApplication>

#include <cassert>

using NoxGui::Intents::Intent;
using NoxGui::Intents::IntentManager;

ProgramIntents::ProgramIntents()
{
    IntentManager::instance()->addExecutor(this);

    Intent* myInt =
        new Intent("intExit", tr("Exit"), QIcon(), tr("Quits this instance of the program"), false);
    assert(myInt != NULL);
    itsIntents.append(myInt);
    myInt =
        new Intent("intOpenAboutDialog", tr("About Dialog"), QIcon(), tr("Opens the About Dialog"), false);
    assert(myInt != NULL);
    itsIntents.append(myInt);
}

ProgramIntents::~ProgramIntents()
{
    IntentManager::instance()->removeExecutor(this);
    qDeleteAll(itsIntents);
    itsIntents.clear();
}

void ProgramIntents::intExit_update(bool*)
{
    // Quitting is always possible.
}

void ProgramIntents::intExit_execute(NoxGui::Intents::IIntentExecuteParameter*)
{
    QCoreApplication::quit();
}
