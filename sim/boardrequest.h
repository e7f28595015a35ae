#ifndef LIDORASIM_BOARDREQUEST_H
#define LIDORASIM_BOARDREQUEST_H

#include <QByteArray>

namespace LidoraSim
{

// One request frame as the firmware sees it once the frame header has been taken apart.
struct BoardRequest
{
    // Without the fire-and-forget bit.
    unsigned char protocol = 0;
    // Set for request-and-response frames; a fire-and-forget frame is carried out without an answer.
    bool expectsAnswer = false;
    // The largest answer payload the PC takes; an I2C read answers exactly this many register bytes.
    unsigned int acceptedAnswerLength = 0;
    QByteArray payload;
};

} // namespace LidoraSim

#endif
