#ifndef LIDORA_MODULEIDENTIFICATION_H
#define LIDORA_MODULEIDENTIFICATION_H

#include <QString>

// What the module says about itself when it comes up. Empty until a read succeeded: a client's "#VER" record
// then has empty fields, never the placeholders of a command that was not answered.
struct ModuleIdentification
{
    QString serialNumber;
    QString app0Revision;
    QString driverRevision;
    QString extraRevision;
    QString chipRevision;
};

#endif
