#ifndef NOXCORE_COMMUNICATION_TELEGRAMREADER_H
#define NOXCORE_COMMUNICATION_TELEGRAMREADER_H

#include <QList>
#include <QString>
#include <QXmlStreamAttributes>

class QXmlStreamReader;

namespace NoxCore
{
namespace Communication
{

// Takes a telegram text apart after checking that it is exactly one telegram: a "Telegram" element holding
// an optional "Comment" with text only, then one command element whose children are parameters with text
// only. Nothing else but whitespace, XML comments and processing instructions may surround them; a document
// type declaration is refused, so no entity can blow a text up.
//
// Every path from outside (trace files, hand-edited programs, the viewer's input) comes through here before
// a DOM document or a com object sees the text, so that truncated, nested, oversized or ambiguous telegrams
// are refused in one place and nothing half-read is ever replayed.
class TelegramReader
{
public:
    struct Parameter
    {
        QString name;
        QString value;
        // Empty when the element has no "type" attribute.
        QString type;
        bool isOutProperty;
    };

    // The largest telegram a com object writes, a block read of a whole frame's payload, takes about 2.5 KB;
    // the rest is room for comments.
    static constexpr int MAX_TELEGRAM_LENGTH = 64 * 1024;

    TelegramReader();
    // False for text that is not exactly one telegram as above, longer than MAX_TELEGRAM_LENGTH, or naming a
    // parameter twice (which of the two values would be meant?). What was read before stays only on success.
    bool read(const QString& text);

    bool hasAttribute(const QString& name) const;
    QString attribute(const QString& name) const;
    QString comment() const;
    QString commandName() const;
    const QList<Parameter>& parameters() const;

    // Moves a reader over a text that read() accepted onto its command element, where a com object's
    // xmlDeserialize expects it.
    static void moveToCommand(QXmlStreamReader& xml);

private:
    bool readTelegramStart(QXmlStreamReader& xml);
    bool readTelegramContent(QXmlStreamReader& xml);
    bool readParameters(QXmlStreamReader& xml);
    static bool readToDocumentEnd(QXmlStreamReader& xml);

    QXmlStreamAttributes itsAttributes;
    QString itsComment;
    QString itsCommandName;
    QList<Parameter> itsParameters;
};

} // namespace Communication
} // namespace NoxCore

#endif
