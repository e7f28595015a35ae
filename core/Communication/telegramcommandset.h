#ifndef NOXCORE_COMMUNICATION_TELEGRAMCOMMANDSET_H
#define NOXCORE_COMMUNICATION_TELEGRAMCOMMANDSET_H

#include "commandset.h"

namespace NoxCore
{
namespace Communication
{

// The com objects of this library that have a telegram form, each under the name of its command element:
// the I2C configuration, register read, write, modify and block read, the firmware number and the stream
// flush. Registered with the CommandManager, it lets recorded telegrams of the board's streams be replayed
// and new commands be made in a trace program:
//
//     TelegramCommandSet commands;
//     CommandManager::instance()->registerCommandSet(&commands);
//
// The prototypes address the sensor chip with one-byte addresses and values and carry the I2C trace
// category, so that a command made from them is traced and ready to send.
class TelegramCommandSet : public CommandSet
{
public:
    // The sensor chip's 7-bit address on the board's I2C bus.
    static constexpr unsigned char SENSOR_SLAVE_ADDRESS = 0x40;
    static constexpr unsigned int FIRMWARE_NUMBER_TRACE_PATTERN = 0x40000000;

    TelegramCommandSet();
    ~TelegramCommandSet() override;

private:
    // Under the name of the command element its own telegram carries, so that the names cannot drift
    // apart from what the objects write.
    void addPrototype(IComObject* prototype);
};

} // namespace Communication
} // namespace NoxCore

#endif
