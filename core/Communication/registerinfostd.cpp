#include "registerinfostd.h"

#include "Tools/noxassert.h"
#include "comstream.h"
#include "iblockregistercomobject.h"
#include "imodifyregistercomobject.h"
#include "iregistercomobjectprovider.h"
#include "registervalue.h"

#include <QtGlobal>
#include <cstddef>

namespace NoxCore
{
namespace Communication
{

namespace
{

const unsigned int BITS_PER_BYTE = 8;
const unsigned int LARGEST_ADDRESS_BYTES = 4;
const char KEY_PREFIX = 0x01;
const int HEX_BASE = 16;
const int ID_DIGITS = 2;

unsigned int bytesFor(unsigned int bits)
{
    return (bits + BITS_PER_BYTE - 1) / BITS_PER_BYTE;
}

void appendBigEndian(QByteArray& bytes, unsigned int value, unsigned int byteWidth)
{
    for (unsigned int index = byteWidth; index > 0; --index)
        bytes.append(char(value >> (BITS_PER_BYTE * (index - 1))));
}

IComObject* takeHead(QQueue<IComObject*>* comObjects)
{
    return comObjects->isEmpty() ? nullptr : comObjects->dequeue();
}

// A com object that was never sent, or whose answer did not fit it, is not valid but may still carry
// status 0; the values it leaves behind must not look valid.
signed char answerState(const IComObject* object)
{
    if (object->status() != 0 || object->valid())
        return object->status();
    return ComStream::STATUS_ANSWER_NOT_READ;
}

} // namespace

RegisterInfoStd::RegisterInfoStd(unsigned int address, unsigned char addressBitWidth,
                                 unsigned char valueBitWidth, unsigned int mask)
    : itsValueBitWidth(valueBitWidth), itsAddressBitWidth(addressBitWidth), itsReadAddress(address),
      itsWriteAddress(address), itsReadMask(mask), itsWriteMask(mask), itsTracePattern(0)
{
}

RegisterInfoStd::RegisterInfoStd(const RegisterInfoStd& other) = default;

RegisterInfoStd::~RegisterInfoStd() = default;

QByteArray RegisterInfoStd::key() const
{
    const unsigned int addressBytes = qBound(1u, bytesPerAddress(), LARGEST_ADDRESS_BYTES);
    QByteArray key(1, KEY_PREFIX);
    appendBigEndian(key, itsWriteAddress, addressBytes);
    appendBigEndian(key, itsReadAddress, addressBytes);
    return key;
}

QString RegisterInfoStd::id() const
{
    return QStringLiteral("0x%1").arg(itsReadAddress, ID_DIGITS, HEX_BASE, QLatin1Char('0'));
}

QString RegisterInfoStd::toString() const
{
    return QStringLiteral("reg addr: 0x%1").arg(itsReadAddress, 0, HEX_BASE);
}

bool RegisterInfoStd::isReadOnly() const
{
    return itsWriteMask == 0;
}

bool RegisterInfoStd::isWriteOnly() const
{
    return itsReadMask == 0;
}

bool RegisterInfoStd::canHandleValue(const IRegisterValue* value) const
{
    return dynamic_cast<const RegisterValue*>(value) != nullptr;
}

IRegisterValue* RegisterInfoStd::createValue() const
{
    return new RegisterValue();
}

void RegisterInfoStd::processWriteRegisterRequest(QQueue<IComObject*>* comObjects,
                                                  const IRegisterValue* value,
                                                  IRegisterComObjectProvider* objectProvider) const
{
    NOX_ASSERT(comObjects != NULL, "comObjects is Null!");
    NOX_ASSERT(objectProvider != NULL, "objectProvider is Null!");
    IRegisterComObject* registerObject = nullptr;
    if (value != nullptr)
    {
        registerObject = objectProvider->createWriteRegisterObject();
        fitToRegister(registerObject, itsWriteAddress, value->value());
    }
    comObjects->enqueue(registerObject);
}

void RegisterInfoStd::processWriteRegisterResponse(QQueue<IComObject*>* comObjects,
                                                   const IRegisterValue*) const
{
    NOX_ASSERT(comObjects != NULL, "comObjects is Null!");
    delete takeHead(comObjects);
}

void RegisterInfoStd::processModifyRegisterRequest(QQueue<IComObject*>* comObjects,
                                                   const IRegisterValue* value, const IRegisterValue* mask,
                                                   IRegisterComObjectProvider* objectProvider) const
{
    NOX_ASSERT(comObjects != NULL, "comObjects is Null!");
    NOX_ASSERT(objectProvider != NULL, "objectProvider is Null!");
    IModifyRegisterComObject* modifyObject = nullptr;
    if (value != nullptr && mask != nullptr)
        modifyObject = objectProvider->createModifyRegisterObject();
    if (modifyObject != nullptr)
    {
        fitToRegister(modifyObject, itsWriteAddress, value->value());
        modifyObject->setMask(mask->value());
    }
    comObjects->enqueue(modifyObject);
}

void RegisterInfoStd::processModifyRegisterResponse(QQueue<IComObject*>* comObjects, const IRegisterValue*,
                                                    const IRegisterValue*) const
{
    NOX_ASSERT(comObjects != NULL, "comObjects is Null!");
    delete takeHead(comObjects);
}

void RegisterInfoStd::processReadRegisterRequest(QQueue<IComObject*>* comObjects, const IRegisterValue* value,
                                                 IRegisterComObjectProvider* objectProvider) const
{
    NOX_ASSERT(comObjects != NULL, "comObjects is Null!");
    NOX_ASSERT(objectProvider != NULL, "objectProvider is Null!");
    IRegisterComObject* registerObject = nullptr;
    if (value != nullptr)
    {
        registerObject = objectProvider->createReadRegisterObject();
        fitToRegister(registerObject, itsReadAddress, 0);
        if (itsTracePattern != 0)
            registerObject->setTracePattern(itsTracePattern);
    }
    comObjects->enqueue(registerObject);
}

void RegisterInfoStd::processReadRegisterResponse(QQueue<IComObject*>* comObjects,
                                                  IRegisterValue* regValue) const
{
    NOX_ASSERT(comObjects != NULL, "comObjects is Null!");
    NOX_ASSERT(regValue != NULL, "regValue is Null!");
    IComObject* head = takeHead(comObjects);
    const IRegisterComObject* registerObject = dynamic_cast<const IRegisterComObject*>(head);
    NOX_ASSERT(registerObject != NULL, "No matching com object found.");
    regValue->setValue(registerObject->registerValue());
    regValue->setState(answerState(registerObject));
    delete head;
}

bool RegisterInfoStd::isDirectSuccessorOf(const IRegisterInfo* other) const
{
    NOX_ASSERT(other != NULL, "other is Null!");
    const RegisterInfoStd* predecessor = dynamic_cast<const RegisterInfoStd*>(other);
    return predecessor != nullptr && itsReadAddress == predecessor->itsReadAddress + 1 &&
           itsWriteAddress == predecessor->itsWriteAddress + 1 && itsReadMask == predecessor->itsReadMask &&
           itsWriteMask == predecessor->itsWriteMask &&
           itsAddressBitWidth == predecessor->itsAddressBitWidth &&
           itsValueBitWidth == predecessor->itsValueBitWidth;
}

void RegisterInfoStd::processBlockReadRegisterRequest(QQueue<IComObject*>* comObjects,
                                                      const QList<IRegisterValue*>* regValues,
                                                      IRegisterComObjectProvider* objectProvider) const
{
    NOX_ASSERT(comObjects != NULL, "comObjects is Null!");
    NOX_ASSERT(objectProvider != NULL, "objectProvider is Null!");
    NOX_ASSERT(regValues != NULL, "regValues is Null!");
    const unsigned int valueCount = unsigned(regValues->count());
    unsigned int first = 0;
    // One entry at least, even for no values, so that the consumer always finds the entry it takes.
    do
    {
        IBlockRegisterComObject* blockObject = objectProvider->createBlockRegisterObject();
        NOX_ASSERT(blockObject != NULL, "blockObject is Null!");
        const unsigned int remaining = valueCount - first;
        blockObject->setAddressByteWidth(bytesPerAddress());
        blockObject->setStartAddress(itsReadAddress + first);
        blockObject->setDataSize(remaining * bytesPerValue());
        // An object too small for the whole run requests only the whole values it holds; the next one
        // carries on behind them.
        const unsigned int held = valuesHeldBy(blockObject, remaining);
        blockObject->setDataSize(held * bytesPerValue());
        blockObject->setBlockSize(bytesPerValue());
        if (itsTracePattern != 0)
            blockObject->setTracePattern(itsTracePattern);
        comObjects->enqueue(blockObject);
        first += held;
    } while (first < valueCount);
}

void RegisterInfoStd::processBlockReadRegisterResponse(QQueue<IComObject*>* comObjects,
                                                       QList<IRegisterValue*>* regValues) const
{
    NOX_ASSERT(comObjects != NULL, "comObjects is Null!");
    NOX_ASSERT(regValues != NULL, "regValues is Null!");
    const unsigned int valueByteWidth = bytesPerValue();
    const unsigned int totalCount = unsigned(regValues->count());
    unsigned int first = 0;
    do
    {
        IComObject* head = takeHead(comObjects);
        const IBlockRegisterComObject* registerObject = dynamic_cast<const IBlockRegisterComObject*>(head);
        NOX_ASSERT(registerObject != NULL, "No matching com object found.");
        const unsigned int valueCount = valuesHeldBy(registerObject, totalCount - first);
        // Also what keeps the loop below inside the object's data.
        NOX_ASSERT(registerObject->dataSize() == valueCount * valueByteWidth,
                   "requested data size does not match the received data size.");
        const signed char state = answerState(registerObject);
        for (unsigned int index = 0; index < valueCount; ++index)
        {
            // Byte by byte rather than through the packer: register values of three bytes exist too.
            const unsigned char* bytes = registerObject->data() + index * valueByteWidth;
            unsigned int value = 0;
            for (unsigned int byte = 0; byte < valueByteWidth; ++byte)
                value = (value << BITS_PER_BYTE) | bytes[byte];
            IRegisterValue* registerValue = regValues->at(int(first + index));
            registerValue->setValue(value);
            registerValue->setState(state);
        }
        delete head;
        first += valueCount;
    } while (first < totalCount);
}

unsigned int RegisterInfoStd::tracePattern() const
{
    return itsTracePattern;
}

void RegisterInfoStd::setTracePattern(unsigned int tracePattern)
{
    itsTracePattern = tracePattern;
}

unsigned int RegisterInfoStd::bytesPerValue() const
{
    return bytesFor(itsValueBitWidth);
}

unsigned int RegisterInfoStd::bytesPerAddress() const
{
    return bytesFor(itsAddressBitWidth);
}

void RegisterInfoStd::fitToRegister(IRegisterComObject* registerObject, unsigned int address,
                                    unsigned int value) const
{
    registerObject->setAddressByteWidth(bytesPerAddress());
    registerObject->setValueByteWidth(bytesPerValue());
    registerObject->setRegisterAddress(address);
    registerObject->setRegisterValue(value);
}

unsigned int RegisterInfoStd::valuesHeldBy(const IBlockRegisterComObject* blockObject,
                                           unsigned int remaining) const
{
    const unsigned int valueByteWidth = bytesPerValue();
    if (valueByteWidth == 0)
        return remaining;
    const unsigned int held = blockObject->dataSize() / valueByteWidth;
    // An object that holds none of the values cannot carry on the run; counting it for all of them lets
    // the size check refuse it instead of looping.
    return held > 0 && held < remaining ? held : remaining;
}

} // namespace Communication
} // namespace NoxCore
