#include "controls/aboutdialog.h"

#include "Tools/versioninfo.h"
#include "Tools/versionresource.h"
#include "support/qtprinters.h"

#include <QLabel>

#include <gtest/gtest.h>

using NoxGui::Controls::AboutDialog;

namespace
{

const quint32 TRANSLATIONS[] = {0x04B00409u};
const NoxCore::Tools::VersionString STRINGS[] = {
    {"\\StringFileInfo\\040904b0\\ProductName", "About Test"},
    {"\\StringFileInfo\\040904b0\\FileVersion", "3.1.4.1"},
};
const NoxCore::Tools::VersionResource RESOURCE = {TRANSLATIONS, 1, STRINGS, 2};

QString labelText(const AboutDialog& dialog, const char* name)
{
    return dialog.findChild<QLabel*>(name)->text();
}

} // namespace

extern "C" const NoxCore::Tools::VersionResource* noxProgramVersionResource()
{
    return &RESOURCE;
}

TEST(AboutDialog, ShowsNameVersionAndLicenceNotices)
{
    AboutDialog dialog;
    EXPECT_TRUE(labelText(dialog, "lbQt").contains(QT_VERSION_STR));
    EXPECT_FALSE(labelText(dialog, "lbQt").contains("__QT_VERSION__"));
    // Whoever passes the program on must find its licence and those of the libraries it links.
    EXPECT_TRUE(labelText(dialog, "lbWarrenty").contains("GNU General Public License"));
    EXPECT_TRUE(labelText(dialog, "lbQt").contains("Lesser General Public License"));
    EXPECT_TRUE(labelText(dialog, "lbQwt").contains("QCustomPlot"));

    NoxCore::Tools::VersionInfo info;
    info.retrieveInfo();
    dialog.setVersionInfo(&info);
    EXPECT_EQ(labelText(dialog, "lbApplicationName"), "About Test");
    EXPECT_EQ(labelText(dialog, "lbApplicationVersion"), "Product Version: 3.1.4.1");

    dialog.setVersionInfo(nullptr);
    EXPECT_EQ(labelText(dialog, "lbApplicationName"), "Application name not defined");
    EXPECT_EQ(labelText(dialog, "lbApplicationVersion"), "ProductVersion: unknown");
}
