#include "controls/noxstatusfield.h"

#include <gtest/gtest.h>

using NoxGui::Controls::NoxStatusField;

TEST(NoxStatusField, StartsUnknownOnGreyAndIgnoresStatesItDoesNotHave)
{
    NoxStatusField field;
    EXPECT_EQ(field.text(), "unknown");
    EXPECT_EQ(field.styleSheet(), "background-color: #acb2b7; color: #ffffff;");
    EXPECT_EQ(field.alignment(), Qt::AlignHCenter | Qt::AlignVCenter);

    field.setText("Control HID");
    field.setState(2);
    field.setState(-1);
    EXPECT_EQ(field.text(), "Control HID");
    EXPECT_EQ(field.stateCount(), 1);
}

TEST(NoxStatusField, AppendedStatesAreSelectedByIndex)
{
    NoxStatusField field;
    EXPECT_EQ(field.appendState("Local", "#009f69", "#ffffff"), 1);
    EXPECT_EQ(field.appendState("Automation On", "#0075b0", "#ffffff"), 2);

    field.setState(1);
    EXPECT_EQ(field.text(), "Local");
    EXPECT_EQ(field.styleSheet(), "background-color: #009f69; color: #ffffff;");
    field.setState(0);
    EXPECT_EQ(field.text(), "unknown");
}
