#ifndef LIDORA_TESTS_COMOBJECTPROBE_H
#define LIDORA_TESTS_COMOBJECTPROBE_H

#include "Communication/icomobject.h"
#include "Communication/iserializable.h"
#include "Communication/ixmlserializable.h"

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

// Drives a com object the way the com stream and the telegram tools do, without either.

// The request written into a buffer of bufferSize bytes filled with 0xEE, or "refused".
inline QByteArray requestOf(NoxCore::Communication::IComObject* object, unsigned int bufferSize)
{
    QByteArray bytes(int(bufferSize), '\xEE');
    auto* serializable = dynamic_cast<NoxCore::Communication::ISerializable*>(object);
    if (!serializable->serialize(reinterpret_cast<unsigned char*>(bytes.data()), bufferSize))
        return QByteArray("refused");
    return bytes;
}

inline QByteArray requestOf(NoxCore::Communication::IComObject* object)
{
    return requestOf(object, dynamic_cast<NoxCore::Communication::ISerializable*>(object)->serializeSize());
}

// Hands an answer over as the stream does: status and valid first, then the payload.
inline bool answer(NoxCore::Communication::IComObject* object, const QByteArray& payload,
                   signed char status = 0)
{
    object->setStatus(status);
    object->setValid(true);
    QByteArray bytes = payload;
    return dynamic_cast<NoxCore::Communication::ISerializable*>(object)->deserialize(
        reinterpret_cast<unsigned char*>(bytes.data()), unsigned(bytes.size()));
}

inline QString telegramOf(NoxCore::Communication::IComObject* object, unsigned int telegramType)
{
    QString text;
    QXmlStreamWriter writer(&text);
    writer.setAutoFormatting(true);
    if (!dynamic_cast<NoxCore::Communication::IXmlSerializable*>(object)->xmlSerialize(&writer, telegramType))
        return QStringLiteral("refused");
    return text;
}

// Stands the reader on the command element inside the Telegram, as the command manager does.
inline bool readTelegram(NoxCore::Communication::IComObject* object, const QString& text)
{
    QXmlStreamReader reader(text);
    reader.readNextStartElement();
    reader.readNextStartElement();
    return dynamic_cast<NoxCore::Communication::IXmlSerializable*>(object)->xmlDeserialize(&reader);
}

#endif
