#ifndef LIDORA_TOOLS_SIMULATEDBOARDCOMDRIVER_H
#define LIDORA_TOOLS_SIMULATEDBOARDCOMDRIVER_H

#include "simulatedboard.h"

#include "Communication/comdriver.h"

#include <QByteArray>
#include <QList>

// One channel of a simulated board behind a real com stream. Every write is one whole frame (the stream
// writes a frame at once); flush() hands the written frames to the board's firmware and keeps its answers
// for read(), which also hands over what no flush has sent yet. A read that asks for more bytes than the
// board answered fails with RECEIVE_FAILED and hands out nothing, as a real channel times out.
class SimulatedBoardComDriver : public NoxCore::Communication::ComDriver
{
public:
    SimulatedBoardComDriver(LidoraSim::SimulatedBoard& board, LidoraSim::SimulatedBoard::Channel channel);
    ~SimulatedBoardComDriver() override;

    bool open() override
    {
        itsIsOpen = true;
        return true;
    }
    bool close() override;
    int flush() override;
    int write(const unsigned char* data, unsigned int size) override;
    int read(unsigned char* data, unsigned int size) override;
    int updateDeviceState() override { return itsDeviceState; }
    void resetBuffers() override;
    void abortTransfer() override {}

private:
    void sendWrittenFrames();
    // Keeps a failure as the driver's last error, as real drivers do.
    int recordResult(int code);

    LidoraSim::SimulatedBoard& itsBoard;
    LidoraSim::SimulatedBoard::Channel itsChannel;
    QList<QByteArray> itsWrittenFrames;
    QByteArray itsAnswerBytes;
};

#endif
