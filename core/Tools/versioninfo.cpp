#include "versioninfo.h"

#include "versionresource.h"

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
    const VersionResource* resource = noxProgramVersionResource ? noxProgramVersionResource() : nullptr;
    if (resource == nullptr)
        return;

    itsTranslations.clear();
    for (int i = 0; i < resource->translationCount; ++i)
        itsTranslations.append(resource->translations[i]);
    itsStrings.clear();
    for (int i = 0; i < resource->stringCount; ++i)
        itsStrings.insert(QString::fromUtf8(resource->strings[i].path),
                          QString::fromUtf8(resource->strings[i].value));
    itsIsRetrieved = true;
}

QString VersionInfo::getInfoFromResource(const QString& key) const
{
    if (!itsIsRetrieved)
        return QString();

    QString languageCodePage = QString::fromLatin1(FALLBACK_LANGUAGE_CODE_PAGE);
    if (!itsTranslations.isEmpty())
    {
        const quint32 translation = itsTranslations.first();
        languageCodePage = QString::asprintf("%04x%04x", translation & 0xFFFFu, translation >> 16);
    }
    return itsStrings.value(QStringLiteral("\\StringFileInfo\\%1\\%2").arg(languageCodePage, key));
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
