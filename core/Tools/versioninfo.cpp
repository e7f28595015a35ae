#include "versioninfo.h"

#ifdef Q_OS_WIN
#include "windows/fileversiontable.h"
#else
#include "compiledversiontable.h"
#endif

namespace NoxCore
{
namespace Tools
{

namespace
{

// Used when the table names no translation, as the Windows lookup does.
const char* const FALLBACK_LANGUAGE_CODE_PAGE = "041904b0";

} // namespace

VersionInfo::VersionInfo() = default;

VersionInfo::~VersionInfo() = default;

void VersionInfo::retrieveInfo()
{
    std::unique_ptr<IVersionTable> table = loadTable();
    if (table)
        itsTable = std::move(table);
}

QString VersionInfo::getInfoFromResource(const QString& key) const
{
    if (!itsTable)
        return QString();

    QString languageCodePage = QString::fromLatin1(FALLBACK_LANGUAGE_CODE_PAGE);
    const QVector<quint32> translations = itsTable->translations();
    if (!translations.isEmpty())
    {
        const quint32 translation = translations.first();
        languageCodePage = QString::asprintf("%04x%04x", translation & 0xFFFFu, translation >> 16);
    }
    return itsTable->string(QStringLiteral("\\StringFileInfo\\%1\\%2").arg(languageCodePage, key));
}

std::unique_ptr<IVersionTable> VersionInfo::loadTable() const
{
#ifdef Q_OS_WIN
    return FileVersionTable::ofProgram();
#else
    const VersionResource* resource = noxProgramVersionResource ? noxProgramVersionResource() : nullptr;
    return resource != nullptr ? std::make_unique<CompiledVersionTable>(*resource) : nullptr;
#endif
}

QString VersionInfo::fileVersionString() const
{
    return getInfoFromResource(QStringLiteral("FileVersion"));
}

QString VersionInfo::productVersionString() const
{
    return getInfoFromResource(QStringLiteral("ProductVersion"));
}

QString VersionInfo::productFolderString() const
{
    return getInfoFromResource(QStringLiteral("InternalName"));
}

QString VersionInfo::productNameString() const
{
    return getInfoFromResource(QStringLiteral("ProductName"));
}

QString VersionInfo::companyNameString() const
{
    return getInfoFromResource(QStringLiteral("CompanyName"));
}

} // namespace Tools
} // namespace NoxCore
