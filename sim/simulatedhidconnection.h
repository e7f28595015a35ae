#ifndef LIDORASIM_SIMULATEDHIDCONNECTION_H
#define LIDORASIM_SIMULATEDHIDCONNECTION_H

#include "simulatedhidbackend.h"

#include "HidDevice/ihidconnection.h"

namespace LidoraSim
{

// One opened interface of the simulated board. Dies with an unplug; gives the interface up when destroyed.
class SimulatedHidConnection : public NoxHid::IHidConnection
{
public:
    SimulatedHidConnection(SimulatedHidBackend& backend, SimulatedHidBackend::Interface& interface,
                           int generation);
    ~SimulatedHidConnection() override;

    quint16 vendorId() const override;
    quint16 productId() const override;
    quint16 inputReportLength() const override;
    quint16 outputReportLength() const override;
    bool productString(std::wstring* text) override;
    Transfer read(unsigned char* buffer, unsigned int size, unsigned int timeoutMs,
                  unsigned int* transferred) override;
    Transfer write(const unsigned char* data, unsigned int length, unsigned int timeoutMs) override;

private:
    bool isAlive() const;

    SimulatedHidBackend& itsBackend;
    SimulatedHidBackend::Interface& itsInterface;
    int itsGeneration;
};

} // namespace LidoraSim

#endif
