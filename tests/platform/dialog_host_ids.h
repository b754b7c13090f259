// Resource and control ids of dialog_host.exe, shared by its resource
// script and the tests that drive it.
#pragma once

#define HOST_ABOUT_DIALOG 100
#define HOST_ABOUT_STRING 101
#define HOST_MAIN_DIALOG 102
#define HOST_ICON 128

#define HOST_COMBO 1000
#define HOST_LIST 1001
#define HOST_USER_EDIT 1002
#define HOST_PASSWORD_EDIT 1003
#define HOST_CHECK 1004
#define HOST_MESSAGE_BUTTON 1005
#define HOST_STATUS 1006
#define HOST_THROW_BUTTON 1007
#define HOST_HIDDEN_COMMAND 1008
