#include "automationcommandparser.h"

#include <QRegularExpression>

QStringList AutomationCommandParser::parse(const QByteArray& chunk)
{
    static const QRegularExpression lineBreak(QStringLiteral("[\r\n]"));
    const int zero = chunk.indexOf('\0');
    const QString text = QString::fromLatin1(zero < 0 ? chunk : chunk.left(zero));
    QStringList commands;
    for (const QString& line : text.split(lineBreak))
    {
        const QString command = line.trimmed();
        if (!command.isEmpty())
            commands.append(command);
    }
    return commands;
}
