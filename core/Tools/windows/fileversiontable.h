#ifndef NOXCORE_TOOLS_WINDOWS_FILEVERSIONTABLE_H
#define NOXCORE_TOOLS_WINDOWS_FILEVERSIONTABLE_H

#include "Tools/iversiontable.h"

#include <QByteArray>

#include <memory>

namespace NoxCore
{
namespace Tools
{

// The version resource of the program's own file, read with GetFileVersionInfo and asked with
// VerQueryValue; built only for Windows. Keeps its copy of the resource for its lifetime.
class FileVersionTable : public virtual IVersionTable
{
public:
    // Null when the program file carries no version resource or it cannot be read.
    static std::unique_ptr<FileVersionTable> ofProgram();

    QVector<quint32> translations() const override;
    QString string(const QString& path) const override;

private:
    explicit FileVersionTable(const QByteArray& block);

    QByteArray itsBlock;
};

} // namespace Tools
} // namespace NoxCore

#endif
