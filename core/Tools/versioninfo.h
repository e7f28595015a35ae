#ifndef NOXCORE_TOOLS_VERSIONINFO_H
#define NOXCORE_TOOLS_VERSIONINFO_H

#include <QHash>
#include <QString>
#include <QVector>

namespace NoxCore
{
namespace Tools
{

// Reads the strings of the program's own version table (product name, versions, company). Until
// retrieveInfo() has found the table every getter returns an empty string.
class VersionInfo
{
public:
    VersionInfo();
    virtual ~VersionInfo();

    void retrieveInfo();
    QString getInfoFromResource(const QString& key) const;

    QString fileVersionString() const;
    QString productVersionString() const;
    QString productFolderString() const;
    QString productNameString() const;
    QString companyNameString() const;

private:
    bool itsIsRetrieved = false;
    // Private copy of the table, kept for the lifetime of the object.
    QVector<quint32> itsTranslations;
    QHash<QString, QString> itsStrings;
};

} // namespace Tools
} // namespace NoxCore

#endif
