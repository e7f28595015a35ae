#ifndef LIDORA_AUTOMATIONCOMMANDPARSER_H
#define LIDORA_AUTOMATIONCOMMANDPARSER_H

#include <QByteArray>
#include <QStringList>

// Turns the bytes of one read from the automation client into the commands they carry. Everything from the
// first zero byte on is dropped; the rest is Latin-1 text. A chunk with line breaks (CR or LF) carries one
// command per line, so that commands sent back to back do not merge into one unknown command; a chunk without
// line breaks is one command, as it always was. Commands are trimmed and empty ones dropped.
class AutomationCommandParser
{
public:
    static QStringList parse(const QByteArray& chunk);
};

#endif
