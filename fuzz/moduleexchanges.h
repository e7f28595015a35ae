#ifndef LIDORA_FUZZ_MODULEEXCHANGES_H
#define LIDORA_FUZZ_MODULEEXCHANGES_H

#include "getcalibrationdatacommand.h"
#include "getobjectscommand.h"
#include "getserialnumbercommand.h"
#include "targetconfigurationcommand.h"

#include "Communication/Control/firmwarenumbercomobject.h"
#include "Communication/I2c/i2cblockreadregistercomobject.h"
#include "Communication/I2c/i2cconfigcomobject.h"
#include "Communication/I2c/i2cmodifyregistercomobject.h"
#include "Communication/I2c/i2creadregistercomobject.h"
#include "Communication/I2c/i2cwriteregistercomobject.h"

#include <QByteArray>
#include <QList>

namespace NoxCore
{
namespace Communication
{
class ComStream;
}
} // namespace NoxCore

// Every request the program sends through a com stream, each with an answer to decode: the module commands,
// the I2C objects and the firmware number. The fuzz targets of the answer path run them all on a stream whose
// driver hands out fuzzed bytes; the seed generator runs them on the simulated board to record real answers.
//
// An input starts with a settings block that varies what the answers are decoded against; the rest is what
// the channel delivers.
class ModuleExchanges
{
public:
    static constexpr int SETTINGS_SIZE = 2;

    // settings holds SETTINGS_SIZE bytes (missing ones count as 0):
    //  [0] bit 0: queue every object and flush once on the late-flush policy, otherwise one exchange each on
    //      the immediate-flush policy, as the board's stack does; bit 1: trace every telegram
    //  [1] bits 0..1 and 2..3: I2C address and value widths minus 1, bits 4..7: block read size minus 1
    explicit ModuleExchanges(const QByteArray& settings);
    ModuleExchanges(const ModuleExchanges&) = delete;
    ModuleExchanges& operator=(const ModuleExchanges&) = delete;

    // Runs every object once on stream, clearing the stream's error after each exchange as the program does.
    void runOn(NoxCore::Communication::ComStream& stream);
    bool tracesTelegrams() const { return itsTracesTelegrams; }

    // The settings block that gives the program's own exchanges: one at a time, one-byte I2C fields.
    static QByteArray programSettings();

private:
    QList<NoxCore::Communication::IComObject*> objects();

    bool itsQueuesObjects;
    bool itsTracesTelegrams;
    GetObjectsCommand itsObjects;
    TargetConfigurationCommand itsConfiguration;
    GetSerialNumberCommand itsSerialNumber;
    GetCalibrationDataCommand itsCalibration;
    NoxCore::Communication::Control::FirmwareNumberComObject itsFirmwareNumber;
    NoxCore::Communication::I2c::I2cConfigComObject itsI2cConfig;
    NoxCore::Communication::I2c::I2cReadRegisterComObject itsRead;
    NoxCore::Communication::I2c::I2cWriteRegisterComObject itsWrite;
    NoxCore::Communication::I2c::I2cModifyRegisterComObject itsModify;
    NoxCore::Communication::I2c::I2cBlockReadRegisterComObject itsBlockRead;
};

#endif
