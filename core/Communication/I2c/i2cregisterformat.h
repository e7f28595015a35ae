#ifndef NOXCORE_COMMUNICATION_I2C_I2CREGISTERFORMAT_H
#define NOXCORE_COMMUNICATION_I2C_I2CREGISTERFORMAT_H

#include <initializer_list>

class QXmlStreamReader;
class QXmlStreamWriter;

namespace NoxCore
{
namespace Tools
{
class XmlMapper;
}

namespace Communication
{

class IRegisterComObject;

namespace I2c
{

// The form the I2C register objects share. A request starts with the slave's 7-bit address as the byte of
// the write phase (address times 2), then the register address, big-endian in its width; a read names the
// slave once more for the read phase (times 2 plus 1), a write follows with its value fields. Their
// telegrams start with the parameters "SlaveAddress", "AddressSize" and "Address", and the single-register
// objects go on with "DataSize" (the value width) and "Data" (the value).
class I2cRegisterFormat
{
public:
    // What a telegram names, read into one place so that an object takes it over only when it is complete.
    struct Parameters
    {
        // Read wide, so that a slave address beyond 7 bits is refused rather than cut.
        unsigned int slaveAddress = 0;
        unsigned int addressByteWidth = 0;
        unsigned int registerAddress = 0;
        unsigned int valueByteWidth = 0;
        unsigned int value = 0;
        bool hasValue = false;
    };

    static unsigned int readRequestSize(unsigned int addressByteWidth);
    static unsigned int writeRequestSize(unsigned int addressByteWidth, unsigned int fieldCount,
                                         unsigned int fieldByteWidth);

    // False for a null or too short buffer, or a width the packer has no form for.
    static bool serializeReadRequest(unsigned char* buffer, unsigned int bufferSize,
                                     unsigned char slaveAddress, unsigned int registerAddress,
                                     unsigned int addressByteWidth);
    static bool serializeWriteRequest(unsigned char* buffer, unsigned int bufferSize,
                                      unsigned char slaveAddress, const IRegisterComObject& object,
                                      std::initializer_list<unsigned int> fields);

    static void writeAddressParameters(QXmlStreamWriter* writer, unsigned char slaveAddress,
                                       unsigned int addressByteWidth, unsigned int registerAddress);
    // The address parameters and "DataSize".
    static void writeRegisterParameters(QXmlStreamWriter* writer, unsigned char slaveAddress,
                                        const IRegisterComObject& object);

    static void addAddressEntries(Tools::XmlMapper& mapper, Parameters& parameters);
    // The address entries, "DataSize" and "Data".
    static void addRegisterEntries(Tools::XmlMapper& mapper, Parameters& parameters, bool valueIsOptional);
    // Reads the telegram the reader stands on (a null reader is a programming error) and notes whether it
    // carried a value. False also for a slave address beyond 7 bits, a width other than 0, 1, 2 or 4, or an
    // address or value wider than its width.
    static bool read(QXmlStreamReader* reader, Tools::XmlMapper& mapper, Parameters& parameters);
    // Widths, address and, when the telegram had one, the value.
    static void takeOver(const Parameters& parameters, IRegisterComObject& object);
};

} // namespace I2c
} // namespace Communication
} // namespace NoxCore

#endif
