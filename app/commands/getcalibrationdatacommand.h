#ifndef LIDORA_GETCALIBRATIONDATACOMMAND_H
#define LIDORA_GETCALIBRATIONDATACOMMAND_H

#include "Communication/serializablecomobject.h"

#include <QString>

// Reads one 14-byte calibration block of the module as text for the automation client.
class GetCalibrationDataCommand : public NoxCore::Communication::SerializableComObject
{
public:
    static constexpr unsigned char PROTOCOL = 0x09;
    static constexpr unsigned int REQUEST_SIZE = 1;
    static constexpr unsigned int ANSWER_SIZE = 14;

    explicit GetCalibrationDataCommand(unsigned char calibrationBlock);
    GetCalibrationDataCommand(const GetCalibrationDataCommand& other);
    ~GetCalibrationDataCommand() override;

    NoxCore::Communication::IComObject* clone() override;
    // Writes the block number and records the request in the description.
    bool serialize(unsigned char* buffer, unsigned int bufferSize) override;
    // Needs all 14 answer bytes. A shorter answer sets the data to a bare line end and records its length
    // and bytes instead, so the log shows what arrived.
    bool deserialize(unsigned char* data, unsigned int size) override;

    // The "#DTX;" and "#DRX;" lines of the exchanges, appended in order.
    QString description() const;
    // ";" and two upper-case hexadecimal digits per byte, e.g. ;0A;FF.
    QString calibrationData() const;
    unsigned char calibrationBlock() const;

private:
    QString itsDescription;
    QString itsCalibrationData;
    unsigned char itsCalibrationBlock;
};

#endif
