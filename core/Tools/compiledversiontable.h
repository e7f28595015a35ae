#ifndef NOXCORE_TOOLS_COMPILEDVERSIONTABLE_H
#define NOXCORE_TOOLS_COMPILEDVERSIONTABLE_H

#include "iversiontable.h"
#include "versionresource.h"

#include <QHash>

namespace NoxCore
{
namespace Tools
{

// A version table compiled into the program, as the Linux build carries it in place of a version
// resource. Keeps its own copy of the table's texts.
class CompiledVersionTable : public virtual IVersionTable
{
public:
    explicit CompiledVersionTable(const VersionResource& resource);

    QVector<quint32> translations() const override;
    QString string(const QString& path) const override;

private:
    QVector<quint32> itsTranslations;
    QHash<QString, QString> itsStrings;
};

} // namespace Tools
} // namespace NoxCore

#endif
