#ifndef LIDORA_COMMANDTEXT_H
#define LIDORA_COMMANDTEXT_H

#include <QString>

// Texts with which the module commands record their exchanges, shared with the measurement log.

// Exactly two lower-case hexadecimal digits.
QString byteToHex(unsigned char value);
// ";" and two lower-case hexadecimal digits per byte, in order; empty for no bytes (or a null pointer).
QString bytesToHexList(const unsigned char* bytes, unsigned int count);
// "#DTX;<command name>;<protocol id>" followed by the request bytes, e.g.
// #DTX;TARGET_CONFIGURATION;07;01;00;02.
QString requestRecordText(const QString& commandName, unsigned char protocol, const unsigned char* request,
                          unsigned int requestSize);

#endif
