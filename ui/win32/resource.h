// Identifiers of the configuration dialog's resources, shared by the resource
// script and the view.
#pragma once

#define IDD_CONFIGURATION 101
#define IDR_CONFIGURATION_TOOLBAR 102
#define IDC_CHILD_LIST 1001
#define IDC_NEXT_CONNECTION_NOTE 1002

// Toolbar commands; each command's string resource is its tool tip.
#define ID_ADD_QUELLAN 40002
#define ID_REMOVE_QUELLAN 40003
#define ID_CONFIGURE_QUELLAN 40004
#define ID_MOVE_UP_QUELLAN 40005
#define ID_MOVE_DOWN_QUELLAN 40006
