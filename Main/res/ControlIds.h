/* The ids of every window, control, menu item, icon and bitmap of the program's resources; the
   resource script and the forms share them. Plain macros: the resource compiler reads this file
   too. */
#ifndef VEK_CONTROL_IDS_H
#define VEK_CONTROL_IDS_H

/* Icons and bitmaps. The application's icon has the lowest id, so the shell shows it for the
   program. */
#define IDI_TARVOVEK 1
#define IDB_LIGHTS 120
#define IDB_LOGO 121
#define IDB_BRAND 122
#define IDB_INFO 123
#define IDB_CLOSE 124
#define IDB_BUSY 125

/* The main window's template and menus; the other windows' templates are in their sections. */
#define IDD_VEK 100
#define IDR_VEK_MAINMENU 110
#define IDR_VEK_POPUPMENU 111

/* TVEK: the main window. */
#define IDC_VEK_IMAGE1 1000
#define IDC_VEK_GROUPBOX1 1001
#define IDC_VEK_JVIMAGESQUARE1 1002
#define IDC_VEK_JVIMAGESQUARE2 1003
#define IDC_VEK_JVIMAGESQUARE3 1004
#define IDC_VEK_LABEL1 1011
#define IDC_VEK_LABEL2 1012
#define IDC_VEK_LABEL3 1013
#define IDC_VEK_LABEL4 1014
#define IDC_VEK_LABEL5 1015
#define IDC_VEK_LABEL6 1016
#define IDC_VEK_LABEL7 1017
#define IDC_VEK_LABEL8 1018
#define IDC_VEK_LABEL9 1019
#define IDC_VEK_LABEL10 1020
#define IDC_VEK_LABEL11 1021
#define IDC_VEK_BUTTON1 1031
#define IDC_VEK_BUTTON4 1034
#define IDC_VEK_BUTTON7 1037
#define IDC_VEK_IMAGE2 1042
#define IDC_VEK_IMAGE3 1043
#define IDC_VEK_IMAGE4 1044
#define IDC_VEK_STATUSBAR1 1049

/* TVEK's main menu and tray menu. */
#define IDM_VEK_FILE1 1050
#define IDM_VEK_OPTIONS1 1051
#define IDM_VEK_N1 1052
#define IDM_VEK_HIDE1 1053
#define IDM_VEK_N3 1054
#define IDM_VEK_EXIT1 1055
#define IDM_VEK_EDIT1 1056
#define IDM_VEK_COPYIPADDRESS1 1057
#define IDM_VEK_COPYCLIENTID1 1058
#define IDM_VEK_OOLS1 1059
#define IDM_VEK_OPENPORTCHECKTOOL1 1060
#define IDM_VEK_DOMAINREGISTRATIONSEARCH1 1061
#define IDM_VEK_CHECKANOPENRELAY1 1062
#define IDM_VEK_N2 1063
#define IDM_VEK_LOGS1 1064
#define IDM_VEK_GRAPHICALCLIENTLOG1 1065
#define IDM_VEK_BACKGROUNDSERVICELOG1 1066
#define IDM_VEK_HELP1 1067
#define IDM_VEK_GETTINGSTARTED1 1068
#define IDM_VEK_SUPPORT1 1069
#define IDM_VEK_N4 1070
#define IDM_VEK_ERMSOFSERVICE1 1071
#define IDM_VEK_POPUPMENU1 1080
#define IDM_VEK_SHOW1 1081
#define IDM_VEK_COPYIPADDRESS2 1082
#define IDM_VEK_N5 1083
#define IDM_VEK_EXIT2 1084

/* TUserPass: the account dialog. Its OK and Cancel buttons have the dialog's own ids, so that
   Enter and Esc press them. */
#define IDD_USERPASS 101
#define IDC_USERPASS_BUTTON1 1 /* IDOK */
#define IDC_USERPASS_BUTTON2 2 /* IDCANCEL */
#define IDC_USERPASS_IMAGE1 1100
#define IDC_USERPASS_LABEL1 1101
#define IDC_USERPASS_LABEL2 1102
#define IDC_USERPASS_LABEL3 1103
#define IDC_USERPASS_LABEL4 1104
#define IDC_USERPASS_LABEL5 1105
#define IDC_USERPASS_LABEL6 1106
#define IDC_USERPASS_LABEL7 1107
#define IDC_USERPASS_LABEL8 1108
#define IDC_USERPASS_LABEL9 1109
#define IDC_USERPASS_LABEL10 1110
#define IDC_USERPASS_LABEL11 1111
#define IDC_USERPASS_LABEL12 1112
#define IDC_USERPASS_EDIT1 1121
#define IDC_USERPASS_EDIT2 1122
#define IDC_USERPASS_JVGIFANIMATOR1 1130

/* THostSelect: the host selection dialog. */
#define IDD_HOSTSELECT 102

/* TPasswordPrompt: the password input dialog. */
#define IDD_PASSWORDPROMPT 103

/* TOptionsForm: the preferences dialog. */
#define IDD_OPTIONS 104

/* TNoticeForm: the notice pop-up. */
#define IDD_NOTICE 105

#endif
