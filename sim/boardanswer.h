#ifndef LIDORASIM_BOARDANSWER_H
#define LIDORASIM_BOARDANSWER_H

#include <QByteArray>

namespace LidoraSim
{

// The status byte of an answer frame. The PC's stream gives an object status 1 or 2 for answers it could
// not use, so the board's own refusals use other values and stay apart from those in a trace.
enum class BoardStatus : unsigned char
{
    Success = 0x00,
    UnknownCommand = 0x10,
    BadRequestLength = 0x11,
    InvalidArgument = 0x12,
    // The addressed I2C slave did not acknowledge: nothing was read or written.
    I2cNoAcknowledge = 0x20
};

// What one command produced: a status and the answer payload (empty on refusal).
struct BoardAnswer
{
    BoardStatus status = BoardStatus::Success;
    QByteArray payload;

    static BoardAnswer success(const QByteArray& payload = QByteArray())
    {
        return {BoardStatus::Success, payload};
    }
    static BoardAnswer failure(BoardStatus status) { return {status, QByteArray()}; }
};

} // namespace LidoraSim

#endif
