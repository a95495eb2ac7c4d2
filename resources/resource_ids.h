#pragma once
// Ids of the program's resources, controls and commands. Included by C++ and
// by the resource script, so it holds #defines only.

// Icons and bitmaps
#define IDI_DART 100
#define IDI_PLUG_APART 101
#define IDI_PLUG_IN 102
#define IDI_BALL_MAGENTA 105
#define IDI_BALL_CYAN 106
#define IDI_BALL_YELLOW 107
#define IDI_BALL_GREEN 108
#define IDI_BALL_GREY 109
#define IDB_EXIT 100
#define IDB_BANNER 101

// Main window controls
#define ID_GROUPB_1 102
#define ID_COMBO_BAUDRATE 103
#define ID_LABEL_1 104
#define ID_LABEL_2 105
#define ID_COMBO_DATABITS 106
#define ID_COMBO_STOPBITS 107
#define ID_LABEL_3 108
#define ID_COMBO_PARITY 109
#define ID_LABEL_4 110
#define ID_PICTBTTN_1 111
#define ID_GROUPB_2 112
#define ID_CB_SEND 113
#define ID_TEXTB_LOG 114
#define ID_LABEL_6 115
#define ID_LABEL_7 116
#define ID_COMBO_COMM 117
#define ID_CHECKBOX_CRLF 118
#define ID_COMBO_CRLF 119
#define ID_CHECKBOX_ECHO 122
#define ID_CHECKBOX_PERIODIC 124
#define ID_LABEL_5 125
#define ID_COMBO_PERIODIC 126
#define ID_LABEL_8 127
#define ID_GROUPB_3 129
#define ID_MAGICCOMBO_SEND 131

// Menu commands
#define IDM_SEND_BUTTONS_DIALOG 1001
#define IDM_SEND_F1 1003
#define IDM_SEND_F2 1004
#define IDM_SEND_F3 1005
#define IDM_SEND_F4 1006
#define IDM_SEND_F5 1007
#define IDM_HEX_MODE 1009
#define IDM_CLEAR_LOG 1010
#define IDM_CLEAR_SEND_LIST 1011
#define IDM_EXIT 1013
#define IDM_ABOUT 1015

// Send-button dialog
#define ID_SB_PICTB_1 101
#define ID_SB_TEXTB_1 102
#define ID_SB_PICTB_2 103
#define ID_SB_TEXTB_2 104
#define ID_SB_PICTB_3 105
#define ID_SB_TEXTB_3 106
#define ID_SB_PICTB_4 107
#define ID_SB_TEXTB_4 108
#define ID_SB_PICTB_5 109
#define ID_SB_TEXTB_5 110
#define ID_SB_CB_1 111

// About dialog
#define ID_ABOUT_CB_OK 101
#define ID_ABOUT_PICTB_1 102
#define ID_ABOUT_LABEL_1 103
