#ifndef LIDORA_TESTS_QTPRINTERS_H
#define LIDORA_TESTS_QTPRINTERS_H

#include <QByteArray>
#include <QString>

#include <ostream>

// Readable failure messages for Qt strings in GoogleTest assertions.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* os)
{
    *os << "QByteArray(" << bytes.toHex(' ').toStdString() << ')';
}

#endif
