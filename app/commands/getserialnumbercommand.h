#ifndef LIDORA_GETSERIALNUMBERCOMMAND_H
#define LIDORA_GETSERIALNUMBERCOMMAND_H

#include "Communication/serializablecomobject.h"

#include <QString>

// Reads the module's serial number and its firmware, driver, extra and chip revisions as display texts.
// Until an answer has been decoded the texts hold recognisable placeholders.
class GetSerialNumberCommand : public NoxCore::Communication::SerializableComObject
{
public:
    static constexpr unsigned char PROTOCOL = 0x08;
    static constexpr unsigned int ANSWER_SIZE = 14;

    GetSerialNumberCommand();
    GetSerialNumberCommand(const GetSerialNumberCommand& other);
    ~GetSerialNumberCommand() override;

    NoxCore::Communication::IComObject* clone() override;
    // The request has no payload; records the request in the description.
    bool serialize(unsigned char* buffer, unsigned int bufferSize) override;
    // Needs all 14 answer bytes; a shorter answer keeps the texts and records its length instead.
    bool deserialize(unsigned char* data, unsigned int size) override;

    // The "#DTX;" and "#DRX;" lines of the exchanges, appended in order.
    QString description() const;
    // Four bytes in hexadecimal, e.g. 0a-1b-2c-3d.
    QString serialNumber() const;
    // Four decimal numbers, e.g. 1.2.0.15.
    QString app0Revision() const;
    QString driverRevision() const;
    QString extraRevision() const;
    QString chipRevision() const;

private:
    QString itsDescription;
    QString itsSerialNumber;
    QString itsApp0Revision;
    QString itsDriverRevision;
    QString itsExtraRevision;
    QString itsChipRevision;
};

#endif
