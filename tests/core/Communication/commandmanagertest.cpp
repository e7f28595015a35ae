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

// Every way in (trace files, edited programs, the viewer) converts through here. Each conversion needs its
// own attributes; unknown commands and bad values are still telegrams a person can look at and mend, but
// nothing that is not one whole telegram converts. The recorder's refusal of a broken text is its own.
TEST_F(TelegramCommandsTest, TextsConvertWithTheAttributesEachConversionNeedsAndBrokenOnesToNothing)
{
    const QString all = writeTelegram(0x10, 0xab);
    const auto nested = [](const QString& name)
    { return QString("<%1>").arg(name).repeated(100000) + QString("</%1>").arg(name).repeated(100000); };
    const struct
    {
        const char* what;
        QString text;
        bool convertsToInfo;
        bool convertsToObject;
    } cases[] = {
        {"whole", all, true, true},
        {"response", QString(all).replace("Request", "Response"), true, true},
        {"type in another spelling", QString(all).replace("Request", "response"), true, true},
        {"no trace", QString(all).remove(" Trace=\"08000000\""), false, false},
        {"no protocol id", QString(all).remove("Pid=\"61\""), false, true},
        {"no calling type", QString(all).remove("CallingType=\"FireAndForget\""), false, false},
        {"trace not hexadecimal", QString(all).replace("08000000", "0800zz00"), true, false},
        {"no type", QStringLiteral("<Telegram Pid=\"7f\"><StreamFlush/></Telegram>"), false, false},
        {"another root", QStringLiteral("<Other TelegramType=\"Request\"><StreamFlush/></Other>"), false,
         false},
        {"truncated", all.left(120), false, false},
        {"not XML", QStringLiteral("Address=2, please"), false, false},
        {"empty", QString(), false, false},
        {"binary", QString::fromLatin1("\x01\x7f<\x02\xff", 5), false, false},
        {"deeply nested parameter", writeTelegramWithAddress(nested("Address")), false, false},
        {"deeply nested command", writeTelegramWithAddress(nested("Deeper")), false, false},
        {"enormous", ENORMOUS, false, false},
        {"duplicate attribute", QString(all).replace("<Telegram ", "<Telegram Trace=\"1\" "), false, false},
        {"duplicate parameter", writeTelegramWithAddress("<Address>2</Address><Address>3</Address>"), false,
         false},
        {"two commands", QString(all).replace("</Telegram>", "<StreamFlush/></Telegram>"), false, false},
        {"trailing element", all + "<Telegram/>", false, false},
        {"entity from a document type",
         "<!DOCTYPE Telegram [<!ENTITY a \"2\">]>" + writeTelegramWithAddress("<Address>&a;</Address>"),
         false, false},
        {"unknown command", UNKNOWN_COMMAND, true, false},
        {"non-hexadecimal value", writeTelegramWithAddress("<Address>1z</Address>"), true, false},
    };
    for (const auto& testCase : cases)
    {
        SCOPED_TRACE(testCase.what);
        const std::unique_ptr<CommandInfo> info(manager->convertToCommandInfo(testCase.text));
        const std::unique_ptr<IComObject> object(manager->convertToComObject(testCase.text));
        EXPECT_EQ(info != nullptr, testCase.convertsToInfo);
        EXPECT_EQ(object != nullptr, testCase.convertsToObject);
    }

    // The telegram type is read in its exact spelling only, whatever other attributes are missing.
    const QList<QPair<QString, int>> types = {
        {all, CommandManager::TELEGRAM_TYPE_REQUEST},
        {cases[1].text, CommandManager::TELEGRAM_TYPE_RESPONSE},
        {cases[2].text, CommandManager::TELEGRAM_TYPE_UNKNOWN},
        {cases[3].text, CommandManager::TELEGRAM_TYPE_REQUEST},
        {cases[7].text, CommandManager::TELEGRAM_TYPE_UNKNOWN},
        {cases[8].text, CommandManager::TELEGRAM_TYPE_UNKNOWN},
    };
    for (QPair<QString, int> type : types)
        EXPECT_EQ(CommandManager::getTelegramType(&type.first), type.second) << type.first.toStdString();
}

// A bad value typed into the program's editor is refused and leaves the command as it was.
TEST_F(TelegramCommandsTest, EditedInfosGoIntoTheirOwnCommandOnlyAndThroughTheValidatorWhenAsked)
{
    const QString original = writeTelegram(0x10, 0xab);
    const std::unique_ptr<CommandInfo> info(manager->convertToCommandInfo(original));
    info->addProperty("Address", "22", "hex", false);
    QString updated = original;
    ASSERT_TRUE(manager->updateTelegram(&updated, info.get()));
    const std::unique_ptr<IComObject> object(manager->convertToComObject(updated));
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(dynamic_cast<IRegisterComObject*>(object.get())->registerAddress(), 0x22u);
    CommandInfo other("I2cReadRegister");
    QString unchanged = original;
    EXPECT_FALSE(manager->updateTelegram(&unchanged, &other));
    EXPECT_EQ(unchanged, original);

    NoxCore::Tracing::TraceProgrammer programmer;
    const std::unique_ptr<CommandInfo> validated(programmer.createCommand("I2cWriteRegister"));
    EXPECT_TRUE(validated->trySetPropertyValue("Address", "12", true));
    EXPECT_FALSE(validated->trySetPropertyValue("Address", "1z", true));
    EXPECT_FALSE(validated->trySetPropertyValue("Unknown", "12", false));
    EXPECT_EQ(validated->getPropertyValue("Address"), "12");
}
