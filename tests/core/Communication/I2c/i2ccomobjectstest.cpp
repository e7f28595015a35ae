#include "core/Communication/comobjectprobe.h"
#include "support/assertionpattern.h"

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

TEST(I2cComObjects, RequestsAreByteExactAndBigEndian)
{
    const auto notice = IComObject::FireAndForget;
    const auto request = IComObject::RequestAndResponse;
    struct Case
    {
        Factory create;
        unsigned char protocol;
        IComObject::CallingType callingType;
        const char* request;
        unsigned int answerSize;
    };
    const std::vector<Case> cases = {
        // An unknown module goes out as module 1.
        {[] { return new I2cConfigComObject(5, 2, 0, 0); }, 0x62, notice, "01010200000000", 0},
        {[] { return new I2cConfigComObject(2, 255, 0x00061A80, 0); }, 0x62, notice, "0201ff00061a80", 0},
        {[] { return new I2cReadRegisterComObject(SLAVE, 0x10, TRACE, 1, 1); }, 0x61, request, "521053", 1},
        {[] { return new I2cReadRegisterComObject(SLAVE, 0x0102, TRACE, 2, 4); }, 0x61, request, "52010253",
         4},
        {[] { return new I2cWriteRegisterComObject(SLAVE, 0x10, 0xAB, TRACE, 1, 1); }, 0x61, notice, "5210ab",
         0},
        {[] { return new I2cWriteRegisterComObject(SLAVE, 0x0102, 0x33, TRACE, 2, 1); }, 0x61, notice,
         "52010233", 0},
        {[] { return new I2cModifyRegisterComObject(SLAVE, 0x10, 0x05, 0x0F, TRACE, 1, 1); }, 0x6C, notice,
         "5210050f", 0},
        {[] { return new I2cModifyRegisterComObject(SLAVE, 0x10, 0x1234, 0xFF, TRACE, 1, 2); }, 0x6C, notice,
         "5210123400ff", 0},
        {[] { return new I2cBlockReadRegisterComObject(SLAVE, 0x20, 4, nullptr, 1, 1, 16, TRACE); }, 0x61,
         request, "522053", 4},
    };
    for (const Case& item : cases)
    {
        SCOPED_TRACE(item.request);
        std::unique_ptr<IComObject> object(item.create());
        const ISerializable* serializable = dynamic_cast<ISerializable*>(object.get());
        const QByteArray request = QByteArray::fromHex(item.request);
        EXPECT_EQ(serializable->protocol(), item.protocol);
        EXPECT_EQ(object->callingType(), item.callingType);
        EXPECT_EQ(serializable->serializeSize(), unsigned(request.size()));
        EXPECT_EQ(serializable->deserializeSize(), item.answerSize);
        EXPECT_EQ(requestOf(object.get(), unsigned(request.size())), request);
        EXPECT_EQ(requestOf(object.get(), unsigned(request.size() - 1)), "refused");
        // The stream's payload buffer is larger than the request: nothing is written behind it.
        EXPECT_EQ(requestOf(object.get(), unsigned(request.size() + 1)), request + '\xEE');
    }
    // Without a buffer the register objects refuse instead of writing.
    I2cWriteRegisterComObject write(SLAVE, 0x10, 0xAB, TRACE, 1, 1);
    I2cModifyRegisterComObject modify(SLAVE, 0x10, 0x05, 0x0F, TRACE, 1, 1);
    EXPECT_FALSE(write.serialize(nullptr, 16));
    EXPECT_FALSE(modify.serialize(nullptr, 16));
    // A width the packer has no form for is refused before a byte is written.
    I2cReadRegisterComObject read(SLAVE, 0x10, TRACE, 0xFFFFFFFE, 1);
    write.setValueByteWidth(3);
    for (IComObject* object : std::vector<IComObject*>{&read, &write})
        EXPECT_EQ(requestOf(object, 16), "refused");
}

TEST(I2cComObjects, AnswersAreTakenOnlyWhenComplete)
{
    I2cReadRegisterComObject read(SLAVE, 0x10, TRACE, 1, 1);
    EXPECT_TRUE(answer(&read, QByteArray::fromHex("7f")));
    EXPECT_EQ(read.registerValue(), 0x7Fu);
    read.setValueByteWidth(2);
    EXPECT_TRUE(answer(&read, QByteArray::fromHex("0123")));
    EXPECT_EQ(read.registerValue(), 0x0123u);
    // Fault: a short answer was reported as read while the value stayed stale.
    EXPECT_FALSE(answer(&read, QByteArray::fromHex("45")));
    EXPECT_EQ(read.registerValue(), 0x0123u);
    EXPECT_FALSE(read.valid());

    I2cBlockReadRegisterComObject block(SLAVE, 0x20, 3, nullptr, 1, 1, 16, TRACE);
    EXPECT_TRUE(answer(&block, QByteArray::fromHex("a1b2c3")));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(block.data()), 3), QByteArray::fromHex("a1b2c3"));
    // Fault: a short block answer shrank the data size, and the register layer then stopped the program.
    EXPECT_FALSE(answer(&block, QByteArray::fromHex("0102")));
    EXPECT_EQ(block.dataSize(), 3u);
    EXPECT_FALSE(block.valid());
}

// Fault: width setters left the sizes alone, so requests went out cut short and answers were read past
// what the object accepted.
TEST(I2cComObjects, SizesFollowTheWidths)
{
    I2cReadRegisterComObject read(SLAVE, 0x10, TRACE, 1, 1);
    read.setAddressByteWidth(2);
    read.setValueByteWidth(4);
    EXPECT_EQ(read.serializeSize(), 4u);
    EXPECT_EQ(read.deserializeSize(), 4u);
    I2cWriteRegisterComObject write(SLAVE, 0x10, 0xAB, TRACE, 1, 1);
    write.setValueByteWidth(4);
    EXPECT_EQ(write.serializeSize(), 6u);
    I2cModifyRegisterComObject modify(SLAVE, 0x10, 0x05, 0x0F, TRACE, 1, 1);
    modify.setAddressByteWidth(2);
    EXPECT_EQ(modify.serializeSize(), 5u);

    I2cBlockReadRegisterComObject block(SLAVE, 0x0100, 4, nullptr, 1, 1, 1088, TRACE);
    block.setAddressByteWidth(2);
    EXPECT_EQ(block.serializeSize(), 4u);
    EXPECT_EQ(requestOf(&block, 4), QByteArray::fromHex("52010053"));
    block.setDataSize(2000);
    EXPECT_EQ(block.dataSize(), 1088u);
    EXPECT_EQ(block.deserializeSize(), 1088u);
    EXPECT_DEATH(I2cBlockReadRegisterComObject(SLAVE, 0, 17, nullptr, 1, 1, 16, TRACE),
                 assertionPattern("i2cblockreadregistercomobject", "itsDataSize <= itsMaxDataSize",
                                  "BlockSize must be lower or equal than MaxBlockSize."));
}

TEST(I2cConfigComObject, NamesItsClockModes)
{
    const std::vector<std::pair<unsigned char, const char*>> modes = {
        {1, "100KHz"},         {2, "400KHz"},  {3, "1MHz"},   {4, "3.4MHz"},
        {255, "custom speed"}, {0, "unknown"}, {5, "unknown"}};
    for (const auto& mode : modes)
        EXPECT_EQ(I2cConfigComObject::clockModeToFrequency(mode.first), mode.second) << int(mode.first);
}

TEST(I2cComObjectProvider, CreatesOneByteObjectsForItsSlave)
{
    I2cComObjectProvider provider;
    provider.setConfiguration(0x40);
    std::unique_ptr<IRegisterComObject> read(provider.createReadRegisterObject());
    std::unique_ptr<IRegisterComObject> write(provider.createWriteRegisterObject());
    std::unique_ptr<IModifyRegisterComObject> modify(provider.createModifyRegisterObject());
    std::unique_ptr<IBlockRegisterComObject> block(provider.createBlockRegisterObject());
    EXPECT_EQ(requestOf(read.get(), 3), QByteArray::fromHex("800081"));
    EXPECT_EQ(requestOf(write.get(), 3), QByteArray::fromHex("800000"));
    EXPECT_EQ(requestOf(modify.get(), 4), QByteArray::fromHex("80000000"));
    EXPECT_EQ(requestOf(block.get(), 3), QByteArray::fromHex("800081"));
    for (IComObject* object : std::vector<IComObject*>{read.get(), write.get(), modify.get(), block.get()})
        EXPECT_EQ(object->tracePattern(), TRACE);

    I2cComObjectProvider unconfigured;
    EXPECT_DEATH(unconfigured.createModifyRegisterObject(),
                 assertionPattern("i2ccomobjectprovider", "itsIsInitialized",
                                  "ComObjectProvider is not initialized."));
}

TEST(I2cComObjects, TelegramsNameEveryParameterInHexadecimal)
{
    I2cReadRegisterComObject read(SLAVE, 0x10, TRACE, 1, 1);
    EXPECT_EQ(telegramOf(&read, 0),
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

    // The responses, without the indentation the writer adds.
    read.setRegisterValue(0x7F);
    I2cConfigComObject config(2, 2, 0x1A, TRACE);
    I2cWriteRegisterComObject write(SLAVE, 0x10, 0xAB, TRACE, 1, 1);
    I2cModifyRegisterComObject modify(SLAVE, 0x10, 0x05, 0x0F, TRACE, 1, 1);
    const unsigned char blockData[] = {0x0A, 0xFF};
    I2cBlockReadRegisterComObject block(SLAVE, 0x20, 2, blockData, 1, 1, 16, TRACE);
    const std::vector<std::pair<IComObject*, QString>> responses = {
        {&read, "<DataSize>1</DataSize><Data OutProperty=\"True\">7f</Data></I2cReadRegister>"},
        {&config, "<I2cConfig><Module>2</Module><AddressSize>1</AddressSize><ClockMode>2</ClockMode>"
                  "<CustomClockSpeed>1a</CustomClockSpeed></I2cConfig>"},
        {&write, "<I2cWriteRegister><SlaveAddress>29</SlaveAddress><AddressSize>1</AddressSize>"
                 "<Address>10</Address><DataSize>1</DataSize><Data>ab</Data></I2cWriteRegister>"},
        {&modify,
         "<I2cModifyRegister><SlaveAddress>29</SlaveAddress><AddressSize>1</AddressSize>"
         "<Address>10</Address><DataSize>1</DataSize><Data>5</Data><Mask>f</Mask></I2cModifyRegister>"},
        {&block, "<I2cBlockRegister><SlaveAddress>29</SlaveAddress><AddressSize>1</AddressSize>"
                 "<Address>20</Address><MaxBlockSize>10</MaxBlockSize><BlockSize>2</BlockSize>"
                 "<Data OutProperty=\"True\">0aff</Data></I2cBlockRegister>"},
    };
    for (const auto& response : responses)
    {
        const QString text = telegramOf(response.first, 1).remove(QRegularExpression("\n *"));
        EXPECT_TRUE(text.contains(response.second)) << text.toStdString();
    }
}

TEST(I2cComObjects, BadTelegramsAreRefusedAndChangeNothing)
{
    const QString configTelegram = telegramOf(std::make_unique<I2cConfigComObject>(2, 3, 0, TRACE).get(), 0);
    // Fault: widths and values were taken as written; AddressSize fffffffe wrapped the request size to 0 and
    // serialising wrote far past the frame buffer, and Address 100 went out as register 0x00.
    const auto modify = [](const char* parameters) {
        return QStringLiteral("<Telegram><I2cModifyRegister>%1</I2cModifyRegister></Telegram>")
            .arg(parameters);
    };
    const Factory newModify = [] { return new I2cModifyRegisterComObject(0, 0, 0, 0, TRACE, 1, 1); };
    const Factory newRead = [] { return new I2cReadRegisterComObject(0, 0, TRACE, 1, 1); };
    const std::vector<std::pair<Factory, QString>> cases = {
        {newModify, modify("<SlaveAddress>29</SlaveAddress><AddressSize>fffffffe</AddressSize><Address>1"
                           "</Address><DataSize>1</DataSize><Data>2</Data><Mask>3</Mask>")},
        {newModify, modify("<SlaveAddress>29</SlaveAddress><AddressSize>3</AddressSize><Address>1</Address>"
                           "<DataSize>1</DataSize><Data>2</Data><Mask>3</Mask>")},
        {newModify, modify("<SlaveAddress>29</SlaveAddress><AddressSize>1</AddressSize><Address>1</Address>"
                           "<DataSize>ffffffff</DataSize><Data>2</Data><Mask>3</Mask>")},
        {newModify, modify("<SlaveAddress>29</SlaveAddress><AddressSize>1</AddressSize><Address>100</Address>"
                           "<DataSize>1</DataSize><Data>2</Data><Mask>3</Mask>")},
        {newModify, modify("<SlaveAddress>29</SlaveAddress><AddressSize>2</AddressSize><Address>1</Address>"
                           "<DataSize>1</DataSize><Data>100</Data><Mask>3</Mask>")},
        {newModify, modify("<SlaveAddress>29</SlaveAddress><AddressSize>1</AddressSize><Address>1</Address>"
                           "<DataSize>1</DataSize><Data>2</Data><Mask>1ff</Mask>")},
        {newModify, modify("<SlaveAddress>80</SlaveAddress><AddressSize>1</AddressSize><Address>1</Address>"
                           "<DataSize>1</DataSize><Data>2</Data><Mask>3</Mask>")},
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
