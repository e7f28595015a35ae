#include "tools/windowhelper.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QSplashScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

using namespace NoxGui;

TEST(WindowHelper, GivesIconStyleSheetAndSplashFromTheLibraryResources)
{
    QWidget widget;
    WindowHelper::setWindowIcon(&widget);
    EXPECT_FALSE(widget.windowIcon().isNull());

    const QString before = QStringLiteral("QLabel { color: red; }");
    qApp->setStyleSheet(before);
    WindowHelper::loadStyleSheet(qApp);
    EXPECT_TRUE(qApp->styleSheet().startsWith(before)) << "appended, not replaced";
    EXPECT_TRUE(qApp->styleSheet().contains("QGroupBox"));
    qApp->setStyleSheet(QString());

    std::unique_ptr<QSplashScreen> splash(WindowHelper::createSplashScreen());
    EXPECT_FALSE(splash->pixmap().isNull());
}
