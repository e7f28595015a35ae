#include "controls/noxstatusfield.h"

#include "core/Communication/fakecommunicationnode.h"

#include "Communication/nodestatemanager.h"

#include <gtest/gtest.h>

using NoxGui::Controls::NoxStatusField;

// The node is never opened: the test drives the manager's signal directly.
TEST(NoxStatusField, BoundFieldKeepsItsTextAndTakesTheNodeStateColours)
{
    FakeCommunicationNode node;
    NoxCore::Communication::NodeStateManager manager(&node);
    NoxStatusField field;
    field.setText("Control HID");
    ASSERT_TRUE(field.setNodeStateManager(&manager));
    EXPECT_EQ(field.styleSheet(), "background-color: #acb2b7; color: #ffffff;") << "nothing applied yet";

    manager.stateChanged(NoxCore::Communication::NodeStateContext(), 2, 4);
    EXPECT_EQ(field.text(), "Control HID");
    EXPECT_EQ(field.styleSheet(), "background-color: #df5353; color: #ffffff;");
    manager.stateChanged(NoxCore::Communication::NodeStateContext(), 4, 2);
    EXPECT_EQ(field.styleSheet(), "background-color: #009f69; color: #ffffff;");
    EXPECT_FALSE(field.setNodeStateManager(nullptr));
}
