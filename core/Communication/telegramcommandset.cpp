#include "telegramcommandset.h"

#include "Control/firmwarenumbercomobject.h"
#include "I2c/i2ccomobjectprovider.h"
#include "I2c/i2cconfigcomobject.h"
#include "commandmanager.h"
#include "iblockregistercomobject.h"
#include "imodifyregistercomobject.h"
#include "iregistercomobject.h"
#include "streamflushobject.h"
#include "telegramreader.h"

#include <memory>

namespace NoxCore
{
namespace Communication
{

namespace
{

// The demo's own configuration: the second I2C module at 400 kHz.
const unsigned char I2C_MODULE = 2;
const unsigned char I2C_CLOCK_MODE = I2c::I2cConfigComObject::CLOCK_400KHZ;

} // namespace

TelegramCommandSet::TelegramCommandSet()
{
    I2c::I2cComObjectProvider provider;
    provider.setConfiguration(SENSOR_SLAVE_ADDRESS);
    I2c::I2cConfigComObject configuration(I2C_MODULE, I2C_CLOCK_MODE, 0,
                                          I2c::I2cComObjectProvider::TRACE_PATTERN);
    addPrototype(&configuration);
    addPrototype(std::unique_ptr<IComObject>(provider.createReadRegisterObject()).get());
    addPrototype(std::unique_ptr<IComObject>(provider.createWriteRegisterObject()).get());
    addPrototype(std::unique_ptr<IComObject>(provider.createModifyRegisterObject()).get());
    addPrototype(std::unique_ptr<IComObject>(provider.createBlockRegisterObject()).get());
    Control::FirmwareNumberComObject firmwareNumber(FIRMWARE_NUMBER_TRACE_PATTERN);
    addPrototype(&firmwareNumber);
    StreamFlushObject flush;
    addPrototype(&flush);
}

TelegramCommandSet::~TelegramCommandSet() = default;

void TelegramCommandSet::addPrototype(IComObject* prototype)
{
    TelegramReader telegram;
    telegram.read(CommandManager::instance()->convertToXml(prototype));
    addCommand(telegram.commandName(), prototype);
}

} // namespace Communication
} // namespace NoxCore
