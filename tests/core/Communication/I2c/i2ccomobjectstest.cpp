#include "core/Communication/comobjectprobe.h"

#include "Communication/I2c/i2cblockreadregistercomobject.h"
#include "Communication/I2c/i2ccomobjectprovider.h"
#include "Communication/I2c/i2cconfigcomobject.h"
#include "Communication/I2c/i2cmodifyregistercomobject.h"
#include "Communication/I2c/i2creadregistercomobject.h"
#include "Communication/I2c/i2cwriteregistercomobject.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

using namespace NoxCore::Communication;
using namespace NoxCore::Communication::I2c;

namespace
{

const unsigned char SLAVE = 0x29;
const unsigned int TRACE = 0x08000000;

using Factory = std::function<IComObject*()>;

} // namespace

TEST(I2cComObjects, RequestsAreByteExactAndBigEndianAndTelegramsNameEveryParameter)
{
    // Fault: width setters left the sizes alone, so requests went out cut short and answers were read past
    // what the object accepted.
    auto wideRead = std::make_shared<I2cReadRegisterComObject>(SLAVE, 0x0102, TRACE, 1, 1);
    wideRead->setAddressByteWidth(2);
    wideRead->setValueByteWidth(4);
    auto wideWrite = std::make_shared<I2cWriteRegisterComObject>(SLAVE, 0x0102, 0x33, TRACE, 1, 1);
    wideWrite->setAddressByteWidth(2);
    wideWrite->setValueByteWidth(4);
    auto wideModify = std::make_shared<I2cModifyRegisterComObject>(SLAVE, 0x10, 0x1234, 0xFF, TRACE, 1, 2);
    wideModify->setAddressByteWidth(2);
    auto wideBlock =
        std::make_shared<I2cBlockReadRegisterComObject>(SLAVE, 0x0100, 4, nullptr, 1, 1, 16, TRACE);
    wideBlock->setAddressByteWidth(2);
    auto read = std::make_shared<I2cReadRegisterComObject>(SLAVE, 0x10, TRACE, 1, 1);
    read->setRegisterValue(0x7F);
    const unsigned char blockData[] = {0x0A, 0xFF, 0x00, 0x01};
    const auto notice = IComObject::FireAndForget;
    const auto request = IComObject::RequestAndResponse;
    struct Case
    {
        std::shared_ptr<IComObject> object;
        unsigned char protocol;
        IComObject::CallingType callingType;
        const char* request;
        unsigned int answerSize;
        // The response telegram, without the indentation the writer adds.
        QString telegram;
    };
    const std::vector<Case> cases = {
        // An unknown module goes out as module 1.
        {std::make_shared<I2cConfigComObject>(5, 2, 0, TRACE), 0x62, notice, "01010200000000", 0, ""},
        {std::make_shared<I2cConfigComObject>(2, 255, 0x00061A80, TRACE), 0x62, notice, "0201ff00061a80", 0,
         "<I2cConfig><Module>2</Module><AddressSize>1</AddressSize><ClockMode>ff</ClockMode>"
         "<CustomClockSpeed>61a80</CustomClockSpeed></I2cConfig>"},
        {read, 0x61, request, "521053", 1,
         "<DataSize>1</DataSize><Data OutProperty=\"True\">7f</Data></I2cReadRegister>"},
        {wideRead, 0x61, request, "52010253", 4, ""},
        {std::make_shared<I2cWriteRegisterComObject>(SLAVE, 0x10, 0xAB, TRACE, 1, 1), 0x61, notice, "5210ab",
         0,
         "<I2cWriteRegister><SlaveAddress>29</SlaveAddress><AddressSize>1</AddressSize>"
         "<Address>10</Address><DataSize>1</DataSize><Data>ab</Data></I2cWriteRegister>"},
        {wideWrite, 0x61, notice, "52010200000033", 0, ""},
        {std::make_shared<I2cModifyRegisterComObject>(SLAVE, 0x10, 0x05, 0x0F, TRACE, 1, 1), 0x6C, notice,
         "5210050f", 0,
         "<I2cModifyRegister><SlaveAddress>29</SlaveAddress><AddressSize>1</AddressSize>"
         "<Address>10</Address><DataSize>1</DataSize><Data>5</Data><Mask>f</Mask></I2cModifyRegister>"},
        {wideModify, 0x6C, notice, "520010123400ff", 0, ""},
        {std::make_shared<I2cBlockReadRegisterComObject>(SLAVE, 0x20, 4, blockData, 1, 1, 16, TRACE), 0x61,
         request, "522053", 4,
         "<I2cBlockRegister><SlaveAddress>29</SlaveAddress><AddressSize>1</AddressSize>"
         "<Address>20</Address><MaxBlockSize>10</MaxBlockSize><BlockSize>4</BlockSize>"
         "<Data OutProperty=\"True\">0aff0001</Data></I2cBlockRegister>"},
        {wideBlock, 0x61, request, "52010053", 4, ""},
    };
    for (const Case& item : cases)
    {
        SCOPED_TRACE(item.request);
        IComObject* object = item.object.get();
        const ISerializable* serializable = dynamic_cast<ISerializable*>(object);
        const QByteArray request = QByteArray::fromHex(item.request);
        EXPECT_EQ(serializable->protocol(), item.protocol);
        EXPECT_EQ(object->callingType(), item.callingType);
        EXPECT_EQ(serializable->serializeSize(), unsigned(request.size()));
        EXPECT_EQ(serializable->deserializeSize(), item.answerSize);
        EXPECT_EQ(requestOf(object, unsigned(request.size())), request);
        EXPECT_EQ(requestOf(object, unsigned(request.size() - 1)), "refused");
        // The stream's payload buffer is larger than the request: nothing is written behind it.
        EXPECT_EQ(requestOf(object, unsigned(request.size() + 1)), request + '\xEE');
        const QString telegram = telegramOf(object, 1).remove(QRegularExpression("\n *"));
        EXPECT_TRUE(telegram.contains(item.telegram)) << telegram.toStdString();
    }
    EXPECT_EQ(telegramOf(read.get(), 0),
              "\n"
              "<Telegram Pid=\"61\" CallingType=\"RequestAndResponse\" TelegramType=\"Request\" "
              "Trace=\"08000000\">\n"
              "    <I2cReadRegister>\n"
              "        <SlaveAddress>29</SlaveAddress>\n"
              "        <AddressSize>1</AddressSize>\n"
              "        <Address>10</Address>\n"
              "        <DataSize>1</DataSize>\n"
              "    </I2cReadRegister>\n"
              "</Telegram>");
    // Without a buffer the register objects refuse instead of writing.
    EXPECT_FALSE(wideWrite->serialize(nullptr, 16));
    EXPECT_FALSE(wideModify->serialize(nullptr, 16));
    // A width the packer has no form for is refused before a byte is written.
    I2cReadRegisterComObject unpackable(SLAVE, 0x10, TRACE, 0xFFFFFFFE, 1);
    wideWrite->setValueByteWidth(3);
    for (IComObject* object : std::vector<IComObject*>{&unpackable, wideWrite.get()})
        EXPECT_EQ(requestOf(object, 16), "refused");
}

// Whole answers are taken by the register model's and the simulated board's tests.
TEST(I2cComObjects, AnswersAreTakenOnlyWhenCompleteAndBlocksStayWithinTheirLargestSize)
{
    I2cReadRegisterComObject read(SLAVE, 0x10, TRACE, 1, 2);
    read.setRegisterValue(0x0123);
    // Fault: a short answer was reported as read while the value stayed stale.
    EXPECT_FALSE(answer(&read, QByteArray::fromHex("45")));
    EXPECT_EQ(read.registerValue(), 0x0123u);
    EXPECT_FALSE(read.valid());

    I2cBlockReadRegisterComObject block(SLAVE, 0x20, 3, nullptr, 1, 1, 16, TRACE);
    // Fault: a short block answer shrank the data size, and the register layer then stopped the program.
    EXPECT_FALSE(answer(&block, QByteArray::fromHex("0102")));
    EXPECT_EQ(block.dataSize(), 3u);
    EXPECT_FALSE(block.valid());

    I2cBlockReadRegisterComObject largest(SLAVE, 0x0100, 4, nullptr, 1, 1, 1088, TRACE);
    largest.setDataSize(2000);
    EXPECT_EQ(largest.dataSize(), 1088u) << "blocks stay within their largest size";
    EXPECT_EQ(largest.deserializeSize(), 1088u);
}

TEST(I2cComObjects, BadTelegramsAreRefusedAndChangeNothing)
{
    const QString configTelegram = telegramOf(std::make_unique<I2cConfigComObject>(2, 3, 0, TRACE).get(), 0);
    // Fault: widths and values were taken as written; AddressSize fffffffe wrapped the request size to 0 and
    // serialising wrote far past the frame buffer, and Address 100 went out as register 0x00.
    // A good modify telegram with one parameter changed.
    const auto modify = [](const char* from, const char* to)
    {
        return QStringLiteral("<Telegram><I2cModifyRegister><SlaveAddress>29</SlaveAddress><AddressSize>1"
                              "</AddressSize><Address>1</Address><DataSize>1</DataSize><Data>2</Data>"
                              "<Mask>3</Mask></I2cModifyRegister></Telegram>")
            .replace(from, to);
    };
    const Factory newModify = [] { return new I2cModifyRegisterComObject(0, 0, 0, 0, TRACE, 1, 1); };
    const Factory newRead = [] { return new I2cReadRegisterComObject(0, 0, TRACE, 1, 1); };
    const std::vector<std::pair<Factory, QString>> cases = {
        {newModify, modify(">1</AddressSize>", ">fffffffe</AddressSize>")},
        {newModify, modify(">1</AddressSize>", ">3</AddressSize>")},
        {newModify, modify(">1</DataSize>", ">ffffffff</DataSize>")},
        {newModify, modify(">1</Address>", ">100</Address>")},
        {newModify, modify(">1</AddressSize>", ">2</AddressSize>").replace(">2</Data>", ">100</Data>")},
        {newModify, modify(">3</Mask>", ">1ff</Mask>")},
        {newModify, modify(">29</SlaveAddress>", ">80</SlaveAddress>")},
        {newRead, "<Telegram><I2cReadRegister><SlaveAddress>29</SlaveAddress><AddressSize>0</AddressSize>"
                  "<Address>1</Address><DataSize>1</DataSize></I2cReadRegister></Telegram>"},
        {[] { return new I2cBlockReadRegisterComObject(0, 0, 1, nullptr, 1, 1, 1088, TRACE); },
         "<Telegram><I2cBlockRegister><SlaveAddress>29</SlaveAddress><AddressSize>fffffffe</AddressSize>"
         "<Address>10</Address><MaxBlockSize>10</MaxBlockSize><BlockSize>3</BlockSize></I2cBlockRegister>"
         "</Telegram>"},
        {[] { return new I2cConfigComObject(1, 1, 0, TRACE); },
         QString(configTelegram).replace("<AddressSize>1<", "<AddressSize>2<")},
        {[] { return new I2cWriteRegisterComObject(0, 0, 0, TRACE, 1, 1); },
         "<Telegram><I2cWriteRegister><SlaveAddress>29</SlaveAddress><AddressSize>1</AddressSize>"
         "<Address>10</Address><DataSize>1</DataSize></I2cWriteRegister></Telegram>"},
        {[] { return new I2cBlockReadRegisterComObject(0, 0, 1, nullptr, 1, 1, 1088, TRACE); },
         "<Telegram><I2cBlockRegister><SlaveAddress>29</SlaveAddress><AddressSize>1</AddressSize>"
         "<Address>10</Address><MaxBlockSize>10</MaxBlockSize><BlockSize>3</BlockSize><Data>0aff</Data>"
         "</I2cBlockRegister></Telegram>"},
        {[] { return new I2cBlockReadRegisterComObject(0, 0, 1, nullptr, 1, 1, 1088, TRACE); },
         "<Telegram><I2cBlockRegister><SlaveAddress>29</SlaveAddress><AddressSize>1</AddressSize>"
         "<Address>10</Address><MaxBlockSize>ffffffff</MaxBlockSize><BlockSize>3</BlockSize>"
         "</I2cBlockRegister></Telegram>"},
    };
    for (const auto& item : cases)
    {
        std::unique_ptr<IComObject> object(item.first());
        const QString before = telegramOf(object.get(), 1);
        EXPECT_FALSE(readTelegram(object.get(), item.second)) << item.second.toStdString();
        EXPECT_EQ(telegramOf(object.get(), 1), before);
    }
}
