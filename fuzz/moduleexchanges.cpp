#include "moduleexchanges.h"

#include "Communication/I2c/i2ccomobjectprovider.h"
#include "Communication/comstream.h"
#include "Communication/telegramcommandset.h"

#include <QQueue>

using namespace NoxCore::Communication;

namespace
{

const unsigned char QUEUES_OBJECTS = 0x01;
const unsigned char TRACES_TELEGRAMS = 0x02;

// 3 is no register width: requests of that width must be refused, not sent.
const unsigned int BYTE_WIDTHS[] = {1, 2, 4, 3};
const unsigned char SENSOR = TelegramCommandSet::SENSOR_SLAVE_ADDRESS;
const unsigned int I2C_TRACE = I2c::I2cComObjectProvider::TRACE_PATTERN;
const unsigned int CHECK_REGISTER = 0x90;
const unsigned char CALIBRATION_BLOCK = 2;
const unsigned char DISTANCE_MODE = 0;

unsigned char setting(const QByteArray& settings, int index)
{
    return index < settings.size() ? static_cast<unsigned char>(settings.at(index)) : 0;
}

unsigned int addressWidth(const QByteArray& settings)
{
    return BYTE_WIDTHS[setting(settings, 1) & 0x3];
}

unsigned int valueWidth(const QByteArray& settings)
{
    return BYTE_WIDTHS[(setting(settings, 1) >> 2) & 0x3];
}

unsigned int blockReadSize(const QByteArray& settings)
{
    return (setting(settings, 1) >> 4) + 1u;
}

} // namespace

ModuleExchanges::ModuleExchanges(const QByteArray& settings)
    : itsQueuesObjects(setting(settings, 0) & QUEUES_OBJECTS),
      itsTracesTelegrams(setting(settings, 0) & TRACES_TELEGRAMS), itsConfiguration(1, 0, DISTANCE_MODE),
      itsCalibration(CALIBRATION_BLOCK), itsFirmwareNumber(TelegramCommandSet::FIRMWARE_NUMBER_TRACE_PATTERN),
      itsI2cConfig(1, I2c::I2cConfigComObject::CLOCK_400KHZ, 0, I2C_TRACE),
      itsRead(SENSOR, CHECK_REGISTER, I2C_TRACE, addressWidth(settings), valueWidth(settings)),
      itsWrite(SENSOR, CHECK_REGISTER, 0x8E, I2C_TRACE, addressWidth(settings), valueWidth(settings)),
      itsModify(SENSOR, CHECK_REGISTER, 0x0E, 0x0F, I2C_TRACE, addressWidth(settings), valueWidth(settings)),
      itsBlockRead(SENSOR, 0, blockReadSize(settings), nullptr, 1, addressWidth(settings),
                   I2c::I2cComObjectProvider::MAX_BLOCK_SIZE, I2C_TRACE)
{
}

void ModuleExchanges::runOn(ComStream& stream)
{
    if (itsQueuesObjects)
    {
        stream.setPolicy(ComStream::theLateFlushPolicy);
        QQueue<IComObject*> queue;
        for (IComObject* object : objects())
            queue.enqueue(object);
        stream.execute(&queue);
        stream.lastError();
        return;
    }
    stream.setPolicy(ComStream::theImmediateFlushPolicy);
    for (IComObject* object : objects())
    {
        stream.execute(object);
        stream.lastError();
    }
}

QByteArray ModuleExchanges::programSettings()
{
    return QByteArray(SETTINGS_SIZE, '\0');
}

QList<IComObject*> ModuleExchanges::objects()
{
    return {&itsFirmwareNumber, &itsI2cConfig, &itsRead,          &itsWrite,        &itsModify,
            &itsBlockRead,      &itsObjects,   &itsConfiguration, &itsSerialNumber, &itsCalibration};
}
