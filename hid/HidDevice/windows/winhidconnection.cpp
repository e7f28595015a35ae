#include "winhidconnection.h"

#include <QtDebug>

#include <algorithm>
#include <vector>

namespace NoxHid
{

namespace
{

// USB string descriptors hold at most 126 characters; the HID com driver asks for 255.
const quint32 PRODUCT_STRING_CHARS = 256;

} // namespace

WinHidConnection::WinHidConnection(std::unique_ptr<NoxCore::Tools::OverlappedFile> file,
                                   const Description& description, IWinHidApi& api)
    : itsApi(api), itsFile(std::move(file)), itsDescription(description)
{
}

WinHidConnection::~WinHidConnection() = default;

quint16 WinHidConnection::vendorId() const
{
    return itsDescription.vendorId;
}

quint16 WinHidConnection::productId() const
{
    return itsDescription.productId;
}

quint16 WinHidConnection::inputReportLength() const
{
    return itsDescription.inputReportLength;
}

quint16 WinHidConnection::outputReportLength() const
{
    return itsDescription.outputReportLength;
}

bool WinHidConnection::productString(std::wstring* text)
{
    char16_t buffer[PRODUCT_STRING_CHARS] = {};
    // One character less than the buffer holds, so that the text is always terminated.
    if (!itsApi.productString(itsFile->handle(), buffer, (PRODUCT_STRING_CHARS - 1) * sizeof(char16_t)))
        return false;
    *text = QString::fromUtf16(buffer).toStdWString();
    return true;
}

IHidConnection::Transfer WinHidConnection::read(unsigned char* buffer, unsigned int size,
                                                unsigned int timeoutMs, unsigned int* transferred)
{
    quint32 count = 0;
    const Transfer result = transferOf(itsFile->read(buffer, size, timeoutMs, &count));
    *transferred = result == Transfer::Done ? count : 0;
    return result;
}

IHidConnection::Transfer WinHidConnection::write(const unsigned char* data, unsigned int length,
                                                 unsigned int timeoutMs)
{
    std::vector<unsigned char> report(std::max<unsigned int>(length, itsDescription.outputReportLength), 0);
    std::copy_n(data, length, report.begin());
    // The class driver moves a report whole or fails it. The count it gives back is not the same on every
    // system (with or without the report-id byte), so success alone says the report went out.
    quint32 count = 0;
    return transferOf(itsFile->write(report.data(), quint32(report.size()), timeoutMs, &count));
}

IHidConnection::Transfer WinHidConnection::transferOf(NoxCore::Tools::OverlappedFile::Result result)
{
    switch (result)
    {
    case NoxCore::Tools::OverlappedFile::Result::Done:
        return Transfer::Done;
    case NoxCore::Tools::OverlappedFile::Result::TimedOut:
        return Transfer::TimedOut;
    case NoxCore::Tools::OverlappedFile::Result::Failed:
        break;
    }
    if (!itsFailureReported)
    {
        itsFailureReported = true;
        qWarning().noquote() << "HID interface" << itsFile->lastErrorText();
    }
    return Transfer::Failed;
}

} // namespace NoxHid
