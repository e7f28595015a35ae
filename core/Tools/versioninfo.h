#ifndef NOXCORE_TOOLS_VERSIONINFO_H
#define NOXCORE_TOOLS_VERSIONINFO_H

#include "iversiontable.h"

#include <QString>

#include <memory>

namespace NoxCore
{
namespace Tools
{

// Reads the strings of the program's own version table (product name, versions, company): the version
// resource of the program file on Windows, the table the build compiles into the program on Linux. Until
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

protected:
    // The program's own table; null when it has none. Tests put another table here.
    virtual std::unique_ptr<IVersionTable> loadTable() const;

private:
    // Private copy of the table, kept for the lifetime of the object; null until retrieved.
    std::unique_ptr<IVersionTable> itsTable;
};

} // namespace Tools
} // namespace NoxCore

#endif
