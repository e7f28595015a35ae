#include "compiledversiontable.h"

namespace NoxCore
{
namespace Tools
{

CompiledVersionTable::CompiledVersionTable(const VersionResource& resource)
{
    for (int i = 0; i < resource.translationCount; ++i)
        itsTranslations.append(resource.translations[i]);
    for (int i = 0; i < resource.stringCount; ++i)
        itsStrings.insert(QString::fromUtf8(resource.strings[i].path),
                          QString::fromUtf8(resource.strings[i].value));
}

QVector<quint32> CompiledVersionTable::translations() const
{
    return itsTranslations;
}

QString CompiledVersionTable::string(const QString& path) const
{
    return itsStrings.value(path);
}

} // namespace Tools
} // namespace NoxCore
