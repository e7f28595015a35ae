#ifndef NOXCORE_COMMUNICATION_REGISTERINFOSTD_H
#define NOXCORE_COMMUNICATION_REGISTERINFOSTD_H

#include "registerinfo.h"

namespace NoxCore
{
namespace Communication
{

class IBlockRegisterComObject;
class IRegisterComObject;

// A register at one address with a value of up to 32 bits. The masks say which bits can be read and
// written: a register without readable bits is write-only, one without writable bits read-only. The com
// objects it builds carry its address and value widths, whatever the provider created them with.
class RegisterInfoStd : public RegisterInfo
{
public:
    RegisterInfoStd(unsigned int address, unsigned char addressBitWidth, unsigned char valueBitWidth,
                    unsigned int mask);
    RegisterInfoStd(const RegisterInfoStd& other);
    ~RegisterInfoStd() override;

    // 0x01, the write address, the read address. An 8-bit address takes one byte each; wider addresses take
    // as many bytes as they need, so that registers that share their low address byte stay apart.
    QByteArray key() const override;
    // "0x" and the read address with at least two lower-case hexadecimal digits.
    QString id() const override;
    QString toString() const override;
    bool isReadOnly() const override;
    bool isWriteOnly() const override;
    bool canHandleValue(const IRegisterValue* value) const override;
    IRegisterValue* createValue() const override;

    void processWriteRegisterRequest(QQueue<IComObject*>* comObjects, const IRegisterValue* value,
                                     IRegisterComObjectProvider* objectProvider) const override;
    void processWriteRegisterResponse(QQueue<IComObject*>* comObjects,
                                      const IRegisterValue* value) const override;
    void processModifyRegisterRequest(QQueue<IComObject*>* comObjects, const IRegisterValue* value,
                                      const IRegisterValue* mask,
                                      IRegisterComObjectProvider* objectProvider) const override;
    void processModifyRegisterResponse(QQueue<IComObject*>* comObjects, const IRegisterValue* value,
                                       const IRegisterValue* mask) const override;
    void processReadRegisterRequest(QQueue<IComObject*>* comObjects, const IRegisterValue* value,
                                    IRegisterComObjectProvider* objectProvider) const override;
    // The value takes the com object's register value and, as its state, the com object's status.
    void processReadRegisterResponse(QQueue<IComObject*>* comObjects, IRegisterValue* value) const override;
    // The same register description one address further up.
    bool isDirectSuccessorOf(const IRegisterInfo* other) const override;
    // Normally one block object for all values; a run longer than one object holds is split over several.
    void processBlockReadRegisterRequest(QQueue<IComObject*>* comObjects,
                                         const QList<IRegisterValue*>* values,
                                         IRegisterComObjectProvider* objectProvider) const override;
    void processBlockReadRegisterResponse(QQueue<IComObject*>* comObjects,
                                          QList<IRegisterValue*>* values) const override;

    // When not 0, given to the read and block-read com objects this info builds (the register core's own
    // checks use it to tell their reads apart in traces).
    unsigned int tracePattern() const;
    void setTracePattern(unsigned int tracePattern);

private:
    unsigned int bytesPerValue() const;
    unsigned int bytesPerAddress() const;
    // The provider's objects know nothing of this register's widths.
    void fitToRegister(IRegisterComObject* registerObject, unsigned int address, unsigned int value) const;
    // How many of the remaining values a block object holds.
    unsigned int valuesHeldBy(const IBlockRegisterComObject* blockObject, unsigned int remaining) const;

    unsigned char itsValueBitWidth;
    unsigned char itsAddressBitWidth;
    unsigned int itsReadAddress;
    unsigned int itsWriteAddress;
    unsigned int itsReadMask;
    unsigned int itsWriteMask;
    unsigned int itsTracePattern;
};

} // namespace Communication
} // namespace NoxCore

#endif
