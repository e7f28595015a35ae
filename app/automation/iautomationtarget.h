#ifndef LIDORA_IAUTOMATIONTARGET_H
#define LIDORA_IAUTOMATIONTARGET_H

#include <QString>
#include <QStringList>

class Logging;

// What an automation client may ask of the program that measures, with or without a window. Every call comes
// on the GUI thread from a handler of the automation session, never from inside a socket write.
class IAutomationTarget
{
public:
    // Operation modes as the clients select them ("d", "p", "b").
    static constexpr int DISTANCE_MODE = 0;
    static constexpr int PROXIMITY_MODE = 1;
    static constexpr int DISTANCE_PROXIMITY_MODE = 2;

    virtual ~IAutomationTarget() = default;

    // A client is served from now on: measurements happen only on its request, and their records go to
    // writer, which stays valid until automationEnded().
    virtual void automationStarted(Logging* writer) = 0;
    // The client is gone and its writer with it: back to measuring on one's own.
    virtual void automationEnded() = 0;
    // Without a board every command is refused.
    virtual bool isTargetConnected() = 0;
    // The "#VER" record a new client gets first.
    virtual QString versionRecord() = 0;
    // What the module's calibration read gives for a new client; empty when the read failed.
    virtual QStringList calibrationLines() = 0;
    virtual void selectOperationMode(int mode) = 0;
    // One measurement; its records reach the writer handed over with automationStarted().
    virtual void measureOnce() = 0;
};

#endif
