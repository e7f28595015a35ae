#ifndef LIDORA_TESTS_SCRIPTEDCOMDRIVER_H
#define LIDORA_TESTS_SCRIPTEDCOMDRIVER_H

#include "Communication/comdriver.h"

#include <QByteArray>

#include <vector>

// An open in-memory channel for tests and benchmarks: keeps what the stream writes and hands out scripted
// answer bytes. Writes, flushes and reads can each be made to fail with a chosen code. A read asks for exact
// byte counts: when fewer scripted bytes are left it fails with RECEIVE_FAILED and hands out nothing, as a
// real channel times out.
//
// Writing and reading reuse their buffers, so after the first exchange a loop of exchanges allocates
// nothing here (call clearWritten() and rewindAnswers() between rounds).
class ScriptedComDriver : public NoxCore::Communication::ComDriver
{
public:
    ScriptedComDriver() { itsIsOpen = true; }

    // Raw bytes, appended to what read() hands out.
    void addAnswerBytes(const QByteArray& bytes)
    {
        itsAnswers.insert(itsAnswers.end(), bytes.cbegin(), bytes.cend());
    }
    // One answer frame: protocol id, an unexamined byte, status, the payload length big-endian, the payload.
    void addAnswer(unsigned char protocol, unsigned char status, const QByteArray& payload);
    // Hands the scripted bytes out once more from the start.
    void rewindAnswers() { itsReadPosition = 0; }
    QByteArray unreadAnswerBytes() const;

    // 0 lets the step succeed again.
    void failWrites(int code) { itsWriteError = code; }
    void failFlushes(int code) { itsFlushError = code; }
    void failReads(int code) { itsReadError = code; }

    QByteArray written() const;
    void clearWritten() { itsWritten.clear(); }

    int writeCount() const { return itsWriteCount; }
    int flushCount() const { return itsFlushCount; }
    int readCount() const { return itsReadCount; }

    bool open() override;
    bool close() override;
    int flush() override;
    int write(const unsigned char* data, unsigned int size) override;
    int read(unsigned char* data, unsigned int size) override;
    int updateDeviceState() override { return itsDeviceState; }
    void resetBuffers() override { itsReadPosition = itsAnswers.size(); }
    void abortTransfer() override {}

private:
    // Counts the step and gives its result: CHANNEL_NOT_OPEN while closed, else the chosen failure. A
    // failure is kept as the driver's last error, as real drivers do.
    int step(int* count, int failure);

    std::vector<unsigned char> itsWritten;
    std::vector<unsigned char> itsAnswers;
    size_t itsReadPosition = 0;
    int itsWriteError = SUCCESS;
    int itsFlushError = SUCCESS;
    int itsReadError = SUCCESS;
    int itsWriteCount = 0;
    int itsFlushCount = 0;
    int itsReadCount = 0;
};

#endif
