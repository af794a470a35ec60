#pragma once
/* Resource and control numbers of the installer dialog, shared by the resource
   script and the code (so plain macros). */

#define IDD_INSTALLER 103
#define IDI_INSTALLER_PROGRAM 104
#define IDR_LICENSE_AGREEMENT 129
#define IDR_PACKAGE_CONTENTS 130
#define IDI_INSTALLER_LARGE 140
#define IDI_INSTALLER_SMALL 144

#define IDC_FOLDER 1001
#define IDC_WEB_LINK 1002
#define IDC_LICENSE 1005
#define IDC_AGREE 1006
#define IDC_FOLDER_LINK 1007
#define IDC_PACKAGE_LINK 1008
#define IDC_LINE_AGREEMENT 1009
#define IDC_LINE_BUTTONS 1010
#define IDC_ALL_USERS 1011
#define IDC_DESKTOP_ICON 1012
#define IDC_RUN_WHEN_DONE 1013
#define IDC_LINE_TOP 1014
