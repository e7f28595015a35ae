#ifndef LIDORA_TESTS_SUPPORT_FAKEWINHIDAPI_H
#define LIDORA_TESTS_SUPPORT_FAKEWINHIDAPI_H

#include "fakewinfileapi.h"

#include "HidDevice/windows/iwinhidapi.h"

#include <QString>

// SetupAPI and hid.dll as the Windows HID back end meets them: the HID class lists the interfaces added,
// in the order they were added, each with its ids, report lengths and product string. Keeps the books on
// device sets and preparsed data as well, so a test sees what a code path left behind.
class FakeWinHidApi : public FakeWinFileApi, public virtual NoxHid::IWinHidApi
{
public:
    struct Interface
    {
        quint16 vendorId = 0;
        quint16 productId = 0;
        quint16 inputReportLength = 65;
        quint16 outputReportLength = 65;
        std::u16string productString = u"Lidora Evaluation Board";
        bool attributesFail = false;
        bool capabilitiesFail = false;
        // The interface goes away between the two calls that fetch its path.
        bool vanishesWhileListed = false;
    };

    // Adds an interface; it is also a device that files can open.
    Device& addInterface(const std::string& path, const Interface& interface);
    Interface& interface(const std::string& path);
    int outstandingPreparsedData() const;

    DeviceSet openInterfaceSet() override;
    bool enumInterface(DeviceSet set, quint32 index, InterfaceData* data) override;
    bool interfacePath(DeviceSet set, InterfaceData* data, char* buffer, quint32 size,
                       quint32* requiredSize) override;
    bool closeInterfaceSet(DeviceSet set) override;
    bool attributes(Handle file, quint16* vendorId, quint16* productId) override;
    bool preparsedData(Handle file, PreparsedData* data) override;
    bool reportLengths(PreparsedData data, quint16* inputLength, quint16* outputLength) override;
    bool freePreparsedData(PreparsedData data) override;
    bool productString(Handle file, char16_t* buffer, quint32 size) override;

private:
    // ERROR_NO_SUCH_DEVICE, as SetupAPI gives it for an interface that went away.
    static constexpr Error NO_SUCH_DEVICE = 433;

    const Interface* presentInterfaceOf(Handle file);

    std::vector<std::string> itsOrder;
    std::map<std::string, Interface> itsInterfaces;
    std::map<Handle, std::vector<std::string>> itsSets;
    std::map<PreparsedData, std::string> itsPreparsedData;
    PreparsedData itsNextPreparsedData = 1;
};

#endif
