#ifndef NOXCORE_COMMUNICATION_FRAMEFORMAT_H
#define NOXCORE_COMMUNICATION_FRAMEFORMAT_H

namespace NoxCore
{
namespace Communication
{

// The frame between the PC and the target: a 5-byte header and up to 1088 payload bytes, multi-byte fields
// big-endian.
//
// Request header: [0] protocol id, bit 7 set for fire-and-forget; [1..2] request payload length;
// [3..4] largest answer payload accepted (0 for fire-and-forget).
// Answer header: [0] protocol id; [1] not examined; [2] status; [3..4] answer payload length.
constexpr unsigned int FRAME_HEADER_SIZE = 5;
constexpr unsigned int FRAME_PAYLOAD_CAPACITY = 1088;
constexpr unsigned int FRAME_SIZE = FRAME_HEADER_SIZE + FRAME_PAYLOAD_CAPACITY;

constexpr unsigned int FRAME_PROTOCOL_OFFSET = 0;
constexpr unsigned int FRAME_REQUEST_LENGTH_OFFSET = 1;
constexpr unsigned int FRAME_EXPECTED_LENGTH_OFFSET = 3;
constexpr unsigned int FRAME_ANSWER_STATUS_OFFSET = 2;
constexpr unsigned int FRAME_ANSWER_LENGTH_OFFSET = 3;
constexpr unsigned int FRAME_LENGTH_FIELD_SIZE = 2;

constexpr unsigned char FRAME_FIRE_AND_FORGET_BIT = 0x80;
constexpr unsigned char FRAME_PROTOCOL_MASK = 0x7F;
// Never sent: a fire-and-forget object with this id makes the stream flush instead.
constexpr unsigned char STREAM_FLUSH_PROTOCOL = 0x7F;

} // namespace Communication
} // namespace NoxCore

#endif
