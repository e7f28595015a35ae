#ifndef LIDORA_RECORDING_RECORDINGOPENFLAGS_H
#define LIDORA_RECORDING_RECORDINGOPENFLAGS_H

#include <fcntl.h>

// What every open of a recording file adds to its access flags. O_NONBLOCK: a FIFO is refused once it is
// open, but opening it would first wait for the other end, and no signal would end that wait. Windows has
// no such FIFO; there O_NOINHERIT keeps the file out of child programs, as O_CLOEXEC does elsewhere, and
// O_BINARY keeps the rows' line ends as they are.
#ifdef _WIN32
constexpr int RECORDING_OPEN_FLAGS = O_BINARY | O_NOINHERIT;
#else
constexpr int RECORDING_OPEN_FLAGS = O_CLOEXEC | O_NONBLOCK;
#endif

#endif
