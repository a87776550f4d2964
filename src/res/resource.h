// Resource and control identifiers, shared by quillmarsh.rc and the code.
// Control names are IDC_<dialog>_<control>.
#pragma once

// Icon and manifest
#define IDI_MAIN 1101

// Dialog templates
#define IDD_MAIN 150
#define IDD_PHRASE 151
#define IDD_SETTINGS 183
#define IDD_MANUAL 185

// Main window (150)
#define IDC_MAIN_BYE 2
#define IDC_MAIN_FORCE 153
#define IDC_MAIN_TEST 157
#define IDC_MAIN_SUMMARY 1001
#define IDC_MAIN_WAKE_MONTH 1005
#define IDC_MAIN_CLOCK 1006
#define IDC_MAIN_SETTINGS 1042
#define IDC_MAIN_SHUTDOWN 1047
#define IDC_MAIN_REBOOT 1048
#define IDC_MAIN_LOGOFF 1049
#define IDC_MAIN_STANDBY 1050
#define IDC_MAIN_HIBERNATE 1051
#define IDC_MAIN_RUN 1100
#define IDC_MAIN_WAKE_DAY 1108
#define IDC_MAIN_WAKE_HOUR 1110
#define IDC_MAIN_WAKE_MINUTE 1112
#define IDC_MAIN_END_MONTH 1117
#define IDC_MAIN_END_DAY 1118
#define IDC_MAIN_END_HOUR 1119
#define IDC_MAIN_END_MINUTE 1121
#define IDC_MAIN_MANUAL 1123

// Settings dialog (183)
#define IDC_SET_OK 1
#define IDC_SET_RESUME_SCHEDULED 1001
#define IDC_SET_NO_WAKE 1002
#define IDC_SET_STARTUP 1003
#define IDC_SET_ARGUMENTS 1004
#define IDC_SET_WAKE_IDLE 1005
#define IDC_SET_PROGRAM_THEN_SCHEDULED 1006
#define IDC_SET_PROGRAM_THEN_END 1007
#define IDC_SET_CHOOSE_PROGRAM 1008
#define IDC_SET_SECONDS_SPIN 1009
#define IDC_SET_SILENT 1015
#define IDC_SET_TEN_COUNT 1016
#define IDC_SET_SECONDS 1017
#define IDC_SET_HEARTBEAT 1018
#define IDC_SET_BEEP 1019
#define IDC_SET_SOUND_NAME 1020
#define IDC_SET_EXPLOSION 1041
#define IDC_SET_CHOOSE_SOUND 1053
#define IDC_SET_CHOSEN_SOUND 1055
#define IDC_SET_PROGRAM_NAME 1107

// Manual operations dialog (185)
#define IDC_MAN_OK 1
#define IDC_MAN_HOURS 1000
#define IDC_MAN_SECONDS 1002
#define IDC_MAN_MINUTES 1003
#define IDC_MAN_RESET 1004
#define IDC_MAN_SHUTDOWN 1011
#define IDC_MAN_REBOOT 1012
#define IDC_MAN_LOGOFF 1013
#define IDC_MAN_STANDBY 1014
#define IDC_MAN_HIBERNATE 1015
#define IDC_MAN_PROCESS 1016
#define IDC_MAN_WAIT 1017
#define IDC_MAN_TIMER 1021
#define IDC_MAN_WAKE 1027

// Phrase dialog (151)
#define IDC_PHRASE_OK 1
#define IDC_PHRASE_TEXT 1000

// Embedded sounds, resource type "WAV_DAT"
#define IDW_VOICE_10 156
#define IDW_VOICE_9 155
#define IDW_VOICE_8 160
#define IDW_VOICE_7 162
#define IDW_VOICE_6 164
#define IDW_VOICE_5 166
#define IDW_VOICE_4 168
#define IDW_VOICE_3 170
#define IDW_VOICE_2 172
#define IDW_VOICE_1 173
#define IDW_VOICE_0 175
#define IDW_EXPLOSION 177
#define IDW_HEARTBEAT 181
#define IDW_START 187

// The count-down window's controls (made in code, not from a template).
#define IDC_COUNTDOWN_SECONDS 1201
#define IDC_COUNTDOWN_ABORT 1202
#define IDC_COUNTDOWN_EXTEND 1203
