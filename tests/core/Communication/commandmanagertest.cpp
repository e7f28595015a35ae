#include "core/Tracing/telegramtestsupport.h"

#include "core/Communication/comobjectprobe.h"

#include "Communication/Control/firmwarenumbercomobject.h"
#include "Communication/I2c/i2cblockreadregistercomobject.h"
#include "Communication/I2c/i2cconfigcomobject.h"
#include "Communication/I2c/i2cmodifyregistercomobject.h"
#include "Communication/commandinfo.h"
#include "Communication/streamflushobject.h"
#include "Tracing/traceprogrammer.h"

#include <memory>

using namespace NoxCore::Communication;
using namespace NoxCore::Communication::I2c;
using NoxCore::Communication::Control::FirmwareNumberComObject;

namespace
{

// Fault guarded: while the manager was a static member of its class, a command set built before main (it
// asks the manager for its prototypes' telegrams) could call into a manager not yet constructed and crash.
const TelegramCommandSet commandsBuiltBeforeMain;

} // namespace

TEST_F(TelegramCommandsTest, EveryTelegramObjectComesBackFromItsRequestAndResponse)
{
    EXPECT_EQ(commandsBuiltBeforeMain.commandNames(),
              QStringList({"FirmwareNumber", "I2cBlockRegister", "I2cConfig", "I2cModifyRegister",
                           "I2cReadRegister", "I2cWriteRegister", "StreamFlush"}));
    for (const QString& name : commandsBuiltBeforeMain.commandNames())
        EXPECT_NE(std::unique_ptr<IComObject>(commandsBuiltBeforeMain.createObject(name))->tracePattern(), 0u)
            << "a command made from the prototype " << name.toStdString() << " must be traced";

    // Values unlike the prototypes', so that no parameter can come back by chance.
    I2cConfigComObject config(2, 255, 0x61A80, I2C_TRACE);
    I2cReadRegisterComObject read(0x52, 0x0102, I2C_TRACE, 2, 2);
    read.setRegisterValue(0xABCD);
    I2cWriteRegisterComObject write(0x52, 0x0102, 0xABCD, I2C_TRACE, 2, 2);
    I2cModifyRegisterComObject modify(0x52, 0x10, 0x05, 0x0F, I2C_TRACE, 1, 1);
    const unsigned char blockData[] = {0x0A, 0xFF, 0x00};
    I2cBlockReadRegisterComObject block(0x52, 0x20, 3, blockData, 1, 1, 16, I2C_TRACE);
    FirmwareNumberComObject firmware(0x40000000);
    answer(&firmware, QByteArray::fromHex("020511"));
    StreamFlushObject flush;
    for (IComObject* original :
         std::vector<IComObject*>{&config, &read, &write, &modify, &block, &firmware, &flush})
    {
        original->setComment("note");
        for (const unsigned int telegramType : {0u, 1u})
        {
            const QString text = telegramOf(original, telegramType);
            SCOPED_TRACE(text.toStdString());
            const std::unique_ptr<IComObject> copy(manager->convertToComObject(text));
            ASSERT_NE(copy, nullptr);
            EXPECT_EQ(telegramOf(copy.get(), telegramType), text);
        }
    }
}

// The telegram type is read in its exact spelling only; each conversion needs its own attributes.
TEST_F(TelegramCommandsTest, TypesAndConversionsTakeTheAttributesTheyNeed)
{
    const int REQUEST = CommandManager::TELEGRAM_TYPE_REQUEST;
    const int UNKNOWN = CommandManager::TELEGRAM_TYPE_UNKNOWN;
    const QString all = writeTelegram(0x10, 0xab);
    const struct
    {
        QString text;
        int type;
        bool convertsToInfo;
        bool convertsToObject;
    } cases[] = {
        {all, REQUEST, true, true},
        {QString(all).replace("Request", "Response"), CommandManager::TELEGRAM_TYPE_RESPONSE, true, true},
        {QString(all).replace("Request", "response"), UNKNOWN, true, true},
        {QString(all).remove(" Trace=\"08000000\""), REQUEST, false, false},
        {QString(all).remove("Pid=\"61\""), REQUEST, false, true},
        {QString(all).remove("CallingType=\"FireAndForget\""), REQUEST, false, false},
        {QString(all).replace("08000000", "0800zz00"), REQUEST, true, false},
        {QStringLiteral("<Telegram Pid=\"7f\"><StreamFlush/></Telegram>"), UNKNOWN, false, false},
        {QStringLiteral("<Other TelegramType=\"Request\"><StreamFlush/></Other>"), UNKNOWN, false, false},
    };
    for (const auto& testCase : cases)
    {
        SCOPED_TRACE(testCase.text.toStdString());
        EXPECT_EQ(CommandManager::getTelegramType(&testCase.text), testCase.type);
        const std::unique_ptr<CommandInfo> info(manager->convertToCommandInfo(testCase.text));
        const std::unique_ptr<IComObject> object(manager->convertToComObject(testCase.text));
        EXPECT_EQ(info != nullptr, testCase.convertsToInfo);
        EXPECT_EQ(object != nullptr, testCase.convertsToObject);
    }
}

TEST_F(TelegramCommandsTest, EditedInfosGoIntoTheirOwnCommandOnlyAndThroughTheValidatorWhenAsked)
{
    const QString original = writeTelegram(0x10, 0xab);
    const std::unique_ptr<CommandInfo> info(manager->convertToCommandInfo(original));
    EXPECT_EQ(info->getPropertyType("Trace") + info->getPropertyType("TelegramType"), "hextext");
    info->addProperty("Address", "22", "hex", false);
    info->addProperty("Trace", "00000100", "hex", false);
    info->setComment("after the reset");

    QString updated = original;
    ASSERT_TRUE(manager->updateTelegram(&updated, info.get()));
    const std::unique_ptr<IComObject> object(manager->convertToComObject(updated));
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(dynamic_cast<IRegisterComObject*>(object.get())->registerAddress(), 0x22u);
    EXPECT_EQ(object->tracePattern(), 0x100u);
    EXPECT_EQ(object->getComment(), "after the reset");

    CommandInfo other("I2cReadRegister");
    QString unchanged = original;
    EXPECT_FALSE(manager->updateTelegram(&unchanged, &other));
    EXPECT_EQ(unchanged, original);

    // Setting a property asks the validator when told to, and only a programmer's commands have one.
    const std::unique_ptr<CommandInfo> unvalidated(manager->createCommand("I2cWriteRegister"));
    ASSERT_NE(unvalidated, nullptr);
    EXPECT_FALSE(unvalidated->trySetPropertyValue("Address", "12", true));
    EXPECT_EQ(unvalidated->getPropertyValue("Address"), "0");
    EXPECT_TRUE(unvalidated->trySetPropertyValue("Address", "12", false));
    EXPECT_FALSE(unvalidated->trySetPropertyValue("Unknown", "12", false));

    NoxCore::Tracing::TraceProgrammer programmer;
    const std::unique_ptr<CommandInfo> validated(programmer.createCommand("I2cWriteRegister"));
    EXPECT_TRUE(validated->trySetPropertyValue("Address", "12", true));
    EXPECT_FALSE(validated->trySetPropertyValue("Address", "1z", true));
    EXPECT_EQ(validated->getPropertyValue("Address"), "12");
}
