#include "Tools/versioninfo.h"
#include "Tools/versionresource.h"

#include <gtest/gtest.h>

using NoxCore::Tools::VersionInfo;
using NoxCore::Tools::VersionResource;
using NoxCore::Tools::VersionString;

namespace
{

// This test program carries its own version table, the way the demo program carries the generated one.
// Its translation names US English / Unicode, and one key exists only under the fallback translation.
const quint32 TRANSLATIONS[] = {0x04B00409u};
const VersionString STRINGS[] = {
    {"\\StringFileInfo\\040904b0\\ProductName", "Test Product"},
    {"\\StringFileInfo\\040904b0\\ProductVersion", "2.3.4"},
    {"\\StringFileInfo\\040904b0\\FileVersion", "2.3.4.5"},
    {"\\StringFileInfo\\040904b0\\InternalName", "testproduct"},
    {"\\StringFileInfo\\040904b0\\CompanyName", "Test Company"},
    {"\\StringFileInfo\\041904b0\\ProductName", "Fallback Product"},
};
VersionResource theResource = {TRANSLATIONS, 1, STRINGS, 6};

} // namespace

extern "C" const VersionResource* noxProgramVersionResource()
{
    return &theResource;
}

TEST(VersionInfo, ReadsEveryKeyUnderTheFirstTranslationOrWithoutOneUnderRussianUnicode)
{
    VersionInfo info;
    info.retrieveInfo();
    EXPECT_EQ(info.productNameString(), "Test Product");
    EXPECT_EQ(info.productVersionString(), "2.3.4");
    EXPECT_EQ(info.fileVersionString(), "2.3.4.5");
    EXPECT_EQ(info.productFolderString(), "testproduct");
    EXPECT_EQ(info.companyNameString(), "Test Company");
    EXPECT_EQ(info.getInfoFromResource("LegalCopyright"), QString());

    theResource.translationCount = 0;
    VersionInfo fallback;
    fallback.retrieveInfo();
    theResource.translationCount = 1;
    EXPECT_EQ(fallback.productNameString(), "Fallback Product");
    EXPECT_EQ(fallback.productVersionString(), QString());
}
