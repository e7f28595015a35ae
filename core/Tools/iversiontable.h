#ifndef NOXCORE_TOOLS_IVERSIONTABLE_H
#define NOXCORE_TOOLS_IVERSIONTABLE_H

#include <QString>
#include <QVector>

namespace NoxCore
{
namespace Tools
{

// A program's version table as Windows' version resources lay it out and VerQueryValue answers it.
class IVersionTable
{
public:
    virtual ~IVersionTable() = default;

    // "\VarFileInfo\Translation": each value holds the language in its low and the code page in its high
    // 16 bits.
    virtual QVector<quint32> translations() const = 0;
    // The string at a path such as "\StringFileInfo\040904b0\ProductName"; empty when there is none.
    virtual QString string(const QString& path) const = 0;
};

} // namespace Tools
} // namespace NoxCore

#endif
