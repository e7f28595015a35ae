#include "simulatedhidconnection.h"

#include <algorithm>
#include <cstring>

namespace LidoraSim
{

SimulatedHidConnection::SimulatedHidConnection(SimulatedHidBackend& backend,
                                               SimulatedHidBackend::Interface& interface, int generation)
    : itsBackend(backend), itsInterface(interface), itsGeneration(generation)
{
    itsInterface.isOpen = true;
}

SimulatedHidConnection::~SimulatedHidConnection()
{
    // A connection that died with an unplug no longer holds the interface; a newer one may.
    if (itsGeneration == itsBackend.itsGeneration)
        itsInterface.isOpen = false;
}

bool SimulatedHidConnection::isAlive() const
{
    return itsBackend.isAlive(itsGeneration);
}

quint16 SimulatedHidConnection::vendorId() const
{
    return SimulatedHidBackend::VENDOR_ID;
}

quint16 SimulatedHidConnection::productId() const
{
    return SimulatedHidBackend::PRODUCT_ID;
}

quint16 SimulatedHidConnection::inputReportLength() const
{
    return SimulatedHidBackend::REPORT_SIZE;
}

quint16 SimulatedHidConnection::outputReportLength() const
{
    return SimulatedHidBackend::REPORT_SIZE;
}

bool SimulatedHidConnection::productString(std::wstring* text)
{
    if (!isAlive())
        return false;
    *text = SimulatedHidBackend::PRODUCT_STRING;
    return true;
}

NoxHid::IHidConnection::Transfer SimulatedHidConnection::read(unsigned char* buffer, unsigned int size,
                                                              unsigned int, unsigned int* transferred)
{
    *transferred = 0;
    if (!isAlive())
        return Transfer::Failed;
    if (itsInterface.inputReports.empty())
        return Transfer::TimedOut;
    const QByteArray report = itsInterface.inputReports.front();
    itsInterface.inputReports.pop_front();
    *transferred = std::min(size, unsigned(report.size()));
    std::memcpy(buffer, report.constData(), *transferred);
    return Transfer::Done;
}

NoxHid::IHidConnection::Transfer SimulatedHidConnection::write(const unsigned char* data, unsigned int length,
                                                               unsigned int)
{
    if (!isAlive())
        return Transfer::Failed;
    itsBackend.takeOutputReport(itsInterface, data, length);
    return Transfer::Done;
}

} // namespace LidoraSim
