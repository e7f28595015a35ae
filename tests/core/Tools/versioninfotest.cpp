#include "Tools/versioninfo.h"
#include "Tools/compiledversiontable.h"
#include "Tools/versionresource.h"

#include <gtest/gtest.h>

using NoxCore::Tools::CompiledVersionTable;
using NoxCore::Tools::IVersionTable;
using NoxCore::Tools::VersionInfo;
using NoxCore::Tools::VersionResource;
using NoxCore::Tools::VersionString;

namespace
{

// This test program carries its own version table, the way the demo program carries the generated one;
// on Windows it is the program's version resource, built from versioninfotest.rc with the same texts. Its
// translation names US English / Unicode.
const quint32 TRANSLATIONS[] = {0x04B00409u};
const VersionString STRINGS[] = {
    {"\\StringFileInfo\\040904b0\\ProductName", "Test Product"},
    {"\\StringFileInfo\\040904b0\\ProductVersion", "2.3.4"},
    {"\\StringFileInfo\\040904b0\\FileVersion", "2.3.4.5"},
    {"\\StringFileInfo\\040904b0\\InternalName", "testproduct"},
    {"\\StringFileInfo\\040904b0\\CompanyName", "Test Company"},
};
const VersionResource RESOURCE = {TRANSLATIONS, 1, STRINGS, 5};

// Reads the given table, or none, instead of the program's.
class TableVersionInfo : public VersionInfo
{
public:
    explicit TableVersionInfo(const VersionResource* resource) : itsResource(resource) {}

protected:
    std::unique_ptr<IVersionTable> loadTable() const override
    {
        return itsResource != nullptr ? std::make_unique<CompiledVersionTable>(*itsResource) : nullptr;
    }

private:
    const VersionResource* itsResource;
};

} // namespace

extern "C" const VersionResource* noxProgramVersionResource()
{
    return &RESOURCE;
}

TEST(VersionInfo, ReadsEveryKeyUnderTheProgramsTranslationAndNothingWithoutATable)
{
    VersionInfo info;
    EXPECT_EQ(info.productNameString(), QString()) << "nothing before the table is retrieved";
    info.retrieveInfo();
    EXPECT_EQ(info.productNameString(), "Test Product");
    EXPECT_EQ(info.productVersionString(), "2.3.4");
    EXPECT_EQ(info.fileVersionString(), "2.3.4.5");
    EXPECT_EQ(info.productFolderString(), "testproduct");
    EXPECT_EQ(info.companyNameString(), "Test Company");
    EXPECT_EQ(info.getInfoFromResource("LegalCopyright"), QString());

    // A program built without a version table still starts, with no version texts.
    TableVersionInfo missing(nullptr);
    missing.retrieveInfo();
    EXPECT_EQ(missing.productNameString(), QString());
}
