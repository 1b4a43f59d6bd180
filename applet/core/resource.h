#pragma once

// Resource ids of the applet, shared by its resource script, its code and the
// preview generator that draws its icons. Plain macros, as the resource
// compiler reads this file too.

// Icons. Each preview set holds one icon per layout and a greyed one, 22 in
// all, from its first id on; the QEL-50 and QEL-60 use the generic set.
#define IDI_APPLET 128
#define IDI_PREVIEWS_QEL10 210
#define IDI_PREVIEWS_QEL30 240
#define IDI_PREVIEWS_QEL40 270
#define IDI_PREVIEWS_GENERIC 301
#define IDI_PREVIEWS_QEL20 331

// Dialog templates.
#define IDD_EDIT_MAIN 129
#define IDD_EDIT_PAGE 201
#define IDD_VIEW_PAGE 202
#define IDD_VIEW_MAIN 203

// Controls of the pages.
#define IDC_USE_GENERIC 1001
#define IDC_SIZE_LIST 1002
#define IDC_BORDER_LIST 1003
#define IDC_POSITION_LIST 1004
#define IDC_FOLDER 1005
#define IDC_BROWSE 1006
#define IDC_FOLDER_LABEL 1007
#define IDC_SIZE_LABEL 1008
#define IDC_BORDER_LABEL 1009
#define IDC_POSITION_LABEL 1010
#define IDC_PREVIEW 1014
#define IDC_LAYOUT_GROUP 1015

// Controls of the main dialogs.
#define IDC_TABS 1000
#define IDC_SPIN 1011
#define IDC_INTERVAL 1013
#define IDC_APPLY 1016
#define IDC_DISABLE 1019
#define IDC_INTERVAL_LABEL 1020
#define IDC_SECONDS_LABEL 1021

// Strings: the choices of the lists.
#define IDS_AUTO 201
#define IDS_BLACK 202
#define IDS_BOTTOM 203
#define IDS_BOTTOM_LEFT 204
#define IDS_BOTTOM_RIGHT 205
#define IDS_ORIGINAL_SIZE 209
#define IDS_BEST_FIT 217
#define IDS_LEFT 220
#define IDS_MIDDLE 221
#define IDS_RIGHT 222
#define IDS_STRETCH 223
#define IDS_TOP 233
#define IDS_TOP_LEFT 234
#define IDS_TOP_RIGHT 235
#define IDS_WHITE 236

// Strings: the tab labels.
#define IDS_GENERIC 218
#define IDS_QEL10 224
#define IDS_QEL20 225
#define IDS_QEL30 226
#define IDS_QEL40 227
#define IDS_QEL50 228
#define IDS_QEL60 229

// Strings: the messages that refuse a page.
#define IDS_FOLDER_REFUSED 211
#define IDS_NO_POSITION 212
#define IDS_NO_BORDER 213
#define IDS_NO_FOLDER 214
#define IDS_NO_SIZE 215
#define IDS_BAD_SIZE 216

// Strings: captions, control texts and the other messages.
#define IDS_BROWSE_TITLE 206
#define IDS_CAPTION 208
#define IDS_CPL_DESCRIPTION 210
#define IDS_CPL_NAME 231
#define IDS_USE_GENERIC 240
#define IDS_FOLDER 241
#define IDS_LAYOUT 243
#define IDS_SIZE 244
#define IDS_BORDER 245
#define IDS_POSITION 246
#define IDS_CHANGE_EVERY 251
#define IDS_SECONDS 252
#define IDS_DISABLE 253
#define IDS_DISABLED 254
#define IDS_OK 255
#define IDS_CLOSE 256
#define IDS_APPLY 257
#define IDS_CHANGE 258
#define IDS_SAVE_FAILED 259
#define IDS_LAUNCH_FAILED 260
