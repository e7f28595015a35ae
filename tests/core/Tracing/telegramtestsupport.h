#ifndef LIDORA_TESTS_TELEGRAMTESTSUPPORT_H
#define LIDORA_TESTS_TELEGRAMTESTSUPPORT_H

#include "core/Communication/comobjectprobe.h"
#include "support/tempworkdir.h"

#include "Communication/I2c/i2creadregistercomobject.h"
#include "Communication/I2c/i2cwriteregistercomobject.h"
#include "Communication/commandmanager.h"
#include "Communication/telegramcommandset.h"

#include <QFile>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

// The library's telegram commands registered with the process-wide manager for the length of one test.
class TelegramCommandsTest : public ::testing::Test
{
protected:
    TelegramCommandsTest()
    {
        const NoxCore::Communication::TelegramCommandSet commands;
        manager->registerCommandSet(&commands);
    }
    ~TelegramCommandsTest() override { manager->unregisterCommands(); }

    NoxCore::Communication::CommandManager* const manager =
        NoxCore::Communication::CommandManager::instance();
};

// The same with a private folder and a trace file in it.
class TraceFileTest : public TelegramCommandsTest
{
protected:
    void writeTraceFile(const QByteArray& content) const { folder.writeFile("trace.xml", content); }
    QByteArray traceFileContent() const
    {
        QFile file(fileName);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    TempWorkDir folder;
    const QString fileName = folder.filePath("trace.xml");
};

inline const unsigned char SENSOR = NoxCore::Communication::TelegramCommandSet::SENSOR_SLAVE_ADDRESS;
inline const unsigned int I2C_TRACE = 0x08000000;
inline const unsigned int REQUEST = 0;
inline const unsigned int RESPONSE = 1;

// The request telegram of a one-byte register write, as the stream traces it.
inline QString writeTelegram(unsigned int address, unsigned int value, unsigned int trace = I2C_TRACE)
{
    NoxCore::Communication::I2c::I2cWriteRegisterComObject write(SENSOR, address, value, trace, 1, 1);
    return NoxCore::Communication::CommandManager::instance()->convertToXml(&write);
}

// The write of value 2 to register 2 with its Address element replaced, for telegrams broken inside.
inline QString writeTelegramWithAddress(const QString& element)
{
    return writeTelegram(0x02, 2).replace("<Address>2</Address>", element);
}

// A read telegram: the request as the stream traces it when sending, the response with its answer.
inline QString readTelegram(unsigned int address, unsigned int value, unsigned int telegramType)
{
    NoxCore::Communication::I2c::I2cReadRegisterComObject read(SENSOR, address, I2C_TRACE, 1, 1);
    read.setRegisterValue(value);
    return telegramOf(&read, telegramType);
}

// Telegrams broken inside: an unknown command, and one too long for any reader to take.
inline const QString UNKNOWN_COMMAND = writeTelegram(0x02, 2).replace("I2cWriteRegister", "I2cTeleport");
inline const QString ENORMOUS =
    writeTelegramWithAddress("<Address>" + QString(4 * 1024 * 1024, '0') + "</Address>");

// A trace file around the given telegram texts, written by hand so that tests can break it anywhere.
inline QByteArray traceFile(const QStringList& telegrams, const QByteArray& declaration = "1.0")
{
    return "<?xml version=\"" + declaration + "\" encoding=\"UTF-8\"?>\n<!DOCTYPE LogData>\n<LogData>\n" +
           telegrams.join('\n').toUtf8() + "\n</LogData>\n";
}

#endif
